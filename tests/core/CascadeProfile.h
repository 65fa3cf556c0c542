#pragma once

#include "core/data/TableDatabase.h"

#include <QString>
#include <QStringList>

namespace corvane::test {

// A data folder with every table and two projects whose rows reach every
// table that names a project, URL, term or engine. Names use both quote
// characters, a backslash, a percent sign and non-ASCII letters.
class CascadeProfile
{
public:
    static const QString Project; // the project the cascades work on
    static const QString Other;   // its neighbour, which must stay as it is
    static const QString Url1, Url2, Term1, Term2, Engine1, Engine2;

    explicit CascadeProfile(const QString& folder);

    Database& db() { return m_db; }
    const QString& folder() const { return m_folder; }

    // rankRows extra CVRank rows of Project (for the large profile).
    void seed(int rankRows = 0);

    // Every row of the table that passes the SQL condition, one line each,
    // read straight from the file (not through the data layer).
    QStringList dump(const QString& table, const QString& where = QStringLiteral("1")) const;
    // The rows of every table whose Project (or CVProject Name) is name.
    QStringList dumpProject(const QString& name) const;
    // How many rows dumpProject would list, counted by SQLite.
    qint64 countProject(const QString& name) const;
    // Rows of any table in which any text column equals the value.
    int rowsNaming(const QString& value, const QString& column) const;

    void insert(const QString& table, const QStringList& fields, const QVariantList& values);

private:
    QString m_folder;
    Session m_session{QStringLiteral("Cascade")};
    Database m_db{QStringLiteral("Cascade"), &m_session};
};

} // namespace corvane::test
