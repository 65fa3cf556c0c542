#include "DamagedTables.h"

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include <QFile>

#include <sqlite3.h>
#include <stdexcept>

namespace corvane::test {

namespace {

constexpr int PageSize = 4096;

sqlite3* openFile(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path.toStdString());
    }
    return db;
}

} // namespace

QString createNumberedTable(Database& database, const QString& name, int rows, const QString& password)
{
    TableDef def;
    def.name = name;
    def.fields = {FieldDef{QStringLiteral("Name"), FieldType::String, 32},
                  FieldDef{QStringLiteral("Number"), FieldType::Integer},
                  FieldDef{QStringLiteral("Note"), FieldType::Memo}};
    def.indexes = {IndexDef{QStringLiteral("Nameidx"), {QStringLiteral("Name")}, true}};
    database.createTable(def, password);
    if (!password.isEmpty())
        database.session().addPassword(password);
    Table table(&database, name);
    table.open();
    for (int i = 1; i <= rows; ++i) {
        table.append();
        table.setValue(QStringLiteral("Name"), QStringLiteral("row %1").arg(i));
        table.setValue(QStringLiteral("Number"), i);
        table.setValue(QStringLiteral("Note"), QStringLiteral("note %1 ").arg(i).repeated(12));
        table.post();
    }
    table.close();
    return database.tableFilePath(name);
}

QList<int> leafPages(const QString& path, const QString& treeName)
{
    sqlite3* db = openFile(path);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = ?1 AND pagetype = 'leaf' ORDER BY pageno",
                       -1, &stmt, nullptr);
    const QByteArray name = treeName.toUtf8();
    sqlite3_bind_text(stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    QList<int> pages;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        pages << sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return pages;
}

void smashPage(const QString& path, int page)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(qint64(page - 1) * PageSize))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(QByteArray(PageSize, char(0xA5)));
}

void truncateFile(const QString& path, double share)
{
    QFile file(path);
    const qint64 pages = file.size() / PageSize;
    if (!file.resize(qint64(double(pages) * share) * PageSize))
        throw std::runtime_error("cannot truncate " + path.toStdString());
}

void execOnFile(const QString& path, const QString& sql)
{
    sqlite3* db = openFile(path);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(message);
}

QList<int> numbersIn(const QString& path, const QString& tableName)
{
    sqlite3* db = openFile(path);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql =
        QStringLiteral("SELECT Number FROM \"%1\" ORDER BY Number").arg(tableName).toUtf8();
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    QList<int> numbers;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        numbers << sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return numbers;
}

} // namespace corvane::test
