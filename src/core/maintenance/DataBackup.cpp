#include "core/maintenance/DataBackup.h"

#include "core/data/DatabaseError.h"
#include "core/data/FieldCodec.h"
#include "core/data/Schema.h"
#include "core/data/TableCopy.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

namespace {

const QString Stars = QStringLiteral("************************");

} // namespace

DataBackup::DataBackup(const QString& dataFolder)
    : m_session(QStringLiteral("BackupSession"), LockSettings{15, 100})
    , m_data(QStringLiteral("BackupDatabase"), &m_session)
{
    m_session.setPasswordHook([](Session& session) {
        session.addPassword(QLatin1String(Schema::SE3Password));
        return true;
    });
    m_data.setDirectory(dataFolder);
}

QString DataBackup::backupFolder(const QString& root)
{
    QString folder = root;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("CVBackup/");
}

bool DataBackup::backup(const QString& root, const LogLine& log, const Progress& progress)
{
    log(QStringLiteral("Backing up data files:"));
    log(Stars);
    const QString folder = backupFolder(root);
    if (!QFileInfo(folder).isDir())
        QDir().mkdir(folder); // one level: a root that does not exist fails table by table
    Database backup(QStringLiteral("BackupFolder"), &m_session);
    backup.setDirectory(folder);
    return copyAll(m_data, backup, false, log, progress);
}

bool DataBackup::restore(const QString& root, const LogLine& log, const Progress& progress)
{
    log(QStringLiteral("Restoring data files:"));
    log(Stars);
    const QString folder = backupFolder(root);
    if (!QFileInfo(folder).isDir()) {
        // Nothing to restore from: said plainly rather than ending with "Done!".
        log(QStringLiteral("The backup folder \"%1\" does not exist.").arg(folder));
        log(QStringLiteral("Done...with errors..."));
        return false;
    }
    Database backup(QStringLiteral("BackupDatabase"), &m_session);
    backup.setDirectory(folder);
    return copyAll(backup, m_data, true, log, progress);
}

bool DataBackup::copyAll(Database& from, Database& to, bool intoLiveFolder, const LogLine& log,
                         const Progress& progress)
{
    bool errors = false;
    const QStringList tables = from.tableNames();
    for (const QString& table : tables) {
        if (progress)
            progress(0);
        try {
            TableCopy::copy(from, table, to,
                            intoLiveFolder ? TableCopy::Replace::InPlace : TableCopy::Replace::ByRename,
                            progress);
            log(table + QStringLiteral(" OK"));
        } catch (const DatabaseError& e) {
            log(table + QLatin1Char(' ') + e.message());
            errors = true;
        }
    }
    log(errors ? QStringLiteral("Done...with errors...") : QStringLiteral("Done!"));
    return !errors;
}

QString DataBackup::lastBackupText(const QDateTime& when)
{
    return QString::number(FieldCodec::toDayCount(when), 'f', 10);
}

QDateTime DataBackup::lastBackupTime(const QString& text)
{
    bool ok = false;
    const double days = text.trimmed().toDouble(&ok);
    if (!ok || days == 0.0)
        return {};
    return FieldCodec::fromDayCount(days);
}

} // namespace corvane
