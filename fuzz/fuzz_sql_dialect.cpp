// The SQL dialect translator over arbitrary statements and over statements
// built the way the program builds them, with values quoted by SqlQuote.
//
// Input: a mode byte. Modes 0-127: the rest is a statement (UTF-8); it is
// translated as a statement and as a filter, and whatever comes out is
// prepared by SQLite. Only DatabaseError may be thrown. Modes 128-255: two
// values (UTF-8 texts), a TOP count; a statement selects the row holding the
// first value (or both joined with "+") from an in-memory table that holds
// that row among others, and must find exactly that row: no value, whatever
// quotes or keywords it holds, may change what the statement does.

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/SqlDialect.h"
#include "core/data/SqlQuote.h"

#include "FuzzDatabase.h"
#include "FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <sqlite3.h>

using namespace corvane;
using corvane::fuzz::check;
using corvane::fuzz::fail;

namespace {

sqlite3* database() { return fuzz::memoryDatabase("CREATE TABLE T (A TEXT, B INTEGER)"); }

void prepareOnly(const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    sqlite3_prepare_v2(database(), text.constData(), int(text.size()), &statement, nullptr);
    sqlite3_finalize(statement);
}

// A value as a user could type it; SQLite texts end at a NUL, so none is kept.
QString value(fuzz::FuzzInput& in)
{
    QString text = in.text();
    text.replace(QChar(0), QLatin1Char(' '));
    return text;
}

void insert(const QString& text, int b)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database(), "INSERT INTO T (A, B) VALUES (?, ?)", -1, &statement, nullptr);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(statement, 2, b);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
}

void quotedValues(fuzz::FuzzInput& in, std::uint8_t mode)
{
    in.setUtf8(true);
    const QString first = value(in);
    const QString second = value(in);
    const bool joined = mode & 0x01;
    const QChar quote = (mode & 0x02) ? QLatin1Char('"') : QLatin1Char('\'');
    const int top = 1 + in.byte() % 4;

    const QString wanted = joined ? first + second : first;
    sqlite3_exec(database(), "DELETE FROM T", nullptr, nullptr, nullptr);
    insert(QStringLiteral("other"), 1);
    insert(wanted, 2);
    insert(QString(), 3);

    QString where = QStringLiteral("A = ") + SqlQuote::quoted(first, quote);
    if (joined)
        where += QStringLiteral(" + ") + SqlQuote::quoted(second, quote);
    QString statementText =
        QStringLiteral("SELECT A, B FROM T WHERE ") + where + QStringLiteral(" ORDER BY B");
    if (mode & 0x04)
        statementText += QStringLiteral(" nocase");
    if (mode & 0x08)
        statementText += QStringLiteral(" TOP ") + QString::number(top);

    TranslatedSql translated;
    try {
        translated = translateSql(statementText);
    } catch (const DatabaseError&) {
        fail("a statement with quoted values was refused");
    }
    check(translated.isSelect, "the statement is not a SELECT");
    check(translated.tables.size() == 1 && translated.tables.first() == QLatin1String("T"),
          "the statement names another table");

    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = translated.sql.toUtf8();
    if (sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        fail("SQLite refuses the translated statement");
    }
    int rows = 0;
    bool others = false;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        const QString a = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                                            sqlite3_column_bytes(statement, 0));
        others = others || a != wanted;
    }
    sqlite3_finalize(statement);
    // "other" and the empty text hold the value too when it is one of them.
    int expected = 1 + (wanted == QLatin1String("other") ? 1 : 0) + (wanted.isEmpty() ? 1 : 0);
    if ((mode & 0x08) && top < expected)
        expected = top;
    check(!others, "the statement selected a row without the value");
    check(rows == expected, "the statement selected the wrong number of rows");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    if (mode >= 128) {
        quotedValues(in, mode);
        return 0;
    }
    in.setUtf8(true);
    const QString text = in.rest();
    try {
        const TranslatedSql translated = translateSql(text);
        for (const QString& table : translated.tables)
            check(!table.isEmpty(), "an empty table name");
        prepareOnly(translated.sql);
    } catch (const DatabaseError&) {
    }
    try {
        prepareOnly(QStringLiteral("SELECT * FROM T WHERE ") + translateFilter(text));
    } catch (const DatabaseError&) {
    }
    return 0;
}
