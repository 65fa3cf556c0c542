#include "query/ReportTable.h"

#include "data/Dataset.h"
#include "data/TableDatabase.h"

#include <QDir>
#include <QFile>

namespace corvane {

void ReportTable::removeFiles(const QString& dataFolder)
{
    const QDir folder(dataFolder);
    const QStringList entries = folder.entryList(QDir::Files);
    for (const char* suffix : {".dat", ".idx", ".blb"}) {
        const QString file = QLatin1String(Name) + QLatin1String(suffix);
        for (const QString& entry : entries) {
            if (entry.compare(file, Qt::CaseInsensitive) == 0)
                QFile::remove(folder.filePath(entry));
        }
    }
}

void ReportTable::recreate(Database& database, const QList<FieldDef>& fields)
{
    removeFiles(database.directory());
    TableDef def;
    def.name = QLatin1String(Name);
    def.fields = fields;
    database.createTable(def);
}

void ReportTable::recreateFromQuery(Query& query, const QString& selectIntoSql)
{
    removeFiles(query.database()->directory());
    query.setSql(selectIntoSql);
    query.execSql();
}

} // namespace corvane
