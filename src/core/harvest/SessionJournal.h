#pragma once

#include "core/harvest/SessionRecord.h"

#include <QString>
#include <QStringList>

namespace corvane {

// The rows of a session are written to tables that live in separate files,
// and a commit is atomic per file only. So before they are written, the rows
// are saved in a journal file in the data folder (written in full and then
// renamed into place); the journal is removed once every table holds them.
// A journal found at the next start belongs to a session whose writing was
// cut short, and is written again: writing is idempotent (SessionRows::apply).
class SessionJournal
{
public:
    // "Harvester-<project>-<yyyy-mm-dd>.journal", the project percent-encoded.
    static QString pathFor(const QString& dataFolder, const QString& project, const QDate& date);
    static QStringList pending(const QString& dataFolder);

    static bool write(const QString& path, const SessionRows& rows, QString* error);
    static bool read(const QString& path, SessionRows* rows);
};

} // namespace corvane
