#include "core/query/ReadOnlyStatement.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/SqlDialect.h"
#include "core/data/TableDatabase.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace corvane::ReadOnlyStatement {

QString refusal()
{
    return QStringLiteral(
        "This query was not run: it would change data, and a data query only reads. Only a "
        "single SELECT statement can run here (no DELETE, UPDATE, INSERT, DROP, ATTACH or INTO).");
}

void check(Database& database, const QString& dialectSql)
{
    // A statement that does not begin as a read is refused before the
    // translator gets to complain about its grammar.
    const QString first =
        dialectSql.trimmed().section(QRegularExpression(QStringLiteral("[\\s(]")), 0, 0).toUpper();
    if (first != QLatin1String("SELECT") && first != QLatin1String("WITH")
        && first != QLatin1String("VALUES"))
        throw DatabaseError(DatabaseError::NotEditable, refusal());
    const TranslatedSql translated = translateSql(dialectSql);
    if (!translated.isSelect)
        throw DatabaseError(DatabaseError::NotEditable, refusal());

    Connection connection;
    connection.setLockSettings(database.session().lockSettings());
    connection.open();
    connection.attach(database, translated.tables);
    const QByteArray utf8 = translated.sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &raw, &tail);
    const Statement statement(raw);
    if (rc != SQLITE_OK)
        connection.fail(rc, translated.tables.join(QLatin1String(", ")));
    // SQLite knows whether the prepared statement writes (WITH ... DELETE begins like a read).
    if (!sqlite3_stmt_readonly(raw))
        throw DatabaseError(DatabaseError::NotEditable, refusal());
    // Whatever follows the first statement would run elsewhere; only semicolons and blanks may.
    for (const char* c = tail; c && *c; ++c)
        if (*c != ';' && !QChar::isSpace(uchar(*c)))
            throw DatabaseError(DatabaseError::NotEditable, refusal());
}

} // namespace corvane::ReadOnlyStatement
