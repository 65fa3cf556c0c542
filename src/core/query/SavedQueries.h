#pragma once

#include "core/query/QueryStatement.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class Database;

// A query saved under a name in CVQueries; it belongs to one project.
struct SavedQuery
{
    QString name;
    QueryStatement::Choice choice;
    QString fullSql; // the statement as the memo held it when saved
};

// The saved queries of the data folder (table CVQueries, index Nameidx on
// Name and Project). Throws DatabaseError when the table cannot be read or written.
class SavedQueries
{
public:
    explicit SavedQueries(Database& database);

    // The project's query names, sorted without regard to case.
    QStringList names(const QString& project) const;
    std::optional<SavedQuery> find(const QString& project, const QString& name) const;
    // Replaces the project's query of that name, or adds it.
    void save(const SavedQuery& query);
    // Removes the project's query of that name; false when there was none.
    bool remove(const QString& project, const QString& name);

    static constexpr const char* TableName = "CVQueries";

private:
    Database& m_database;
};

} // namespace corvane
