#pragma once

#include <QString>

#include <stdexcept>

namespace corvane {

// An error of the table database. The message names the table (and, for key
// violations, the index) so that it can be shown or logged as it stands.
class DatabaseError : public std::runtime_error
{
public:
    enum Code : int {
        General = 1,
        NotADatabase = 2, // the file is not a table file
        TableMissing = 3,
        PasswordRequired = 4,
        Locked = 5,      // still locked after the session's retries
        SyntaxError = 6, // the SQL or filter text could not be understood
        FieldMissing = 7,
        NotEditable = 8,
        Cancelled = 10,     // the user stopped a running statement
        KeyViolation = 9729 // a unique index would hold the same key twice
    };

    DatabaseError(int code, const QString& message, const QString& tableName = {});

    int code() const { return m_code; }
    const QString& message() const { return m_message; }
    const QString& tableName() const { return m_tableName; }

private:
    int m_code;
    QString m_message;
    QString m_tableName;
};

} // namespace corvane
