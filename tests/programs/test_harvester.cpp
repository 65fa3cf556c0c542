// Harvester as a process against the demo engine running in the test.
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/harvest/SessionJournal.h"
#include "core/notify/Notifications.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include "../core/MailServer.h"
#include "../core/TestSupport.h"
#include "ProgramRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <sqlite3.h>
#include <tuple>

using namespace corvane;

namespace {

const QStringList demoEngines = {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo Unnumbered"),
                                 QStringLiteral("Corvane Demo TagFirst"),
                                 QStringLiteral("Corvane Demo PlanB")};

// The demo engine's style behind one of the starter scripts.
DemoStyle styleOf(const QString& engineName) { return demoStyles().at(int(demoEngines.indexOf(engineName))); }
const QString Project = QStringLiteral("Shop");
constexpr int Depth = 20;

QString hostAt(const QString& term, int day, int rank)
{
    return QUrl(DemoEngine::ranking(term, day).at(rank - 1)).host().mid(4); // without "www."
}

// Best rank of a host within the depth on a day, 0 when absent.
int bestRank(const QString& term, int day, const QString& host)
{
    const QList<QString> ranking = DemoEngine::ranking(term, day);
    for (int i = 0; i < Depth; ++i) {
        if (QUrl(ranking.at(i)).host().endsWith(host))
            return i + 1;
    }
    return 0;
}

class harvester : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.start()) << qPrintable(engine.error());
        Registry registry;
        ProfileSetup setup(registry, profile.path(QStringLiteral("Home")));
        ASSERT_TRUE(setup.run()) << qPrintable(setup.error());
        dbSession.addPassword(QLatin1String(Schema::SE3Password));
        data.setDirectory(setup.dataFolder());
        data.connect();
        const QString port = QString::number(engine.port());
        for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
            exec(QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                     .arg(QLatin1String(column), port));
        }
        setSetting(SettingsKeys::StartupSettings, "HVRetryTimes", "0");
        setSetting(SettingsKeys::Network, "HTTPRetryTimes", "1");
        setSetting(SettingsKeys::Network, "HTTPReadTimeout", "5000");
        setSetting(SettingsKeys::Network, "Connections", "4");
    }

    void setSetting(const char* key, const char* name, const char* value)
    {
        Registry().writeString(SettingsKeys::path(QLatin1String(key)), QLatin1String(name),
                               QLatin1String(value));
    }

    void exec(const QString& sql) { Query(&data, sql).execSql(); }

    // The project: the given URL hosts (the first is the key URL), terms and engines.
    void createProject(const QStringList& hosts, const QStringList& terms, const QStringList& engines)
    {
        exec(QStringLiteral("INSERT INTO CVProject (Name, Depth, KeyURL, FullURLData, StopOnHit) "
                            "VALUES ('%1', %2, 'U0', 1, 0)")
                 .arg(Project)
                 .arg(Depth));
        for (int i = 0; i < hosts.size(); ++i) {
            exec(QStringLiteral(
                     "INSERT INTO CVURL (Name, URL, Project, AnyMatch) VALUES ('U%1', '%2', '%3', 1)")
                     .arg(i)
                     .arg(hosts.at(i), Project));
        }
        for (const QString& term : terms) {
            exec(QStringLiteral("INSERT INTO CVST (Virtual, Physical, Project) VALUES ('%1', '%2', '%3')")
                     .arg(term, QString(term).replace(QLatin1Char(' '), QStringLiteral("~~~")), Project));
        }
        for (const QString& name : engines)
            exec(QStringLiteral("INSERT INTO CVSE3 (Name, Project) VALUES ('%1', '%2')").arg(name, Project));
    }

    test::ProgramResult harvest(const QStringList& arguments, int timeoutMs = 60000)
    {
        return test::runProgram(QStringLiteral("Harvester"), arguments, timeoutMs);
    }

    QList<QVariantList> rows(const QString& sql, const QStringList& columns)
    {
        QList<QVariantList> result;
        Query query(&data, sql);
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            QVariantList row;
            for (const QString& column : columns)
                row << query.value(column);
            result << row;
        }
        return result;
    }

    test::TempProfile profile;
    DemoEngine engine;
    Session dbSession{QStringLiteral("Test")};
    Database data{QStringLiteral("Test"), &dbSession};
};

