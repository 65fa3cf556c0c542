#pragma once

#include "core/discovery/MixHarvest.h"

#include <QSet>
#include <QString>

#include <functional>

namespace corvane {

class Table;
struct SettingsRecord;

// The user's choices for Detail (the Tagmint settings and the filter words).
struct DetailOptions
{
    int minDens = 10;
    int passSize = 100000;
    bool deleteBadLinks = false;
    int connections = 1;  // pages fetched at once
    QSet<QString> filter; // lower case
};

struct DetailCounts
{
    int read = 0;    // pages analysed
    int failed = 0;  // pages that could not be used
    int deleted = 0; // of those, rows deleted
};

// Detail: every CVMix row's page fetched (up to `connections` at once, each
// with its own HTTP client configured like the harvest's), then, in the order
// of the rows, logged and analysed: title, description, meta keywords and
// keyword density go into the row, the density words into Phrase (emptied
// first). A page that fails, is shorter than 10 characters or longer than
// passSize is logged; its row keeps empty detail columns, or is deleted with
// deleteBadLinks. An address without "http://" or "https://" gets "http://".
namespace DetailRun {

QString PageAddress(const QString& name);

// `deleted` is told the name of every row removed.
DetailCounts Run(Table& mix, Table& phrase, const SettingsRecord& settings, const DetailOptions& options,
                 const MixEvents& events, const std::function<void(const QString& name)>& deleted = {});

} // namespace DetailRun

} // namespace corvane
