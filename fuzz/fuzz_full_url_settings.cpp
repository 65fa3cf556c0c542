// The Full URL settings file (".ufp") over arbitrary text.
//
// Input: the file's text (UTF-8). A file that parses must write back to a text
// that parses to the same settings: the writer refuses only names the reader
// never gives (a line feed, a carriage return at the end, "~~" at the start),
// so it must never refuse what was read; and the statement built from its checked
// items must translate and prepare in SQLite against the rank table: no item,
// whatever quotes or keywords it holds, may break the statement.

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/Schema.h"
#include "core/data/SqlDialect.h"
#include "core/dayviews/FullUrlSettingsFile.h"

#include "FuzzDatabase.h"
#include "FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <sqlite3.h>
#include <stdexcept>

using namespace corvane;
using corvane::fuzz::check;
using corvane::fuzz::fail;

namespace {

// An in-memory database holding an empty rank table with the schema's columns.
sqlite3* database()
{
    static const QByteArray create = []() -> QByteArray {
        QStringList columns;
        for (const FieldDef& field : Schema::table(QStringLiteral("CVRank"))->fields)
            columns << QLatin1Char('"') + field.name + QLatin1Char('"');
        return "CREATE TABLE CVRank (" + columns.join(QLatin1Char(',')).toUtf8() + ")";
    }();
    return fuzz::memoryDatabase(create.constData());
}

bool same(const FullUrlSettings& a, const FullUrlSettings& b)
{
    return a.project == b.project && a.day == b.day && a.selection.terms == b.selection.terms
        && a.selection.engines == b.selection.engines && a.selection.urls == b.selection.urls
        && a.selection.grouping == b.selection.grouping;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput in(data, size);
    in.setUtf8(true);
    const QString text = in.rest();

    FullUrlSettings settings;
    try {
        settings = FullUrlSettingsFile::parse(text);
    } catch (const std::runtime_error&) {
        return 0; // refused with a message: that is the reader's job
    }
    check(!settings.project.isEmpty() && settings.day.isValid(), "a file was read without project or day");

    QString written;
    try {
        written = FullUrlSettingsFile::text(settings);
    } catch (const std::runtime_error&) {
        fail("the writer refuses a name the reader gave");
    }
    FullUrlSettings again;
    try {
        again = FullUrlSettingsFile::parse(written);
    } catch (const std::runtime_error&) {
        fail("the written file does not read back");
    }
    check(same(settings, again), "the written file reads back as other settings");

    const QString statement =
        FullUrlQuery::runnableStatement(settings.selection, settings.project, settings.day);
    TranslatedSql translated;
    try {
        translated = translateSql(statement);
    } catch (const DatabaseError&) {
        fail("the statement of a file's items was refused");
    }
    check(translated.isSelect, "the statement is not a SELECT");
    sqlite3_stmt* prepared = nullptr;
    const QByteArray sql = translated.sql.toUtf8();
    const int status = sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &prepared, nullptr);
    sqlite3_finalize(prepared);
    check(status == SQLITE_OK, "SQLite refuses the statement of a file's items");
    return 0;
}