using RankKey = std::tuple<QString, QString, QString>; // engine, term, URL name

std::map<RankKey, QList<int>> ranksByKey(const QList<QVariantList>& rankRows)
{
    std::map<RankKey, QList<int>> ranks;
    for (const QVariantList& row : rankRows)
        ranks[{row.at(0).toString(), row.at(1).toString(), row.at(2).toString()}] << row.at(3).toInt();
    return ranks;
}

} // namespace

TEST_F(harvester, StoredRanksAreTheServersRankingInEveryMarkupStyle)
{
    const QStringList terms = {QStringLiteral("blue widgets"), QStringLiteral("garden tools")};
    engine.setDay(3);
    const QStringList hosts = {hostAt(terms.at(0), 3, 1), hostAt(terms.at(0), 3, 8),
                               hostAt(terms.at(1), 3, 17)};
    createProject(hosts, terms, demoEngines);
    // A saved chart of the key URL, cached after the session.
    setSetting(SettingsKeys::StartupSettings, "CacheCharts", "true");
    exec(QStringLiteral(
        "INSERT INTO CVSQLTee (Project, File, PopOrder, ForEach, Select1, Select2, DateType, DateStart, "
        "DateEnd, FillDates, ShowNoValue) VALUES ('Shop', 'KeyChart', 'UST', 'U0', 'Corvane Demo', "
        "'blue widgets', 'R', '2026-05-01', '2026-05-10', 0, 0)"));

    const auto result =
        harvest({QStringLiteral("\"Shop\""), QStringLiteral("--date"), QStringLiteral("2026-05-04")});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err + result.out);

    const auto stored =
        ranksByKey(rows(QStringLiteral("SELECT SearchEngine, SearchTerm, URL, Rank, xDate, FoundLink "
                                       "FROM CVRank ORDER BY Rank"),
                        {QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"), QStringLiteral("URL"),
                         QStringLiteral("Rank")}));
    for (const QString& name : demoEngines) {
        for (const QString& term : terms) {
            for (int u = 0; u < hosts.size(); ++u) {
                QList<int> expected;
                const QList<QString> ranking = DemoEngine::ranking(term, 3, styleOf(name));
                for (int i = 0; i < Depth; ++i) {
                    if (QUrl(ranking.at(i)).host().endsWith(hosts.at(u)))
                        expected << i + 1;
                }
                const auto found = stored.find({name, term, QStringLiteral("U%1").arg(u)});
                EXPECT_EQ(found == stored.end() ? QList<int>{} : found->second, expected)
                    << qPrintable(name + QLatin1Char(' ') + term + QLatin1Char(' ') + hosts.at(u));
            }
        }
    }
    const auto dates = rows(QStringLiteral("SELECT DISTINCT xDate FROM CVRank"), {QStringLiteral("xDate")});
    ASSERT_EQ(dates.size(), 1);
    EXPECT_EQ(dates.first().first().toDate(), QDate(2026, 5, 4));
    EXPECT_FALSE(rows(QStringLiteral("SELECT FoundLink FROM CVRank"), {QStringLiteral("FoundLink")})
                     .first()
                     .first()
                     .toString()
                     .isEmpty());

    const auto work =
        rows(QStringLiteral("SELECT LastRecord, Depth, Completed FROM CVEngine"),
             {QStringLiteral("LastRecord"), QStringLiteral("Depth"), QStringLiteral("Completed")});
    ASSERT_EQ(work.size(), 8);
    for (const QVariantList& row : work) {
        EXPECT_EQ(row.at(0).toInt(), Depth);
        EXPECT_EQ(row.at(1).toInt(), Depth);
        EXPECT_TRUE(row.at(2).toBool());
    }
    const auto lastRun = rows(QStringLiteral("SELECT LastRun FROM CVProject"), {QStringLiteral("LastRun")});
    EXPECT_EQ(lastRun.first().first().toDateTime().date(), QDate(2026, 5, 4));
    EXPECT_EQ(rows(QStringLiteral("SELECT Legend, xDate, xValue FROM CVChartCache WHERE Chart = 'KeyChart'"),
                   {QStringLiteral("Legend"), QStringLiteral("xDate"), QStringLiteral("xValue")}),
              (QList<QVariantList>{{QStringLiteral("U0"), QDate(2026, 5, 4), 1}}));
    const auto log =
        rows(QStringLiteral("SELECT Message FROM CVLog ORDER BY xTime"), {QStringLiteral("Message")});
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log.at(0).first().toString().startsWith(QLatin1String("Harvester session started for Shop")));
    EXPECT_TRUE(log.at(1).first().toString().startsWith(QLatin1String("Harvester session ended for Shop")));
    EXPECT_TRUE(SessionJournal::pending(data.directory()).isEmpty());
}

