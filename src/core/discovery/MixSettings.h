#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class Registry;

// The settings of Rureder Orad, kept under Software\Corvane\Tagmint.
struct MixSettings
{
    static constexpr int MinDensLow = 2, MinDensHigh = 100;
    static constexpr int PassSizeLow = 11, PassSizeHigh = 10000000;

    bool BadLinks = false;
    int MinDens = 10;
    int PassSize = 100000;

    // Missing or damaged values keep their defaults; numbers out of range are
    // brought into it.
    static MixSettings load(const Registry& registry);
    // False when the key is missing or the store cannot be written.
    bool save(Registry& registry) const;
};

// The filter words of keyword discovery: "STFilter.txt" in the data folder,
// one word per line.
namespace TermFilters {

QString filePath(const QString& dataFolder);

// The words of the file, trimmed, without empty lines; a missing file is an
// empty list.
QStringList load(const QString& dataFolder);

// Writes the list through a temporary file; on failure the old file stays and
// error (when given) names the file and the reason.
bool save(const QString& dataFolder, const QStringList& words, QString* error = nullptr);

// Why a text cannot be a filter word ("You may only use one word."), or
// empty when it can.
QString wordFault(const QString& text);

} // namespace TermFilters

} // namespace corvane
