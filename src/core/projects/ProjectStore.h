#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace corvane {

class Database;

// A change refused because of what the user asked for (a blank, duplicate or
// badly formed name, an unknown project); what() is the message to show.
class ProjectRefusal : public std::runtime_error
{
public:
    explicit ProjectRefusal(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The filter of the inactive-engine list: checked values per section and the
// connector between them.
struct EngineFilter
{
    // An empty text in a list stands for engines without a value there; lists
    // of values offer it as NoValueEntry.
    static constexpr const char* NoValueEntry = "(none)";
    QStringList country, group, type, locality, engine;
    bool useAnd = true;
    bool isEmpty() const;
};

// Writing the project rows of CVProject, CVURL, CVST and CVSE3 with the
// checks and messages of the project wizard; shared by the wizard and
// cvproject. Renames and deletions go through ProjectCascade. Table failures
// are DatabaseError; refusals are ProjectRefusal.
class ProjectStore
{
public:
    // database: the data folder; its session must know the SE3 password.
    explicit ProjectStore(Database& database);

    QStringList projects() const;
    bool hasProject(const QString& project) const;
    struct UrlRow
    {
        QString name, url;
        bool anyMatch = false;
    };
    QList<UrlRow> urls(const QString& project) const;
    QStringList terms(const QString& project) const;
    QStringList engines(const QString& project) const;
    QString keyUrl(const QString& project) const;

    void addProject(const QString& name, int depth, bool fullUrlData, bool stopOnHit);
    // Changes the fields of a project; a new name runs the rename cascade (through the caller).
    void updateProject(const QString& name, int depth, bool fullUrlData, bool stopOnHit);
    void setKeyUrl(const QString& project, const QString& urlName);

    // Adds a URL (address stored without scheme and "www."). Returns true when
    // the project had no key URL or this is its only URL: the first URL then
    // became the key URL (the caller shows the note).
    bool addUrl(const QString& project, const QString& name, const QString& url, bool anyMatch);
    void addTerm(const QString& project, const QString& term);
    // Adds an engine of SE3 with its points and classification; returns true
    // when the engine has special notes to read.
    bool addEngine(const QString& project, const QString& engine, bool apiEnabled);
    // Copies the points into the engine's CVSE3 rows of every project.
    void setEnginePoints(const QString& engine, int points);

    // SELECT * FROM SE3 WHERE Name NOT IN (...project's engines...) plus the filter.
    static QString inactiveEngineSql(const QString& project, const EngineFilter& filter);

private:
    void requireProject(const QString& project) const;
    Database& m_db;
};

} // namespace corvane
