#pragma once

#include "core/data/TableDatabase.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

// Backup and restore of every table of the data folder, table by table,
// into and out of the sub-folder "CVBackup" of a root the user chooses.
// Each table is copied with the table database's online copy (TableCopy):
// a backup is consistent even while another program writes, and a restored
// table takes the place of the live one only once it is complete. The
// session "BackupSession" supplies the engine-script password.
class DataBackup
{
public:
    using LogLine = std::function<void(const QString& line)>;
    using Progress = std::function<void(int percent)>;

    explicit DataBackup(const QString& dataFolder);

    // The backup folder of a root: the root followed by "/CVBackup/".
    static QString backupFolder(const QString& root);

    // Copies every "*.dat" table of the data folder into the backup folder
    // (made when missing, one level) and writes one log line per table.
    // Returns true when every table was copied.
    bool backup(const QString& root, const LogLine& log, const Progress& progress = {});
    // Copies every table of the backup folder into the data folder.
    bool restore(const QString& root, const LogLine& log, const Progress& progress = {});

    // LastBackup as stored: a day count since 1899-12-30 in decimal text.
    static QString lastBackupText(const QDateTime& when);
    // The stored text back as a time; invalid for an empty, zero or damaged value.
    static QDateTime lastBackupTime(const QString& text);

private:
    bool copyAll(Database& from, Database& to, bool intoLiveFolder, const LogLine& log,
                 const Progress& progress);

    Session m_session;
    Database m_data;
};

} // namespace corvane