TEST_F(harvester, TwoSessionsOnTwoDaysGiveTheChangesAndTheSummary)
{
    const QStringList terms = {QStringLiteral("red widgets"), QStringLiteral("lawn mower"),
                               QStringLiteral("rain barrel")};
    // Hosts that rank within the depth on at least one of the two days.
    QStringList hosts;
    for (int rank : {2, 6, 11, 19})
        hosts << hostAt(terms.at(rank % 3), 1, rank);
    hosts.removeDuplicates();
    const QString engineName = QStringLiteral("Corvane Demo");
    createProject(hosts, terms, {engineName});

    for (int day : {1, 2}) {
        engine.setDay(day);
        const auto result =
            harvest({Project, QStringLiteral("--date"), QStringLiteral("2026-06-0%1").arg(day)});
        ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err + result.out);
    }

    QSet<QString> expectedHilo;
    QSet<QString> expectedTop, expectedNew, expectedPR1;
    int saturation = 0;
    for (const QString& term : terms) {
        for (int u = 0; u < hosts.size(); ++u) {
            const int yesterday = bestRank(term, 1, hosts.at(u));
            const int today = bestRank(term, 2, hosts.at(u));
            if (yesterday != today) {
                const int difference = (yesterday ? yesterday : Depth + 1) - (today ? today : Depth + 1);
                expectedHilo << QStringLiteral("U%1|%2|%3|%4|%5")
                                    .arg(u)
                                    .arg(term)
                                    .arg(yesterday)
                                    .arg(today)
                                    .arg(difference);
            }
        }
        const int key = bestRank(term, 2, hosts.first());
        if (key) {
            ++saturation;
            expectedTop << QStringLiteral("%1|%2").arg(term).arg(key);
            if (!bestRank(term, 1, hosts.first()))
                expectedNew << QStringLiteral("%1|%2").arg(term).arg(key);
            const QList<QString> ranking = DemoEngine::ranking(term, 2);
            for (int i = 0; i < 10; ++i) {
                if (QUrl(ranking.at(i)).host().endsWith(hosts.first()))
                    expectedPR1 << QStringLiteral("%1|%2").arg(term).arg(i + 1);
            }
        }
    }

    QSet<QString> hilo;
    for (const QVariantList& row :
         rows(QStringLiteral("SELECT * FROM CVHilo WHERE xDate = '2026-06-02'"),
              {QStringLiteral("URL"), QStringLiteral("SearchTerm"), QStringLiteral("AltYesterday"),
               QStringLiteral("AltToday"), QStringLiteral("Difference"), QStringLiteral("SearchEngine")})) {
        EXPECT_EQ(row.at(5).toString(), engineName);
        hilo << QStringLiteral("%1|%2|%3|%4|%5")
                    .arg(row.at(0).toString(), row.at(1).toString())
                    .arg(row.at(2).toInt())
                    .arg(row.at(3).toInt())
                    .arg(row.at(4).toInt());
    }
    EXPECT_EQ(hilo, expectedHilo);
    EXPECT_TRUE(rows(QStringLiteral("SELECT * FROM CVHilo WHERE xDate = '2026-06-01'"), {}).isEmpty());

    const auto summary = [&](const QString& type) {
        QSet<QString> found;
        for (const QVariantList& row :
             rows(QStringLiteral(
                      "SELECT SearchTerm, Rank, URL FROM Summary WHERE Type = '%1' AND xDate = '2026-06-02'")
                      .arg(type),
                  {QStringLiteral("SearchTerm"), QStringLiteral("Rank"), QStringLiteral("URL")})) {
            EXPECT_EQ(row.at(2).toString(), QStringLiteral("U0"));
            found << QStringLiteral("%1|%2").arg(row.at(0).toString()).arg(row.at(1).toInt());
        }
        return found;
    };
    EXPECT_EQ(summary(QStringLiteral("TopSE")), expectedTop);
    EXPECT_EQ(summary(QStringLiteral("New")), expectedNew);
    EXPECT_EQ(summary(QStringLiteral("PR1")), expectedPR1);
    EXPECT_EQ(summary(QStringLiteral("SAT")), QSet<QString>{QStringLiteral("|%1").arg(saturation)});
    // The first-page and saturation lists hold the latest session only.
    EXPECT_EQ(
        rows(QStringLiteral("SELECT * FROM Summary WHERE Type IN ('PR1', 'SAT') AND xDate = '2026-06-01'"),
             {})
            .size(),
        0);
}

