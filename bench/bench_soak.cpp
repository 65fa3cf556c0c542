// Soak: Harvester mines the demo engine in a loop, one session every few
// seconds, while reading programs (cvproject's lists, CVSchedule --list,
// cvcheck) and the dashboard's statements read the same tables and cvproject
// edits a second project (terms and URLs added and removed, the project
// renamed and back). Afterwards every table must pass the integrity check,
// each session's rank rows must be exactly what it logged, the edited
// project must keep every rank row it had, and no program may have reported
// an error. Prints the figures; exit status 0 when all of that holds.
//
//   bench_soak [--seconds N] [--keep]
//
// Everything runs in a temporary profile (own settings store, mutexes,
// crontab) against a demo engine on a free loopback port.
#include "core/dashboard/DashboardData.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/demo/DemoEngine.h"
#include "core/platform/Registry.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/Settings.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sqlite3.h>

using namespace corvane;

namespace {

QTextStream out(stdout);

// Project names hold no blanks; quotes, "&", markup and non-ASCII letters they may.
const QString Mined = QStringLiteral("Soak\"mined\"&<b>Ñ");
const QString Edited = QStringLiteral("Edits'A'");
const QString EditedRenamed = QStringLiteral("Edits'B'ä");
const QStringList Terms = {QStringLiteral("blue widgets"), QStringLiteral("garden tools"),
                           QStringLiteral("lawn mower"), QStringLiteral("rain barrel")};
const QStringList Engines = {QStringLiteral("Corvane Demo"), QStringLiteral("Corvane Demo Unnumbered"),
                             QStringLiteral("Corvane Demo TagFirst"), QStringLiteral("Corvane Demo PlanB")};
constexpr int EngineDay = 20000;
constexpr int PauseBetweenSessionsMs = 2000;
constexpr int PauseBetweenEditsMs = 700;
constexpr int PauseBetweenReadsMs = 300;
constexpr int DashboardEveryMs = 400;

QString binary(const QString& name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

struct Outcome
{
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
};

// Runs a program to its end, for the set-up steps.
Outcome runNow(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(binary(name), arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.exitStatus() != QProcess::NormalExit,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// One program started again and again, each time with the arguments the
// next() function gives, waiting pauseMs between a run's end and the next
// start, until the deadline; done() judges each run.
class Loop
{
public:
    Loop(QString program, std::function<QStringList()> next, std::function<void(const Outcome&)> done,
         int pauseMs)
        : m_program(std::move(program))
        , m_next(std::move(next))
        , m_done(std::move(done))
        , m_pauseMs(pauseMs)
    {
        QObject::connect(&m_process, &QProcess::finished, [this](int code, QProcess::ExitStatus status) {
            m_done({code, status != QProcess::NormalExit,
                    QString::fromUtf8(m_process.readAllStandardOutput()),
                    QString::fromUtf8(m_process.readAllStandardError())});
            m_running = false;
            if (!m_stopping)
                QTimer::singleShot(m_pauseMs, [this] { startNext(); });
            else if (m_stopped)
                m_stopped();
        });
        QObject::connect(&m_process, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            m_done({-1, true, {}, QStringLiteral("cannot start ") + binary(m_program)});
            m_running = false;
            if (m_stopping && m_stopped)
                m_stopped();
            else if (!m_stopping)
                QTimer::singleShot(m_pauseMs, [this] { startNext(); });
        });
    }

    void start() { startNext(); }
    // No new runs; `stopped` is called when the run in progress has ended (at once when none is).
    void stop(std::function<void()> stopped)
    {
        m_stopping = true;
        m_stopped = std::move(stopped);
        if (!m_running)
            m_stopped();
    }

private:
    void startNext()
    {
        if (m_stopping)
            return;
        m_running = true;
        m_process.start(binary(m_program), m_next());
    }

    QString m_program;
    std::function<QStringList()> m_next;
    std::function<void(const Outcome&)> m_done;
    int m_pauseMs;
    QProcess m_process;
    bool m_running = false;
    bool m_stopping = false;
    std::function<void()> m_stopped;
};

struct Figures
{
    int sessions = 0;
    qint64 rowsLogged = 0;
    int edits = 0;
    int editsRefused = 0;
    int reads = 0;
    int dashboardReads = 0;
    QStringList errors;
};

QString describe(const QString& what, const Outcome& outcome)
{
    return QStringLiteral("%1 ended with %2: %3%4")
        .arg(what, outcome.crashed ? QStringLiteral("a crash") : QString::number(outcome.exitCode),
             outcome.err.trimmed(),
             outcome.out.trimmed().isEmpty() ? QString()
                                             : QStringLiteral(" / ") + outcome.out.trimmed().right(300));
}

// "ok" from every table file of the folder, else the file and what SQLite says.
QStringList integrityFaults(const QString& folder, int* tables)
{
    QStringList faults;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files);
    *tables = int(files.size());
    for (const QString& file : files) {
        sqlite3* db = nullptr;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + file);
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            faults << QStringLiteral("%1: cannot open").arg(file);
            sqlite3_close(db);
            continue;
        }
        sqlite3_stmt* check = nullptr;
        QString answer;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK) {
            while (sqlite3_step(check) == SQLITE_ROW)
                answer += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
        } else {
            answer = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(check);
        sqlite3_close(db);
        if (answer != QLatin1String("ok"))
            faults << QStringLiteral("%1: %2").arg(file, answer.left(300));
    }
    return faults;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int seconds = 600;
    bool keep = false;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--seconds") && i + 1 < arguments.size()) {
            bool ok = false;
            seconds = arguments.at(++i).toInt(&ok);
            if (!ok || seconds < 10) {
                std::fprintf(stderr, "bench_soak: --seconds needs a whole number of at least 10\n");
                return 2;
            }
        } else if (arguments.at(i) == QLatin1String("--keep")) {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: bench_soak [--seconds N] [--keep]\n");
            return 2;
        }
    }

    QTemporaryDir root;
    root.setAutoRemove(!keep);
    const QString home = root.filePath(QStringLiteral("Home"));
    qputenv("CORVANE_REGISTRY", root.filePath(QStringLiteral("registry.reg")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("run")).toUtf8());
    qputenv("CORVANE_CRONTAB", root.filePath(QStringLiteral("crontab")).toUtf8());
    QDir().mkpath(root.filePath(QStringLiteral("run")));

    DemoEngine engine;
    if (!engine.start()) {
        std::fprintf(stderr, "bench_soak: the demo engine cannot start: %s\n", qPrintable(engine.error()));
        return 2;
    }
    engine.setDay(EngineDay);

    // The profile, its engine scripts pointed at our engine, quick retries.
    QString dataFolder;
    {
        Registry registry;
        ProfileSetup setup(registry, home);
        if (!setup.run()) {
            std::fprintf(stderr, "bench_soak: %s\n", qPrintable(setup.error()));
            return 2;
        }
        dataFolder = setup.dataFolder();
        Session session(QStringLiteral("Soak"));
        session.addPassword(QLatin1String(Schema::SE3Password));
        Database data(QStringLiteral("Soak"), &session);
        data.setDirectory(dataFolder);
        data.connect();
        for (const char* column : {"HomePage", "AString1", "BString1", "ReplaceWith1", "ReplaceWith2"}) {
            Query(&data,
                  QStringLiteral("UPDATE SE3 SET %1 = replace(%1, '127.0.0.1:8765', '127.0.0.1:%2')")
                      .arg(QLatin1String(column))
                      .arg(engine.port()))
                .execSql();
        }
        const auto set = [&](const char* key, const char* name, const char* value) {
            registry.writeString(SettingsKeys::path(QLatin1String(key)), QLatin1String(name),
                                 QLatin1String(value));
        };
        set(SettingsKeys::StartupSettings, "HVRetryTimes", "0");
        set(SettingsKeys::Network, "HTTPRetryTimes", "1");
        set(SettingsKeys::Network, "HTTPReadTimeout", "5000");
        set(SettingsKeys::Network, "Connections", "4");
    }

    // Hosts that rank within the depth: each session finds something.
    QStringList hosts;
    for (const QString& term : Terms)
        hosts << QUrl(DemoEngine::ranking(term, EngineDay).at(2 + hosts.size() * 3)).host().mid(4);
    const auto createProject = [&](const QString& name) {
        QStringList create = {QStringLiteral("create"), name, QStringLiteral("--depth"),
                              QStringLiteral("20")};
        for (int i = 0; i < hosts.size(); ++i)
            create << QStringLiteral("--url") << QStringLiteral("Site %1 & <i>=%2").arg(i).arg(hosts.at(i));
        create << QStringLiteral("--key-url") << QStringLiteral("Site 0 & <i>");
        for (const QString& term : Terms)
            create << QStringLiteral("--term") << term;
        for (const QString& e : Engines)
            create << QStringLiteral("--engine") << e;
        return runNow(QStringLiteral("cvproject"), create);
    };
    for (const QString& name : {Mined, Edited}) {
        const Outcome made = createProject(name);
        if (made.exitCode != 0) {
            std::fprintf(stderr, "bench_soak: %s\n",
                         qPrintable(describe(QStringLiteral("cvproject create"), made)));
            return 2;
        }
    }
    // The edited project gets two days of ranks, which its renames carry along.
    const QDate today = QDate::currentDate();
    for (int back : {400, 399}) {
        const Outcome mined =
            runNow(QStringLiteral("Harvester"),
                   {Edited, QStringLiteral("--date"), today.addDays(-back).toString(Qt::ISODate)});
        if (mined.exitCode != 0) {
            std::fprintf(stderr, "bench_soak: %s\n",
                         qPrintable(describe(QStringLiteral("Harvester"), mined)));
            return 2;
        }
    }

    Session readSession(QStringLiteral("SoakReader"));
    Database reader(QStringLiteral("SoakReader"), &readSession);
    reader.setDirectory(dataFolder);
    reader.connect();
    const auto rankRows = [&](const QString& project) {
        Query query(&reader,
                    QStringLiteral("SELECT COUNT(*) AS N FROM CVRank WHERE Project = ")
                        + SqlQuote::quoted(project));
        query.open();
        query.first();
        return qint64(query.asInteger(QStringLiteral("N")));
    };
    const qint64 editedRows = rankRows(Edited);

    Figures figures;
    QStringList sessionDates;
    int sessionNumber = 0;
    const QDate firstDay = today.addDays(-(seconds * 1000 / PauseBetweenSessionsMs) - 1);
    Loop harvests(
        QStringLiteral("Harvester"),
        [&] {
            // A day of its own for every session, so each one's rows can be counted,
            // one after another as a daily task would mine them, ending before tomorrow.
            const QString day = firstDay.addDays(sessionNumber++).toString(Qt::ISODate);
            sessionDates << day;
            return QStringList{Mined, QStringLiteral("--date"), day};
        },
        [&](const Outcome& o) {
            ++figures.sessions;
            if (o.exitCode != 0 || o.crashed)
                figures.errors << describe(QStringLiteral("Harvester session %1").arg(figures.sessions), o);
        },
        PauseBetweenSessionsMs);

    int editStep = 0;
    bool renamed = false;
    Loop edits(
        QStringLiteral("cvproject"),
        [&]() -> QStringList {
            const QString project = renamed ? EditedRenamed : Edited;
            const int n = editStep / 6;
            const QString term = QStringLiteral("soak term %1 \"q\" & <b>").arg(n);
            const QString url = QStringLiteral("Soak URL %1 'x'").arg(n);
            switch (editStep++ % 6) {
            case 0: return {QStringLiteral("add-term"), project, term};
            case 1:
                return {QStringLiteral("add-url"), project, url, QStringLiteral("soak-%1.example").arg(n)};
            case 2: return {QStringLiteral("rename"), project, renamed ? Edited : EditedRenamed};
            case 3: return {QStringLiteral("remove-term"), project, term};
            case 4: return {QStringLiteral("remove-url"), project, url};
            default:
                return {QStringLiteral("set"), project, QStringLiteral("--depth"),
                        QString::number(20 + n % 5)};
            }
        },
        [&](const Outcome& o) {
            if (o.exitCode == 0) {
                ++figures.edits;
                if ((editStep - 1) % 6 == 2)
                    renamed = !renamed;
            } else if (o.exitCode == 1
                       && o.err.contains(QLatin1String("while Harvester is running a session"))) {
                ++figures.editsRefused;
                --editStep; // the same edit again
            } else {
                figures.errors << describe(QStringLiteral("cvproject edit"), o);
            }
        },
        PauseBetweenEditsMs);

    // Each reading program in a loop of its own, taking its commands in turn.
    const std::map<QString, QList<QStringList>> reads = {
        {QStringLiteral("cvproject"),
         {{QStringLiteral("list")}, {QStringLiteral("terms"), Mined}, {QStringLiteral("urls"), Mined}}},
        {QStringLiteral("CVSchedule"), {{QStringLiteral("--list")}}},
        {QStringLiteral("cvcheck"),
         {{QStringLiteral("--term"), Terms.first(), QStringLiteral("--url"), hosts.first(),
           QStringLiteral("--engine"), Engines.first(), QStringLiteral("--depth"), QStringLiteral("20")}}},
    };
    std::vector<std::unique_ptr<Loop>> readers;
    for (const auto& read : reads) {
        const QString program = read.first;
        const auto commands = read.second;
        auto step = std::make_shared<int>(0);
        readers.push_back(std::make_unique<Loop>(
            program, [commands, step] { return commands.at((*step)++ % commands.size()); },
            [&figures, program](const Outcome& o) {
                ++figures.reads;
                // cvcheck: 0 ranked, 1 nothing within the depth; both are answers.
                const bool answered =
                    o.exitCode == 0 || (program == QLatin1String("cvcheck") && o.exitCode == 1);
                if (!answered || o.crashed)
                    figures.errors << describe(program + QStringLiteral(" (reading)"), o);
            },
            PauseBetweenReadsMs));
    }

    // The dashboard's statements on the mined project's latest session.
    QTimer dashboard;
    dashboard.setInterval(DashboardEveryMs);
    QObject::connect(&dashboard, &QTimer::timeout, [&] {
        if (sessionDates.isEmpty())
            return;
        try {
            const DashboardData data(reader, Mined, QDate::fromString(sessionDates.last(), Qt::ISODate));
            for (const TopEngine& e : data.topEngines())
                data.topSlot(e.name);
            data.firstPage();
            data.newArrivals();
            data.saturation();
            data.optimizationNotes();
            ProjectCounts::read(reader, Mined);
            ++figures.dashboardReads;
        } catch (const DatabaseError& e) {
            figures.errors << QStringLiteral("dashboard: ") + e.message();
        }
    });

    QElapsedTimer clock;
    clock.start();
    harvests.start();
    edits.start();
    for (auto& r : readers)
        r->start();
    dashboard.start();
    int running = 0;
    QTimer::singleShot(seconds * 1000, [&] {
        dashboard.stop();
        std::vector<Loop*> loops = {&harvests, &edits};
        for (auto& r : readers)
            loops.push_back(r.get());
        running = int(loops.size());
        for (Loop* loop : loops)
            loop->stop([&] {
                if (--running == 0)
                    app.quit();
            });
    });
    app.exec();
    const double elapsed = clock.elapsed() / 1000.0;

    // What the sessions logged against what the tables hold.
    std::map<QString, qint64> logged; // day -> rank rows
    int sessionsLogged = 0;
    {
        Query logRows(&reader, QStringLiteral("SELECT Message FROM CVLog ORDER BY xDate, xTime"));
        logRows.open();
        static const QRegularExpression ended(
            QStringLiteral("^Harvester session ended for (.*) \\((\\d{4}-\\d\\d-\\d\\d)\\): (\\d+) ranks"));
        for (logRows.first(); !logRows.eof(); logRows.next()) {
            const QString message = logRows.asString(QStringLiteral("Message"));
            const QRegularExpressionMatch m = ended.match(message);
            if (m.hasMatch() && m.captured(1) == Mined) {
                ++sessionsLogged;
                logged[m.captured(2)] = m.captured(3).toLongLong();
            } else if (message.contains(QLatin1String("failed"))
                       || message.contains(QLatin1String("stopped"))) {
                figures.errors << QStringLiteral("CVLog: ") + message;
            }
        }
    }
    if (sessionsLogged != figures.sessions)
        figures.errors << QStringLiteral("%1 sessions ran, %2 logged their end")
                              .arg(figures.sessions)
                              .arg(sessionsLogged);
    std::map<QString, qint64> stored;
    {
        Query rows(&reader,
                   QStringLiteral("SELECT xDate, COUNT(*) AS N FROM CVRank WHERE Project = ")
                       + SqlQuote::quoted(Mined) + QStringLiteral(" GROUP BY xDate"));
        rows.open();
        for (rows.first(); !rows.eof(); rows.next())
            stored[rows.asDate(QStringLiteral("xDate")).toString(Qt::ISODate)] =
                rows.asInteger(QStringLiteral("N"));
    }
    for (const auto& [day, n] : logged) {
        figures.rowsLogged += n;
        const qint64 have = stored.count(day) ? stored.at(day) : 0;
        if (have != n)
            figures.errors << QStringLiteral("%1: the session logged %2 rank rows, CVRank holds %3")
                                  .arg(day)
                                  .arg(n)
                                  .arg(have);
    }
    for (const auto& [day, n] : stored)
        if (!logged.count(day))
            figures.errors << QStringLiteral("%1: %2 rank rows of no logged session").arg(day).arg(n);
    const QString editedNow = renamed ? EditedRenamed : Edited;
    const qint64 editedAfter = rankRows(editedNow);
    if (editedAfter != editedRows)
        figures.errors
            << QStringLiteral("the edited project had %1 rank rows, now %2").arg(editedRows).arg(editedAfter);
    reader.disconnect();

    int tables = 0;
    for (const QString& fault : integrityFaults(dataFolder, &tables))
        figures.errors << QStringLiteral("integrity: ") + fault;
    const int journals = int(QDir(dataFolder).entryList({QStringLiteral("*.journal")}, QDir::Files).size());
    if (journals > 0)
        figures.errors << QStringLiteral("%1 journal(s) left in the data folder").arg(journals);

    out << "soak: " << QString::number(elapsed, 'f', 0) << " s, " << figures.sessions << " sessions, "
        << figures.rowsLogged << " rank rows written, " << figures.edits << " edits (" << figures.editsRefused
        << " refused during a session), " << figures.reads << " program reads, " << figures.dashboardReads
        << " dashboard reads, " << tables << " tables checked, " << figures.errors.size() << " errors\n";
    for (const QString& e : figures.errors.mid(0, 20))
        out << "  error: " << e << '\n';
    if (keep)
        out << "profile kept in " << root.path() << '\n';
    out.flush();
    engine.stop();
    return figures.errors.isEmpty() && figures.sessions > 0 ? 0 : 1;
}
