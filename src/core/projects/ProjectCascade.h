#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace corvane {

class Connection;
class Database;

// What a cascade tells its caller: status texts with a percentage (-1 when
// the step has none) and the messages the user must read (title, HTML text).
struct CascadeEvents
{
    std::function<void(const QString& text, int percent)> status;
    std::function<void(const QString& title, const QString& html)> message;
};

// The cascades that keep every table consistent when a project, URL, search
// term or engine is deleted or given a new name. Rows refer to these items by
// name, so each cascade walks the dependent tables of the data folder, the
// chart definitions (CVSQLTee), the notification lists (CVNotify, CVEmail),
// the Schedule table and the scheduled tasks (ScheduledTasks).
//
// Every cascade is resumable. Before it changes anything it writes a journal
// file ("Cascade-....journal" in the data folder) naming what it is about to
// do, and removes it when done; each step only touches rows that still carry
// the old name, so running a cascade again completes an interrupted one and
// changes nothing after a finished one. resumePending() runs the journals
// left behind by a crash, oldest first.
//
// Each cascade also removes or renames the item's own row (CVST, CVURL,
// CVSE3, CVProject); after the wizard has posted that row already, the step
// finds nothing to do. Failures are DatabaseError; a crontab that cannot be
// written is std::runtime_error.
class ProjectCascade
{
public:
    explicit ProjectCascade(Database& database, CascadeEvents events = {});
    ~ProjectCascade();
    ProjectCascade(const ProjectCascade&) = delete;
    ProjectCascade& operator=(const ProjectCascade&) = delete;

    void deleteTerm(const QString& project, const QString& term);
    void deleteUrl(const QString& project, const QString& urlName);
    // Carries the URL's rows over to the new name (the key URL too), then
    // deletes what still names the old one.
    void renameUrl(const QString& project, const QString& oldName, const QString& newName);
    void deleteEngine(const QString& project, const QString& engine);
    void deleteProject(const QString& project);
    void renameProject(const QString& oldName, const QString& newName);

    // Completes the cascades a crash interrupted. Returns how many ran.
    static int resumePending(Database& database, const CascadeEvents& events = {});
    // The journals waiting in the data folder.
    static QStringList pendingJournals(const Database& database);

    // The sixteen tables that carry a project's rows, in cascade order.
    static const QStringList& projectTables();

private:
    enum class Item { Url, Term, Engine };

    void run(const QString& kind, const QString& project, const QString& oldName, const QString& newName);
    void runStep(const QString& kind, const QString& project, const QString& oldName, const QString& newName);

    void termCascade(const QString& project, const QString& term);
    void urlCascade(const QString& project, const QString& url);
    void urlRenameCascade(const QString& project, const QString& oldName, const QString& newName);
    void engineCascade(const QString& project, const QString& engine);
    // newName empty: delete the project.
    void projectCascade(const QString& oldName, const QString& newName);
    // Deletes (newName empty) or renames the project's rows of one table in
    // one transaction; rows is how many there were when counted (it chooses
    // the way). Returns the rows changed; 0 when the table is missing.
    int moveProjectRows(const QString& table, const QString& oldName, const QString& newName, qint64 rows);

    // From this many rows, when they are at least half the table (a delete)
    // or a quarter of it (a rename), a project's rows are moved in bulk.
    static constexpr qint64 BulkRows = 20000;

    // Attaches a table to the cascade's connection; returns its schema.
    QString attach(const QString& table);
    // Runs one statement of the dialect in a transaction of its own on the
    // cascade's connection. Rows changed; 0 when the table is missing.
    int exec(const QString& table, const QString& sql);
    int count(const QString& table, const QString& where);
    int deleteWhere(const QString& table, const QString& where);
    // The three chart-definition passes for one item; newName empty: delete.
    void sqlTeePasses(Item item, const QString& project, const QString& oldName, const QString& newName);
    // Removes (newName empty) or replaces a name in a one-per-line list field of
    // the rows that pass where; emptied rows are deleted. Returns the rows changed.
    int listPass(const QString& table, const QString& field, const QString& where, const QString& oldName,
                 const QString& newName);
    void scheduleProject(const QString& oldName, const QString& newName);

    void status(const QString& text, int percent = -1);
    void message(const QString& title, const QString& html);

    Database& m_db;
    CascadeEvents m_events;
    std::unique_ptr<Connection> m_connection;
    QString m_attachedTable; // the one table attached to m_connection
};

} // namespace corvane
