#include "core/projects/ProjectCascade.h"

#include "core/data/Connection.h"
#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlDialect.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/data/TableFile.h"
#include "core/data/Transaction.h"
#include "core/projects/ProjectRules.h"
#include "core/schedule/ScheduledTasks.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

#include <sqlite3.h>

namespace corvane {

namespace {

const QLatin1String JournalPrefix("Cascade-");
const QLatin1String JournalSuffix(".journal");

QString q(const QString& value) { return SqlQuote::quoted(value, QLatin1Char('"')); }

// Project = "<project>" AND <field> = "<name>"
QString projectAnd(const QString& project, const char* field, const QString& name)
{
    return QStringLiteral("Project = ") + q(project) + QStringLiteral(" AND ") + QLatin1String(field)
        + QStringLiteral(" = ") + q(name);
}

// The PopOrder codes that put an item first, second or third in a chart.
struct PopOrders
{
    const char* forEach[2];
    const char* select1[2];
    const char* select2[2];
};

QString popOrderIn(const char* const (&codes)[2])
{
    return QStringLiteral("(PopOrder = \"") + QLatin1String(codes[0]) + QStringLiteral("\" OR PopOrder = \"")
        + QLatin1String(codes[1]) + QStringLiteral("\")");
}

QString journalName()
{
    static QAtomicInt counter;
    return JournalPrefix + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmsszzz"))
        + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
        + QStringLiteral("%1").arg(counter.fetchAndAddRelaxed(1), 4, 10, QLatin1Char('0')) + JournalSuffix;
}

} // namespace

ProjectCascade::ProjectCascade(Database& database, CascadeEvents events)
    : m_db(database)
    , m_events(std::move(events))
    , m_connection(std::make_unique<Connection>())
{
    m_connection->setLockSettings(database.session().lockSettings());
}

ProjectCascade::~ProjectCascade() = default;

const QStringList& ProjectCascade::projectTables()
{
    static const QStringList tables{
        QStringLiteral("CVEngine"),     QStringLiteral("CVHilo"),    QStringLiteral("CVLog"),
        QStringLiteral("CVNotable"),    QStringLiteral("CVRank"),    QStringLiteral("CVSE3"),
        QStringLiteral("CVSQLTee"),     QStringLiteral("CVST"),      QStringLiteral("CVURL"),
        QStringLiteral("Summary"),      QStringLiteral("CVNotify"),  QStringLiteral("CVEmail"),
        QStringLiteral("CVChartCache"), QStringLiteral("CVQueries"), QStringLiteral("CVReports"),
        QStringLiteral("CVReportTemp"),
    };
    return tables;
}

// ------------------------------------------------------------ the public cascades

void ProjectCascade::deleteTerm(const QString& project, const QString& term)
{
    run(QStringLiteral("deleteTerm"), project, term, {});
}

void ProjectCascade::deleteUrl(const QString& project, const QString& urlName)
{
    run(QStringLiteral("deleteUrl"), project, urlName, {});
}

void ProjectCascade::renameUrl(const QString& project, const QString& oldName, const QString& newName)
{
    run(QStringLiteral("renameUrl"), project, oldName, newName);
}

void ProjectCascade::deleteEngine(const QString& project, const QString& engine)
{
    run(QStringLiteral("deleteEngine"), project, engine, {});
}

void ProjectCascade::deleteProject(const QString& project)
{
    run(QStringLiteral("deleteProject"), project, project, {});
}

void ProjectCascade::renameProject(const QString& oldName, const QString& newName)
{
    run(QStringLiteral("renameProject"), oldName, oldName, newName);
}

// ------------------------------------------------------------ journal

void ProjectCascade::run(const QString& kind, const QString& project, const QString& oldName,
                         const QString& newName)
{
    const QString path = m_db.directory() + journalName();
    QJsonObject entry{{QStringLiteral("kind"), kind},
                      {QStringLiteral("project"), project},
                      {QStringLiteral("old"), oldName},
                      {QStringLiteral("new"), newName}};
    QSaveFile journal(path);
    const QByteArray text = QJsonDocument(entry).toJson();
    if (!journal.open(QIODevice::WriteOnly) || journal.write(text) != text.size() || !journal.commit())
        throw DatabaseError(DatabaseError::General,
                            QStringLiteral("Cannot write the journal %1: %2")
                                .arg(QDir::toNativeSeparators(path), journal.errorString()));
    runStep(kind, project, oldName, newName);
    QFile::remove(path);
}

QStringList ProjectCascade::pendingJournals(const Database& database)
{
    QDir folder(database.directory());
    QStringList names =
        folder.entryList({JournalPrefix + QLatin1Char('*') + JournalSuffix}, QDir::Files, QDir::Name);
    for (QString& name : names)
        name = folder.filePath(name);
    return names;
}

int ProjectCascade::resumePending(Database& database, const CascadeEvents& events)
{
    int done = 0;
    ProjectCascade cascade(database, events);
    for (const QString& path : pendingJournals(database)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject entry = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        const QString kind = entry.value(QStringLiteral("kind")).toString();
        if (kind.isEmpty()) {
            // Written in full and renamed into place, so an unreadable journal is not ours to finish.
            cascade.status(QStringLiteral("Unreadable cascade journal left alone: ") + path);
            continue;
        }
        cascade.runStep(kind, entry.value(QStringLiteral("project")).toString(),
                        entry.value(QStringLiteral("old")).toString(),
                        entry.value(QStringLiteral("new")).toString());
        QFile::remove(path);
        ++done;
    }
    return done;
}

void ProjectCascade::runStep(const QString& kind, const QString& project, const QString& oldName,
                             const QString& newName)
{
    if (kind == QLatin1String("deleteTerm")) {
        deleteWhere(QStringLiteral("CVST"), projectAnd(project, "Virtual", oldName));
        termCascade(project, oldName);
    } else if (kind == QLatin1String("deleteUrl")) {
        deleteWhere(QStringLiteral("CVURL"), projectAnd(project, "Name", oldName));
        urlCascade(project, oldName);
    } else if (kind == QLatin1String("renameUrl")) {
        exec(QStringLiteral("CVURL"),
             QStringLiteral("UPDATE CVURL SET Name = ") + q(newName) + QStringLiteral(" WHERE ")
                 + projectAnd(project, "Name", oldName));
        urlRenameCascade(project, oldName, newName);
        urlCascade(project, oldName);
    } else if (kind == QLatin1String("deleteEngine")) {
        deleteWhere(QStringLiteral("CVSE3"), projectAnd(project, "Name", oldName));
        engineCascade(project, oldName);
    } else if (kind == QLatin1String("deleteProject")) {
        projectCascade(project, {});
    } else if (kind == QLatin1String("renameProject")) {
        projectCascade(oldName, newName);
    } else {
        throw DatabaseError(DatabaseError::General, QStringLiteral("Unknown cascade \"%1\"").arg(kind));
    }
}

// ------------------------------------------------------------ steps

QString ProjectCascade::attach(const QString& table)
{
    // One table at a time: a step's transaction locks every attached file,
    // and must not keep other programs from writing the tables it leaves alone.
    if (m_attachedTable != table) {
        m_connection->detachAll();
        m_attachedTable.clear();
    }
    const QString schema = m_connection->attach(m_db, table);
    if (m_attachedTable != table) {
        // A modest page cache: filling a large one with fresh memory costs more
        // than reading a page again from the system's file cache (measured on a
        // year of data: a term delete took a third less CPU). It also bounds the
        // sorter's memory, so index builds sort in parts on a second thread.
        // Freed pages need not be zeroed one by one (rows rewritten in place
        // still are).
        const QString pragma = QStringLiteral("PRAGMA ") + Connection::quoteName(schema) + QLatin1Char('.');
        m_connection->exec(pragma + QStringLiteral("cache_size = -16384"), table);
        m_connection->exec(pragma + QStringLiteral("secure_delete = FAST"), table);
        m_connection->exec(pragma + QStringLiteral("mmap_size = 1073741824"), table);
        m_connection->exec(QStringLiteral("PRAGMA threads = 2"), table);
        m_attachedTable = table;
    }
    return schema;
}

int ProjectCascade::exec(const QString& table, const QString& sql)
{
    if (!m_db.tableExists(table))
        return 0;
    const TranslatedSql translated = translateSql(sql);
    attach(table);
    // One transaction for the step: a single commit, and all or nothing.
    Transaction transaction(*m_connection, table);
    Statement statement = m_connection->prepare(translated.sql, table);
    const qint64 changed = m_connection->run(statement, table);
    statement = Statement();
    transaction.commit();
    return int(changed);
}

int ProjectCascade::count(const QString& table, const QString& where)
{
    if (!m_db.tableExists(table))
        return 0;
    attach(table);
    Statement statement = m_connection->prepare(
        translateSql(QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE ") + where).sql,
        table);
    return statement.step() == SQLITE_ROW ? int(statement.columnInt64(0)) : 0;
}

int ProjectCascade::deleteWhere(const QString& table, const QString& where)
{
    return exec(table, QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE ") + where);
}

int ProjectCascade::listPass(const QString& table, const QString& field, const QString& where,
                             const QString& oldName, const QString& newName)
{
    if (!m_db.tableExists(table))
        return 0;
    const bool notify = table == QLatin1String("CVNotify");
    int changed = 0;
    Table rows(&m_db, table);
    rows.setFilter(where);
    rows.setFiltered(true);
    rows.open();
    rows.first();
    while (!rows.eof()) {
        QStringList lines = ProjectRules::listLines(rows.asString(field));
        if (!lines.contains(oldName)) {
            rows.next();
            continue;
        }
        ++changed;
        if (newName.isEmpty())
            lines.removeAll(oldName);
        else
            lines.replaceInStrings(QRegularExpression(QStringLiteral("^")
                                                      + QRegularExpression::escape(oldName)
                                                      + QStringLiteral("$")),
                                   newName);
        if (lines.isEmpty()) {
            if (notify)
                deleteWhere(QStringLiteral("CVEmail"),
                            QStringLiteral("Name = ")
                                + QString::number(rows.asInteger(QStringLiteral("Name"))));
            rows.remove();
        } else {
            rows.edit();
            rows.setValue(field, ProjectRules::joinLines(lines));
            rows.post();
            rows.next();
        }
    }
    rows.close();
    return changed;
}

void ProjectCascade::sqlTeePasses(Item item, const QString& project, const QString& oldName,
                                  const QString& newName)
{
    static const PopOrders url{{"UST", "UTS"}, {"TUS", "SUT"}, {"STU", "TSU"}};
    static const PopOrders term{{"TUS", "TSU"}, {"UTS", "STU"}, {"SUT", "UST"}};
    static const PopOrders engine{{"STU", "SUT"}, {"TSU", "UST"}, {"TUS", "UTS"}};
    const PopOrders& orders = item == Item::Url ? url : item == Item::Term ? term : engine;
    const QString table = QStringLiteral("CVSQLTee");
    const QString inProject = QStringLiteral(" AND Project = ") + q(project);
    listPass(table, QStringLiteral("ForEach"), popOrderIn(orders.forEach) + inProject, oldName, newName);
    const QString select1 =
        popOrderIn(orders.select1) + QStringLiteral(" AND Select1 = ") + q(oldName) + inProject;
    const QString select2 =
        popOrderIn(orders.select2) + QStringLiteral(" AND Select2 = ") + q(oldName) + inProject;
    if (newName.isEmpty()) {
        deleteWhere(table, select1);
        deleteWhere(table, select2);
    } else {
        exec(table,
             QStringLiteral("UPDATE CVSQLTee SET Select1 = ") + q(newName) + QStringLiteral(" WHERE ")
                 + select1);
        exec(table,
             QStringLiteral("UPDATE CVSQLTee SET Select2 = ") + q(newName) + QStringLiteral(" WHERE ")
                 + select2);
    }
}

void ProjectCascade::termCascade(const QString& project, const QString& term)
{
    struct Step
    {
        const char* table;
        const char* field;
        const char* words;
    };
    static const Step steps[] = {
        {"CVEngine", "STName", ": Updating Engine Table"},
        {"CVHilo", "SearchTerm", ": Updating Hilo Table"},
        {"CVRank", "SearchTerm", ": Updating Rank Table"},
        {"Summary", "SearchTerm", ": Updating Summary Table"},
    };
    int percent = 0;
    for (const Step& step : steps) {
        const QString words = term + QLatin1String(step.words);
        status(words, percent);
        const int n = deleteWhere(QLatin1String(step.table), projectAnd(project, step.field, term));
        percent += 15;
        status(words + QLatin1Char(' ') + QString::number(n) + QStringLiteral(" related records deleted"),
               percent);
    }
    status(term + QStringLiteral(": Updating SQL Table"), 70);
    sqlTeePasses(Item::Term, project, term, {});
    status(term + QStringLiteral(": Updating Notify Table"), 85);
    listPass(QStringLiteral("CVNotify"), QStringLiteral("SearchTerms"),
             QStringLiteral("Project = ") + q(project), term, {});
    status(QStringLiteral("Done"), 100);
}

void ProjectCascade::urlCascade(const QString& project, const QString& url)
{
    const QString head = QStringLiteral("Updating ") + url + QStringLiteral(" in ");
    auto deleted = [&](const char* words, int n, int percent) {
        status(head + QLatin1String(words) + QStringLiteral(": ") + QString::number(n)
                   + QStringLiteral(" related records deleted."),
               percent);
    };
    const QString where = projectAnd(project, "URL", url);

    status(head + QStringLiteral("Hilo Table"), 0);
    deleted("Hilo Table", deleteWhere(QStringLiteral("CVHilo"), where), 15);

    status(head + QStringLiteral("Project Table"), 15);
    int keyChanged = 0;
    if (m_db.tableExists(QStringLiteral("CVProject"))) {
        Table projects(&m_db, QStringLiteral("CVProject"));
        projects.open();
        if (projects.locate({QStringLiteral("Name")}, {project})
            && projects.asString(QStringLiteral("KeyURL")) == url) {
            QString next;
            if (m_db.tableExists(QStringLiteral("CVURL"))) {
                Query urls(&m_db,
                           QStringLiteral("SELECT Name FROM CVURL WHERE Project = ") + q(project)
                               + QStringLiteral(" AND Name <> ") + q(url) + QStringLiteral(" ORDER BY Name"));
                urls.open();
                if (!urls.eof())
                    next = urls.asString(QStringLiteral("Name"));
                urls.close();
            }
            projects.edit();
            projects.setValue(QStringLiteral("KeyURL"), next);
            projects.post();
            keyChanged = 1;
            message(QStringLiteral("Update"),
                    QStringLiteral(
                        "<P align=\"center\">You deleted the Key URL.<BR>The next available URL will be "
                        "made the key.</P>"));
        }
        projects.close();
    }
    deleted("Project Table", keyChanged, 30);

    status(head + QStringLiteral("Rank Table"), 30);
    deleted("Rank Table", deleteWhere(QStringLiteral("CVRank"), where), 50);

    status(head + QStringLiteral("SQLTee Table"), 50);
    sqlTeePasses(Item::Url, project, url, {});
    deleted("Temp Table", 0, 65);

    status(head + QStringLiteral("Summary Table"), 65);
    deleted("Summary Table", deleteWhere(QStringLiteral("Summary"), where), 80);

    status(head + QStringLiteral("Notify Table"), 80);
    deleted("Notify Table",
            listPass(QStringLiteral("CVNotify"), QStringLiteral("URLs"),
                     QStringLiteral("Project = ") + q(project), url, {}),
            95);

    if (m_db.tableExists(QStringLiteral("CVURL"))
        && count(QStringLiteral("CVURL"), QStringLiteral("Project = ") + q(project)) == 0
        && count(QStringLiteral("CVProject"), QStringLiteral("Name = ") + q(project)) > 0)
        message(QStringLiteral("Warning"),
                QStringLiteral(
                    "<P align=\"center\"><B>You have deleted the last URL in the project.</B><BR><BR>Either "
                    "add a new URL or delete the project before exiting Project Wizard.</P>"));
    status(QStringLiteral("Done updating ") + url, 100);
}

void ProjectCascade::urlRenameCascade(const QString& project, const QString& oldName, const QString& newName)
{
    const QString where = projectAnd(project, "URL", oldName);
    const QString set = QStringLiteral(" SET URL = ") + q(newName) + QStringLiteral(" WHERE ") + where;
    status(QStringLiteral("Updating Hilo Table"), 10);
    exec(QStringLiteral("CVHilo"), QStringLiteral("UPDATE CVHilo") + set);
    status(QStringLiteral("Updating Rank Table"), 25);
    exec(QStringLiteral("CVRank"), QStringLiteral("UPDATE CVRank") + set);
    status(QStringLiteral("Updating Summary Table"), 40);
    exec(QStringLiteral("Summary"), QStringLiteral("UPDATE Summary") + set);
    // The key URL keeps its place under its new name.
    exec(QStringLiteral("CVProject"),
         QStringLiteral("UPDATE CVProject SET KeyURL = ") + q(newName) + QStringLiteral(" WHERE Name = ")
             + q(project) + QStringLiteral(" AND KeyURL = ") + q(oldName));
    status(QStringLiteral("Updating SQLTee Table"), 55);
    sqlTeePasses(Item::Url, project, oldName, newName);
    status(QStringLiteral("Updating Notify Table"), 70);
    listPass(QStringLiteral("CVNotify"), QStringLiteral("URLs"), QStringLiteral("Project = ") + q(project),
             oldName, newName);
    status(QStringLiteral("Done"), 100);
}

void ProjectCascade::engineCascade(const QString& project, const QString& engine)
{
    status(QStringLiteral("Working..."), 0);
    deleteWhere(QStringLiteral("CVEngine"), projectAnd(project, "SE3Name", engine));
    status(QStringLiteral("Working..."), 20);
    deleteWhere(QStringLiteral("CVHilo"), projectAnd(project, "SearchEngine", engine));
    deleteWhere(QStringLiteral("CVRank"), projectAnd(project, "SearchEngine", engine));
    status(QStringLiteral("Working..."), 60);
    sqlTeePasses(Item::Engine, project, engine, {});
    deleteWhere(QStringLiteral("Summary"), projectAnd(project, "SearchEngine", engine));
    status(QStringLiteral("Working..."), 85);
    listPass(QStringLiteral("CVNotify"), QStringLiteral("SearchEngines"),
             QStringLiteral("Project = ") + q(project), engine, {});
    status(QStringLiteral("Done"), 100);
}

void ProjectCascade::projectCascade(const QString& oldName, const QString& newName)
{
    if (newName.isEmpty())
        deleteWhere(QStringLiteral("CVProject"), QStringLiteral("Name = ") + q(oldName));
    else
        exec(QStringLiteral("CVProject"),
             QStringLiteral("UPDATE CVProject SET Name = ") + q(newName) + QStringLiteral(" WHERE Name = ")
                 + q(oldName));
    status(QStringLiteral("Calculating cleanup..."), 0);
    const QString where = QStringLiteral("Project = ") + q(oldName);
    QList<int> counts;
    int total = 0;
    for (const QString& table : projectTables()) {
        counts << count(table, where);
        total += counts.constLast();
    }
    int done = 0;
    for (int i = 0; i < projectTables().size(); ++i) {
        if (counts.at(i) == 0)
            continue;
        const QString& table = projectTables().at(i);
        const QString words = QStringLiteral("Updating ") + table + QStringLiteral(" table");
        status(words, total ? done * 95 / total : 0);
        done += moveProjectRows(table, oldName, newName, counts.at(i));
        status(words + QLatin1Char(' ') + QString::number(done) + QLatin1Char('/') + QString::number(total),
               total ? done * 95 / total : 0);
    }
    status(QStringLiteral("Updating Schedule table"), 95);
    scheduleProject(oldName, newName);
    status(QStringLiteral("Done"), 100);
}

int ProjectCascade::moveProjectRows(const QString& table, const QString& oldName, const QString& newName,
                                    qint64 rows)
{
    if (!m_db.tableExists(table))
        return 0;
    const QString schema = attach(table);
    const QString sqlTable = Connection::quoteName(schema) + QLatin1Char('.')
        + Connection::quoteName(m_connection->attachedName(table));
    auto run = [&](const QString& sql, const QVariantList& values = {}) {
        Statement statement = m_connection->prepare(sql, table);
        statement.bindAll(values);
        return m_connection->run(statement, table);
    };

    Transaction transaction(*m_connection, table);
    // Changing most of a large table row by row moves every row in each index
    // that begins with Project: far slower than building those indexes anew.
    const qint64 tableRows = m_connection->rowEstimate(table);
    const bool bulk = rows >= BulkRows && rows * (newName.isEmpty() ? 2 : 4) >= tableRows;
    qint64 changed = 0;
    if (!bulk) {
        changed = newName.isEmpty()
            ? run(QStringLiteral("DELETE FROM ") + sqlTable + QStringLiteral(" WHERE Project = ?1"),
                  {oldName})
            : run(QStringLiteral("UPDATE ") + sqlTable
                      + QStringLiteral(" SET Project = ?1 WHERE Project = ?2"),
                  {newName, oldName});
    } else if (newName.isEmpty()) {
        // Most of the table goes: keep the other projects' rows aside, empty the table (which frees its
        // pages without visiting each row) and put them back under their own
        // row numbers.
        const TableDef def = TableFile::readDef(*m_connection, schema, table);
        QStringList columns;
        bool rowidColumn = false;
        for (const FieldDef& field : def.fields) {
            columns << Connection::quoteName(field.name);
            rowidColumn = rowidColumn || field.type == FieldType::AutoInc;
        }
        const QString list = columns.join(QLatin1String(", "));
        const QString rowid = rowidColumn ? QString() : QStringLiteral("rowid, ");
        run(QStringLiteral("DROP TABLE IF EXISTS temp.cascade_keep"));
        run(QStringLiteral("CREATE TEMP TABLE cascade_keep AS SELECT rowid AS cascade_rowid, ") + list
                + QStringLiteral(" FROM ") + sqlTable + QStringLiteral(" WHERE Project IS NOT ?1"),
            {oldName});
        const qint64 emptied = run(QStringLiteral("DELETE FROM ") + sqlTable);
        const qint64 kept =
            run(QStringLiteral("INSERT INTO ") + sqlTable + QStringLiteral(" (") + rowid + list
                + QStringLiteral(") SELECT ") + (rowidColumn ? QString() : QStringLiteral("cascade_rowid, "))
                + list + QStringLiteral(" FROM temp.cascade_keep ORDER BY cascade_rowid"));
        run(QStringLiteral("DROP TABLE temp.cascade_keep"));
        changed = emptied - kept;
    } else {
        const TableDef def = TableFile::readDef(*m_connection, schema, table);
        QList<IndexDef> rebuilt;
        for (const IndexDef& index : def.indexes)
            if (index.fields.value(0).compare(QLatin1String("Project"), Qt::CaseInsensitive) == 0)
                rebuilt << index;
        for (const IndexDef& index : rebuilt)
            run(QStringLiteral("DROP INDEX ") + Connection::quoteName(schema) + QLatin1Char('.')
                + Connection::quoteName(index.name));
        changed =
            run(QStringLiteral("UPDATE ") + sqlTable + QStringLiteral(" SET Project = ?1 WHERE Project = ?2"),
                {newName, oldName});
        for (const IndexDef& index : rebuilt)
            run(TableFile::createIndexSql(def, index, schema));
    }
    transaction.commit();
    return int(changed);
}

void ProjectCascade::scheduleProject(const QString& oldName, const QString& newName)
{
    QStringList taskNames;
    if (m_db.tableExists(QStringLiteral("Schedule"))) {
        Table rows(&m_db, QStringLiteral("Schedule"));
        rows.open();
        rows.first();
        while (!rows.eof()) {
            QStringList projects = ProjectRules::listLines(rows.asString(QStringLiteral("Projects")));
            if (!projects.contains(oldName)) {
                rows.next();
                continue;
            }
            taskNames << rows.asString(QStringLiteral("Name"));
            if (newName.isEmpty())
                projects.removeAll(oldName);
            else
                for (QString& project : projects)
                    if (project == oldName)
                        project = newName;
            if (projects.isEmpty()) {
                rows.remove();
            } else {
                rows.edit();
                rows.setValue(QStringLiteral("Projects"), ProjectRules::joinLines(projects));
                rows.post();
                rows.next();
            }
        }
        rows.close();
    }
    ScheduledTasks tasks = ScheduledTasks::load();
    // A task whose Schedule row is already rewritten (an interrupted cascade run
    // again) still names the project in the crontab: look at every task line.
    for (const QString& line : tasks.lines()) {
        const qsizetype at = line.indexOf(QLatin1String("# Corvane task: "));
        if (at >= 0 && line.contains(ScheduledTasks::quoteProject(oldName))) {
            const QString name = line.mid(at + 16);
            if (!taskNames.contains(name))
                taskNames << name;
        }
    }
    for (const QString& task : taskNames) {
        if (!tasks.hasTask(task))
            continue; // a task that cannot be found is skipped
        if (newName.isEmpty()) {
            if (tasks.removeProject(task, oldName)) {
                message(QStringLiteral("Warning"),
                        QStringLiteral("<P align=\"center\">This is the last project in schedule <B>")
                            + task.toHtmlEscaped()
                            + QStringLiteral("</B><BR>This schedule will be removed along with all of its "
                                             "history.</P>"));
                tasks.removeTask(task);
            }
        } else {
            tasks.renameProject(task, oldName, newName);
        }
    }
    tasks.save();
}

void ProjectCascade::status(const QString& text, int percent)
{
    if (m_events.status)
        m_events.status(text, percent);
}

void ProjectCascade::message(const QString& title, const QString& html)
{
    if (m_events.message)
        m_events.message(title, html);
}

} // namespace corvane
