#include "core/harvest/HarvesterRun.h"

#include "core/charts/ChartCacheBuilder.h"
#include "core/data/Dataset.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/harvest/ProjectPlan.h"
#include "core/harvest/SessionJournal.h"
#include "core/harvest/SessionRecord.h"
#include "core/notify/NotificationMail.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/platform/Registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <thread>

namespace corvane {

namespace {

constexpr int LogMessageWidth = 255;

QString summaryOf(const QList<TermCheck>& checks)
{
    int ranks = 0;
    int completed = 0;
    for (const TermCheck& check : checks) {
        ranks += int(check.hits.size());
        completed += check.completed() ? 1 : 0;
    }
    return QStringLiteral("%1 ranks, %2 of %3 checks completed").arg(ranks).arg(completed).arg(checks.size());
}

} // namespace

HarvesterRun::HarvesterRun(const SettingsRecord& settings, const QString& advancedThrottleSchedule)
    : m_settings(settings)
    , m_advancedSchedule(advancedThrottleSchedule)
    , m_session(QStringLiteral("Harvester"))
    , m_general(QStringLiteral("HVDatabase"), &m_session)
    , m_se3(QStringLiteral("HVSE3Database"), &m_session)
{
    m_session.addPassword(QLatin1String(Schema::SE3Password));
    // A session only reads the engine scripts.
    m_se3.setReadOnly(true);
}

HarvesterRun::~HarvesterRun() = default;

void HarvesterRun::requestStop()
{
    m_stop = true;
    if (SessionPoller* poller = m_poller.load())
        poller->requestStop();
}

QStringList HarvesterRun::projectNames(const SettingsRecord& settings)
{
    Session session(QStringLiteral("HarvesterList"));
    Database general(QStringLiteral("HVList"), &session);
    general.setReadOnly(true);
    general.setDirectory(settings.DataFolder);
    try {
        general.connect();
        return ProjectPlan::projectNames(general);
    } catch (const DatabaseError&) {
        return {};
    }
}

void HarvesterRun::emitLog(const QString& line)
{
    if (m_observer.log)
        m_observer.log(line);
}

void HarvesterRun::log(const QString& message, const QString& project)
{
    emitLog(message);
    const QDateTime now = QDateTime::currentDateTime();
    Query insert(&m_general,
                 QStringLiteral("INSERT INTO CVLog (xDate, xTime, Message, Project) VALUES (")
                     + SqlQuote::date(now.date()) + QStringLiteral(", ")
                     + SqlQuote::quoted(now.time().toString(QStringLiteral("hh:mm:ss")))
                     + QStringLiteral(", ") + SqlQuote::quoted(message.left(LogMessageWidth))
                     + QStringLiteral(", ") + SqlQuote::quoted(project) + QLatin1Char(')'));
    insert.execSql();
}

bool HarvesterRun::sleepUnlessStopped(int milliseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!m_stop && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return !m_stop;
}

bool HarvesterRun::waitForSessionSlot(std::unique_ptr<NamedMutex>& noCV)
{
    bool told = false;
    while (!m_stop) {
        // Take our own mutex first, then look for theirs: a tool that opens in
        // between sees "NoCV.Mutex" and refuses.
        noCV = std::make_unique<NamedMutex>(QLatin1String(MutexNames::NoCV));
        if (noCV->isOwned() && !NamedMutex::exists(QLatin1String(MutexNames::NoHV)))
            return true;
        noCV.reset();
        if (!told && m_observer.waiting) {
            m_observer.waiting(
                QStringLiteral("Waiting: a Corvane tool that needs the tables to itself is open. "
                               "The session starts when it is closed."));
        }
        told = true;
        sleepUnlessStopped(MutexPollMs);
    }
    return false;
}

void HarvesterRun::recoverJournals()
{
    for (const QString& path : SessionJournal::pending(m_settings.DataFolder)) {
        SessionRows rows;
        if (!SessionJournal::read(path, &rows)) {
            log(QStringLiteral("Harvester removed an unreadable session journal %1")
                    .arg(QDir(path).dirName()));
            QFile::remove(path);
            continue;
        }
        rows.apply(m_general);
        QFile::remove(path);
        log(QStringLiteral("Harvester finished writing the interrupted session of %1")
                .arg(rows.date.toString(QStringLiteral("yyyy-MM-dd"))),
            rows.project);
    }
}

void ApplyRetention(Database& general, const SettingsRecord& settings, const QDate& today)
{
    if (settings.ClearLogRecs && settings.LogRecsDays > 0) {
        Query(&general,
              QStringLiteral("DELETE FROM CVLog WHERE xDate < ")
                  + SqlQuote::date(today.addDays(-settings.LogRecsDays)))
            .execSql();
    }
    if (settings.ClearRankRecs && settings.RankRecDays > 0) {
        const QString cutoff = SqlQuote::date(today.addDays(-settings.RankRecDays));
        Query(&general, QStringLiteral("DELETE FROM CVRank WHERE xDate < ") + cutoff).execSql();
        Query(&general, QStringLiteral("DELETE FROM CVHilo WHERE xDate < ") + cutoff).execSql();
        Query(&general,
              QStringLiteral("DELETE FROM Summary WHERE xDate < ") + cutoff
                  + QStringLiteral(" AND Type IN ('TopSE', 'New')"))
            .execSql();
    }
}

void HarvesterRun::applyRetention() { ApplyRetention(m_general, m_settings, QDate::currentDate()); }

HarvesterRun::SessionEnd HarvesterRun::runSession(const QString& project, const QDate& date)
{
    const ProjectPlan plan = ProjectPlan::load(m_general, m_se3, project);
    const QString day = date.toString(QStringLiteral("yyyy-MM-dd"));
    log(QStringLiteral("Harvester session started for %1 (%2)").arg(project, day), project);
    for (const QString& missing : plan.missingScripts)
        log(QStringLiteral("%1 failed: no engine script of that name").arg(missing), project);

    SessionPoller poller(m_settings, ThrottleFactor(m_settings, m_advancedSchedule, QTime::currentTime()));
    m_poller = &poller;
    if (m_stop)
        poller.requestStop();
    SessionPoller::Observer pollObserver = m_observer;
    pollObserver.log = {}; // failures are logged below, once the workers are done
    const QList<TermCheck> checks = poller.run(plan, pollObserver, m_settings.Disorderly);
    m_poller = nullptr;

    if (m_stop) {
        log(QStringLiteral("Harvester session stopped for %1; nothing was recorded").arg(project), project);
        return SessionEnd::Stopped;
    }
    bool failed = !plan.missingScripts.isEmpty();
    for (const TermCheck& check : checks) {
        if (check.end == EngineEnd::Failed) {
            failed = true;
            log(QStringLiteral("%1 failed on \"%2\": %3").arg(check.engine, check.term, check.error),
                project);
        }
    }

    const SessionRows rows = SessionRows::build(
        plan, checks, date, PreviousSession::load(m_general, plan, date), QDateTime::currentDateTime());
    const QString journal = SessionJournal::pathFor(m_settings.DataFolder, project, date);
    QString error;
    if (!SessionJournal::write(journal, rows, &error)) {
        if (m_observer.error)
            m_observer.error(error);
        log(error, project);
        return SessionEnd::Failed;
    }
    rows.apply(m_general);
    QFile::remove(journal);
    log(QStringLiteral("Harvester session ended for %1 (%2): %3").arg(project, day, summaryOf(checks)),
        project);
    // Told moves are a courtesy: a mail that cannot go out is logged and the session stands.
    SendSessionNotifications(m_general, Registry(), project, date, rows.hilo,
                             [&](const QString& line) { log(line, project); });
    if (m_settings.CacheCharts) {
        const int charts =
            ChartCacheBuilder(m_settings.DataFolder).buildAll(project, [this](const QString& line) {
                emitLog(line);
            });
        log(QStringLiteral("Harvester rebuilt the chart cache of %1 chart(s) of %2").arg(charts).arg(project),
            project);
    }
    return failed ? SessionEnd::Failed : SessionEnd::Completed;
}

int HarvesterRun::run(const HarvestRequest& request)
{
    const auto fail = [this](const QString& text) {
        if (m_observer.error)
            m_observer.error(text);
        return int(NothingToDo);
    };

    NamedMutex harvester{QLatin1String(MutexNames::Harvester)};
    if (!harvester.isOwned())
        return fail(QStringLiteral("Harvester is already running."));

    try {
        m_general.setDirectory(m_settings.DataFolder);
        m_se3.setDirectory(m_settings.DataFolder);
        m_general.connect();
        m_se3.connect();
        if (!m_general.tableExists(QStringLiteral("CVProject")))
            return fail(QStringLiteral("The data folder %1 holds no projects.").arg(m_settings.DataFolder));
        recoverJournals();

        const QStringList known = ProjectPlan::projectNames(m_general);
        QStringList projects = request.all ? known : request.projects;
        for (const QString& project : projects) {
            if (!known.contains(project))
                return fail(QStringLiteral("There is no project named \"%1\".").arg(project));
        }
        QStringList runnable;
        for (const QString& project : projects) {
            const QString reason = ProjectPlan::load(m_general, m_se3, project).incompleteReason();
            if (reason.isEmpty())
                runnable << project;
            else
                log(QStringLiteral("Harvester skipped %1: %2").arg(project, reason), project);
        }
        if (runnable.isEmpty())
            return fail(QStringLiteral("There is nothing to do: no project that can be mined."));

        const QDate date = request.date.isValid() ? request.date : QDate::currentDate();
        bool anyFailed = false;
        for (int p = 0; p < runnable.size() && !m_stop; ++p) {
            const QString& project = runnable.at(p);
            SessionEnd end = SessionEnd::Failed;
            for (int attempt = 0; attempt <= std::max(0, m_settings.HVRetryTimes) && !m_stop; ++attempt) {
                if (attempt > 0) {
                    log(QStringLiteral("Harvester retries the session of %1 in %2 seconds")
                            .arg(project)
                            .arg(m_settings.HVRetrySeconds),
                        project);
                    if (!sleepUnlessStopped(std::max(0, m_settings.HVRetrySeconds) * 1000))
                        break;
                }
                std::unique_ptr<NamedMutex> noCV;
                if (!waitForSessionSlot(noCV))
                    break;
                if (m_observer.sessionStarted)
                    m_observer.sessionStarted(project, p, int(runnable.size()));
                end = runSession(project, date);
                noCV.reset();
                if (end != SessionEnd::Failed)
                    break;
            }
            anyFailed = anyFailed || end != SessionEnd::Completed;
        }
        applyRetention();
        return anyFailed || m_stop ? SessionFailed : Done;
    } catch (const DatabaseError& e) {
        if (m_observer.error)
            m_observer.error(e.message());
        return SessionFailed;
    }
}

} // namespace corvane
