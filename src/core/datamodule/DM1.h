#pragma once

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"
#include "core/messages/MessageKinds.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"

#include <QHash>
#include <QString>

#include <functional>

namespace corvane {

// The data module: the program-wide sessions, databases and shared datasets,
// the settings record loaded from the registry, and the handlers that turn
// database errors on the main tables into log records.
class TDM1
{
public:
    // Shows a titled HTML message with a button set and returns the button
    // pressed; see ShowMessageBox.
    using MessagePresenter = std::function<MessageAnswer(MessageButtons buttons, const QString& title,
                                                         const QString& text, const QString& key)>;

    explicit TDM1(Registry registry = Registry());
    ~TDM1();

    TDM1(const TDM1&) = delete;
    TDM1& operator=(const TDM1&) = delete;

    Registry& registry() { return m_registry; }

    // Settings ------------------------------------------------------------
    SettingsRecord Settings;

    // Reads every key into Settings. A damaged integer is reset to its
    // default and the user is told which key and value it was.
    void LoadSettings();
    // Registers the chart help file's folder where the desktop keeps help
    // locations, when that key exists.
    void RegisterChartHelp();
    // Writes through to the registry; returns the text written.
    QString WriteSetting(const QString& key, const QString& name, const QString& text);

    // Messages ------------------------------------------------------------
    // Returns None without showing anything when show is false; otherwise the
    // button pressed. Without a message window the text goes to stderr and
    // the answer is the set's declining button.
    MessageAnswer ShowMessageBox(MessageButtons buttons, const QString& title, const QString& text, bool show,
                                 const QString& key);
    void setMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

    // The switches of the suppressible messages (key MsgShow): "true" shows a
    // message; anything else, a missing value included, suppresses it.
    // Reads the sixteen values into memory.
    void LoadSwitches();
    // Asks once, then switches every message on again, in the registry and
    // in memory.
    void EnableAllMessages();
    // The in-memory switch to pass as ShowMessageBox's show flag. A message
    // without a key can never be switched off.
    bool MessageSwitch(const QString& key) const;
    // Sets the switch in memory and writes "true" or "false" at once.
    void StoreMessageSwitch(const QString& key, bool show);

    // Log ----------------------------------------------------------------
    // Appends one CVLog record with today's date, the current time and the
    // message. The title is not stored.
    void LogDatabaseError(const QString& title, const QString& message);

    // Databases -----------------------------------------------------------
    // Points "General" and "SE3" at the data folder and connects them.
    void OpenDatabases();
    // Closes every dataset and disconnects both databases.
    void CloseDatabases();
    // Closes every dataset; the databases stay connected.
    void CloseDatasets();

    // Sessions and databases
    Session DefaultSession;
    Session SE3Session;
    Database General;
    Database SE3;

    // Shared datasets
    Table RankTable;
    Query RankQuery;
    Table MergeTable;
    Table STTable;
    Table URLTable;
    Table SQLTeeTable;
    Table LogTable;
    Query GridQuery;
    Query LogQuery;
    Table NotableTable;
    Query Q1;
    Query Q2;
    Table HiLoTable;
    Query NotableQuery;
    Table SE3Table;
    Query DayGlanceQuery;
    Table GroupTable;
    Table EngineTable;
    Table TempTable;
    Table MixTable;
    Table PhraseTable;
    Query EngineQuery;
    Table SummaryTable;
    Table Temp2Table;
    Query SE3Query;
    Table CVSE3Table;
    Table ChartCacheTable;
    Table ReportStyleTable;
    Query TempQuery;

    // Query progress: the width of the bar inside a track of the given width.
    // The grid and gains-and-losses queries fill the whole track.
    static int ProgressBarWidth(int trackWidth, int percent);
    // The day-at-a-glance window runs four queries in turn; each fills its
    // quarter of the track.
    static int DayGlanceProgressBarWidth(int trackWidth, int percent, int queryIndex);

    // The password every protected session supplies when asked.
    static QString TablePassword();

private:
    void installErrorHandlers(Table& table, const QString& tableWord);
    QList<Dataset*> datasets();

    Registry m_registry;
    MessagePresenter m_presenter;
    QHash<QString, bool> m_messageSwitches;
};

// The one data module of the running program; null before it is created.
extern TDM1* DM1;

} // namespace corvane