// The whole chain of an engine asked through its programming interface: the
// starter script with the key a new profile stores, two sessions of the real
// Harvester, and the moves of the second mailed to the watchers through a real
// SMTP server, with the session standing and the sending logged.
TEST_F(harvester, AnInterfaceEngineRanksAndTheMovesAreMailedToTheWatchers)
{
    test::SmtpServer server(profile.path(QStringLiteral("Maildir")));
    ASSERT_TRUE(server.running());
    SmtpSettings smtp;
    smtp.host = QStringLiteral("127.0.0.1");
    smtp.port = server.port();
    smtp.sender = QStringLiteral("corvane@example.org");
    Registry registry;
    smtp.save(registry);

    const QStringList terms = {QStringLiteral("red widgets"), QStringLiteral("lawn mower")};
    QStringList hosts;
    for (int rank : {2, 6, 11, 19})
        hosts << hostAt(terms.at(rank % 2), 1, rank);
    hosts.removeDuplicates();
    const QString engineName = QStringLiteral("Corvane Demo API");
    exec(QStringLiteral("UPDATE SE3 SET Active = 1 WHERE Name = '%1'").arg(engineName));
    createProject(hosts, terms, {engineName});
    Session session(QStringLiteral("Notify"));
    Database general(QStringLiteral("Notify"), &session);
    general.setDirectory(data.directory());
    general.connect();
    Notification watch;
    watch.recipients = {{QStringLiteral("watcher@example.org"), true}};
    NotificationStore(general).save(Project, {watch});

    for (int day : {1, 2}) {
        engine.setDay(day);
        const auto result =
            harvest({Project, QStringLiteral("--date"), QStringLiteral("2026-06-0%1").arg(day)});
        ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err + result.out);
    }

    EXPECT_FALSE(
        rows(QStringLiteral("SELECT * FROM CVRank WHERE SearchEngine = '%1'").arg(engineName), {}).isEmpty());
    const QList<QVariantList> moves =
        rows(QStringLiteral("SELECT * FROM CVHilo WHERE xDate = '2026-06-02'"),
             {QStringLiteral("SearchEngine"), QStringLiteral("SearchTerm"), QStringLiteral("URL")});
    ASSERT_FALSE(moves.isEmpty());

    const QList<QByteArray> mails = server.messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(test::header(mails[0], "To"), QStringLiteral("watcher@example.org"));
    const QString text = test::part(mails[0], "text/plain");
    for (const QVariantList& move : moves) {
        EXPECT_TRUE(
            text.contains(QStringLiteral("  %1 | %2 | %3\n")
                              .arg(move.at(0).toString(), move.at(1).toString(), move.at(2).toString())))
            << qPrintable(text);
    }
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n%1 change(s).\n").arg(moves.size()))) << qPrintable(text);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM CVLog WHERE Message LIKE 'Harvester sent notification 1 of "
                                  "Shop%'"),
                   {})
                  .size(),
              1);
}

