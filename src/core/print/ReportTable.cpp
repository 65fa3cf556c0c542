#include "core/print/ReportTable.h"

#include "core/data/DatabaseError.h"
#include "core/data/SqlDialect.h"
#include "core/data/TableFile.h"

#include <QFile>

namespace corvane::ReportTable {

namespace {

QString tableName() { return QLatin1String(Name); }

} // namespace

void removeFiles(const QString& dataFolder)
{
    QString folder = dataFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    for (const QString& path : TableFile::existingFiles(folder, tableName())) {
        if (!QFile::remove(path)) {
            throw DatabaseError(
                DatabaseError::General,
                QStringLiteral("Cannot delete the file \"%1\" of table \"%2\".").arg(path, tableName()),
                tableName());
        }
    }
}

void recreate(Database& database, const QList<FieldDef>& fields)
{
    removeFiles(database.directory());
    TableDef def;
    def.name = tableName();
    def.fields = fields;
    database.createTable(def);
}

void recreateFromQuery(Query& query, const QString& selectIntoSql)
{
    if (query.database() == nullptr)
        throw DatabaseError(DatabaseError::General, QStringLiteral("The report query has no database."),
                            tableName());
    const QString target = translateSql(selectIntoSql).intoTable;
    if (target.compare(tableName(), Qt::CaseInsensitive) != 0) {
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("The report statement does not select into %1: %2")
                                .arg(tableName(), selectIntoSql),
                            tableName());
    }
    removeFiles(query.database()->directory());
    query.close();
    query.setSql(selectIntoSql);
    query.execSql();
}

} // namespace corvane::ReportTable
