#pragma once

#include "core/data/Connection.h"

#include <QString>

struct sqlite3;

namespace corvane::repair {

// A table file opened directly with SQLite, below the table database: the
// checks and rescues of damaged files must reach files that the table
// database refuses to open. Failures are answered, never thrown.
class RawTableFile
{
public:
    // ReadOnly is for reading only: in a folder the user may not write, the
    // file is opened read-only (immutable when need be), so a check there
    // still reads every table.
    enum class Open { Existing, Create, ReadOnly };

    explicit RawTableFile(const QString& path, Open mode = Open::Existing);
    ~RawTableFile();

    RawTableFile(const RawTableFile&) = delete;
    RawTableFile& operator=(const RawTableFile&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }
    // Why the file could not be opened.
    const QString& openError() const { return m_openError; }

    // Runs statements without results; false with lastError() set when one fails.
    bool exec(const QString& sql);
    // A prepared statement; a null one with lastError() set when it cannot be prepared.
    Statement prepare(const QString& sql);
    // SQLite's text for the last failure on this file.
    QString lastError() const;

    void close();

    static QString quoteName(const QString& name) { return Connection::quoteName(name); }

private:
    void openReadOnly();

    QString m_path;
    QString m_openError;
    sqlite3* m_db = nullptr;
};

} // namespace corvane::repair
