#include "core/maintenance/DirectoryChange.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QDate>
#include <QFileInfo>

namespace corvane {

DirectoryChange::DirectoryChange(const QString& root)
    : m_root(root)
{
}

QString DirectoryChange::check() const
{
    if (m_root.trimmed().isEmpty())
        return QStringLiteral("No root folder is given.");
    if (!QFileInfo(dataFolder()).isDir())
        return QStringLiteral("The folder \"%1\" does not exist, so \"%2\" holds no data.")
            .arg(dataFolder(), m_root);
    Session session(QStringLiteral("LASession"));
    Database database(QStringLiteral("LADatabase"), &session);
    database.setDirectory(dataFolder());
    QStringList missing;
    for (const TableDef& table : Schema::tables()) {
        if (!database.tableExists(table.name))
            missing << table.name;
    }
    if (!missing.isEmpty())
        return QStringLiteral("The folder \"%1\" lacks the tables %2.")
            .arg(dataFolder(), missing.join(QStringLiteral(", ")));
    try {
        lastRunText();
    } catch (const DatabaseError& e) {
        return e.message();
    }
    return {};
}

QString DirectoryChange::lastRunText() const
{
    Session session(QStringLiteral("LASession"));
    Database database(QStringLiteral("LADatabase"), &session);
    database.setDirectory(dataFolder());
    database.connect();
    Table summary(&database, QStringLiteral("Summary"), QStringLiteral("Dateidx"));
    summary.open();
    summary.first();
    const QDate first = summary.eof() ? QDate() : summary.asDate(QStringLiteral("xDate"));
    summary.close();
    const qint64 days = first.isValid() ? QDate(1899, 12, 30).daysTo(first) : 0;
    return QString::number(double(days) + 0.0000000001, 'f', 10);
}

QString DirectoryChange::apply() const
{
    const QString problem = check();
    if (!problem.isEmpty())
        return problem;
    const QString lastRun = lastRunText();
    Registry registry;
    const QString locations = SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations));
    registry.writeString(locations, QStringLiteral("Cfg"), cfgFolder());
    registry.writeString(locations, QStringLiteral("DataFolder"), dataFolder());
    registry.writeString(locations, QStringLiteral("UpdateFolder"), updateFolder());
    registry.writeString(SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)),
                         QStringLiteral("Last Run"), lastRun);
    return {};
}

} // namespace corvane