TEST_F(harvester, AFailingEngineLeavesItsChecksIncompleteAndIsLogged)
{
    createProject({hostAt(QStringLiteral("blue widgets"), 0, 3)}, {QStringLiteral("blue widgets")},
                  {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo PlanB")});
    // Nothing listens on the port of a server that has stopped.
    DemoEngine gone;
    ASSERT_TRUE(gone.start());
    const QString deadPort = QString::number(gone.port());
    gone.stop();
    exec(QStringLiteral(
             "UPDATE SE3 SET AString1 = replace(AString1, '127.0.0.1:%1', '127.0.0.1:%2'), "
             "BString1 = replace(BString1, '127.0.0.1:%1', '127.0.0.1:%2') WHERE Name = 'Corvane Demo PlanB'")
             .arg(engine.port())
             .arg(deadPort));

    const auto result = harvest({Project});
    EXPECT_EQ(result.exitCode, 2) << qPrintable(result.err + result.out);
    const auto work = rows(QStringLiteral("SELECT SE3Name, Completed FROM CVEngine ORDER BY SE3Name"),
                           {QStringLiteral("SE3Name"), QStringLiteral("Completed")});
    ASSERT_EQ(work.size(), 2);
    EXPECT_TRUE(work.at(0).at(1).toBool());
    EXPECT_FALSE(work.at(1).at(1).toBool());
    const auto failures =
        rows(QStringLiteral("SELECT Message FROM CVLog WHERE Message LIKE 'Corvane Demo PlanB failed%'"),
             {QStringLiteral("Message")});
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().first().toString().contains(QLatin1String("blue widgets")));
    // A failed check is not "not found": it gives no loss.
    EXPECT_TRUE(
        rows(QStringLiteral("SELECT * FROM CVHilo WHERE SearchEngine = 'Corvane Demo PlanB'"), {}).isEmpty());
}

TEST_F(harvester, AKilledSessionLeavesSoundTablesAndFreeMutexes)
{
    createProject({hostAt(QStringLiteral("garden tools"), 0, 4)}, {QStringLiteral("garden tools")},
                  {QStringLiteral("Corvane Demo")});
    engine.setFailure(DemoEngine::Failure::Slow);
    engine.setSlowDelay(10000);

    QProcess run;
    run.start(QStringLiteral(CORVANE_BIN_DIR "/Harvester"), {Project});
    ASSERT_TRUE(run.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (!NamedMutex::exists(QLatin1String(MutexNames::NoCV)) && waited.elapsed() < 20000)
        QThread::msleep(20);
    ASSERT_TRUE(NamedMutex::exists(QLatin1String(MutexNames::NoCV)));
    // A guarded Corvane tool asks this very question before it opens.
    EXPECT_TRUE(NamedMutex(QLatin1String(MutexNames::NoCV)).alreadyExisted());
    EXPECT_TRUE(NamedMutex::exists(QLatin1String(MutexNames::Harvester)));
    while (engine.requestCount() == 0 && waited.elapsed() < 20000)
        QThread::msleep(20);
    run.kill(); // SIGKILL
    run.waitForFinished();

    EXPECT_FALSE(NamedMutex::exists(QLatin1String(MutexNames::NoCV)));
    EXPECT_FALSE(NamedMutex::exists(QLatin1String(MutexNames::Harvester)));
    for (const QString& file : QDir(data.directory()).entryList({QStringLiteral("*.dat")}, QDir::Files)) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QDir(data.directory()).filePath(file).toUtf8().constData(), &db,
                                  SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* check = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
        ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") << qPrintable(file);
        sqlite3_finalize(check);
        sqlite3_close(db);
    }

    engine.setFailure(DemoEngine::Failure::None);
    const auto again = harvest({Project});
    EXPECT_EQ(again.exitCode, 0) << qPrintable(again.err + again.out);
    const auto work = rows(QStringLiteral("SELECT Completed FROM CVEngine"), {QStringLiteral("Completed")});
    ASSERT_EQ(work.size(), 1);
    EXPECT_TRUE(work.first().first().toBool());
}

TEST_F(harvester, AJournalLeftByAnInterruptedWriteIsWrittenAtTheNextStart)
{
    createProject({QStringLiteral("nowhere.example")}, {QStringLiteral("blue widgets")},
                  {QStringLiteral("Corvane Demo")});
    SessionRows rows;
    rows.project = Project;
    rows.date = QDate(2026, 4, 1);
    rows.lastRun = 46113.25;
    rows.rank.append({Project, QStringLiteral("Corvane Demo"), QStringLiteral("blue widgets"),
                      QStringLiteral("U0"), 7, 1, QStringLiteral("2026-04-01"), QVariant()});
    QString error;
    ASSERT_TRUE(
        SessionJournal::write(SessionJournal::pathFor(data.directory(), Project, rows.date), rows, &error));

    engine.setDay(0);
    const auto result = harvest({Project, QStringLiteral("--date"), QStringLiteral("2026-04-02")});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err + result.out);
    EXPECT_TRUE(SessionJournal::pending(data.directory()).isEmpty());
    EXPECT_EQ(rows.rank.size(), 1);
    EXPECT_EQ(this->rows(QStringLiteral("SELECT Rank FROM CVRank WHERE xDate = '2026-04-01'"),
                         {QStringLiteral("Rank")}),
              (QList<QVariantList>{{7}}));
    // The new session compares with the recovered one: U0 was 7, is now absent.
    EXPECT_EQ(this->rows(
                  QStringLiteral("SELECT AltYesterday, AltToday, Difference FROM CVHilo"),
                  {QStringLiteral("AltYesterday"), QStringLiteral("AltToday"), QStringLiteral("Difference")}),
              (QList<QVariantList>{{7, 0, 7 - (Depth + 1)}}));
}

