#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

class Database;

// The remote script update: fetches the news messages and a new engine-script
// table (SE3) from the update server over FTP, carries the user's own values
// per engine across, and removes every trace of engines the new table no
// longer holds.
//
// The downloaded table is checked before anything is written: it must open
// with the engine-script password, have every engine-script column and hold
// rows. The user's values are applied to the downloaded copy, which then
// replaces the live SE3 in one step; a failure on the way leaves the live SE3
// and every other table as they were, and the log says why.
class RemoteUpdate
{
public:
    struct Options
    {
        bool resetScores = true;
        bool resetDelays = true;
        bool resetIncrementers = true;
    };

    enum class Outcome { Done, NoFiles, Failed };

    // One line of the log.
    using LogLine = std::function<void(const QString& line)>;
    // The share of the bar to fill, 0.0 to 1.0; also called during downloads,
    // so the caller may let its window repaint there.
    using Bar = std::function<void(double share)>;

    RemoteUpdate(Options options, LogLine log, Bar bar);

    // Runs every step; the folders and the server come from the registry.
    Outcome run();

    // The saved user values of one engine, in the order they are saved.
    struct SavedEngine
    {
        QString name;
        QString active; // "true" or "false"; not written back
        QString popularity;
        QString popSource;
        QString delay;
        QString delay2;
        QString engineInc;
    };

private:
    void runSteps();
    void checkNewScripts(Database& update);
    void updateLogFiles(Database& data);
    void carryUserValues(Database& update);
    void replaceScripts(Database& update, Database& data);
    void updateEngineSelections(Database& data, const QStringList& newNames);
    void clearTerminated(Database& data, const QStringList& terminated);

    Options m_options;
    LogLine m_log;
    Bar m_bar;
    QString m_dataFolder;
    QString m_updateFolder;
    QList<SavedEngine> m_saved;
    QStringList m_savedNames;
    bool m_tablesTouched = false;
};

} // namespace corvane