TEST_F(harvester, ASessionWaitsWhileACorvaneToolHoldsTheTables)
{
    createProject({hostAt(QStringLiteral("blue widgets"), 0, 2)}, {QStringLiteral("blue widgets")},
                  {QStringLiteral("Corvane Demo")});
    QProcess tool;
    tool.start(QStringLiteral(MUTEX_HOLDER_PATH), {QLatin1String(MutexNames::NoHV)});
    ASSERT_TRUE(tool.waitForReadyRead(10000));
    ASSERT_EQ(tool.readAll().trimmed(), QByteArray("held"));

    QProcess run;
    run.start(QStringLiteral(CORVANE_BIN_DIR "/Harvester"), {Project});
    QElapsedTimer waited;
    waited.start();
    QByteArray out;
    while (!out.contains("Waiting") && waited.elapsed() < 20000) {
        run.waitForReadyRead(200);
        out += run.readAllStandardOutput();
    }
    EXPECT_TRUE(out.contains("Waiting")) << out.constData();
    EXPECT_EQ(engine.requestCount(), 0);
    EXPECT_EQ(run.state(), QProcess::Running);

    tool.kill();
    tool.waitForFinished();
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_GT(engine.requestCount(), 0);
}

TEST_F(harvester, CommandLineExitCodes)
{
    EXPECT_EQ(harvest({QStringLiteral("--help")}).exitCode, 0);
    const auto version = harvest({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QLatin1String("Harvester "))) << qPrintable(version.out);
    EXPECT_EQ(harvest({QStringLiteral("--date"), QStringLiteral("yesterday"), Project}).exitCode, 1);
    // A cron line whose project variable is empty: a message, never a window waiting for ever.
    const auto blank = harvest({QString()}, 15000);
    EXPECT_TRUE(blank.finished);
    EXPECT_EQ(blank.exitCode, 1);
    EXPECT_TRUE(blank.err.contains(QLatin1String("blank project name"))) << qPrintable(blank.err);
    const auto farFuture = harvest({Project, QStringLiteral("--date"), QStringLiteral("9999-12-31")});
    EXPECT_EQ(farFuture.exitCode, 1);
    EXPECT_TRUE(farFuture.err.contains(QLatin1String("lies outside"))) << qPrintable(farFuture.err);

    // No project at all, then an unknown one, then one without terms.
    EXPECT_EQ(harvest({QStringLiteral("--all")}).exitCode, 1);
    const auto unknown = harvest({QStringLiteral("Nope")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QLatin1String("Nope"))) << qPrintable(unknown.err);
    createProject({QStringLiteral("a.example")}, {}, {QStringLiteral("Corvane Demo")});
    EXPECT_EQ(harvest({QStringLiteral("--all")}).exitCode, 1);

    // A second Harvester leaves at once.
    QProcess other;
    other.start(QStringLiteral(MUTEX_HOLDER_PATH), {QLatin1String(MutexNames::Harvester)});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    const auto second = harvest({Project});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains(QLatin1String("already running"))) << qPrintable(second.err);
    other.kill();
    other.waitForFinished();
}
