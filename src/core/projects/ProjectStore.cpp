#include "core/projects/ProjectStore.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/projects/ProjectRules.h"

namespace corvane {

namespace {

QString q(const QString& value) { return SqlQuote::quoted(value, QLatin1Char('"')); }

QStringList column(Database& db, const QString& sql, const QString& field)
{
    QStringList values;
    Query query(&db, sql);
    query.open();
    for (query.first(); !query.eof(); query.next())
        values << query.asString(field);
    query.close();
    return values;
}

} // namespace

bool EngineFilter::isEmpty() const
{
    return country.isEmpty() && group.isEmpty() && type.isEmpty() && locality.isEmpty() && engine.isEmpty();
}

ProjectStore::ProjectStore(Database& database)
    : m_db(database)
{
}

QStringList ProjectStore::projects() const
{
    return column(m_db, QStringLiteral("SELECT Name FROM CVProject ORDER BY Name"), QStringLiteral("Name"));
}

bool ProjectStore::hasProject(const QString& project) const
{
    return !column(m_db, QStringLiteral("SELECT Name FROM CVProject WHERE Name = ") + q(project),
                   QStringLiteral("Name"))
                .isEmpty();
}

void ProjectStore::requireProject(const QString& project) const
{
    if (!hasProject(project))
        throw ProjectRefusal(QStringLiteral("There is no project named \"%1\".").arg(project));
}

QList<ProjectStore::UrlRow> ProjectStore::urls(const QString& project) const
{
    QList<UrlRow> rows;
    Query query(&m_db,
                QStringLiteral("SELECT Name, URL, AnyMatch FROM CVURL WHERE Project = ") + q(project)
                    + QStringLiteral(" ORDER BY Name"));
    query.open();
    for (query.first(); !query.eof(); query.next())
        rows << UrlRow{query.asString(QStringLiteral("Name")), query.asString(QStringLiteral("URL")),
                       query.asBoolean(QStringLiteral("AnyMatch"))};
    return rows;
}

QStringList ProjectStore::terms(const QString& project) const
{
    return column(m_db,
                  QStringLiteral("SELECT Virtual FROM CVST WHERE Project = ") + q(project)
                      + QStringLiteral(" ORDER BY Virtual"),
                  QStringLiteral("Virtual"));
}

QStringList ProjectStore::engines(const QString& project) const
{
    return column(m_db,
                  QStringLiteral("SELECT Name FROM CVSE3 WHERE Project = ") + q(project)
                      + QStringLiteral(" ORDER BY Name NOCASE"),
                  QStringLiteral("Name"));
}

QString ProjectStore::keyUrl(const QString& project) const
{
    const QStringList key =
        column(m_db, QStringLiteral("SELECT KeyURL FROM CVProject WHERE Name = ") + q(project),
               QStringLiteral("KeyURL"));
    return key.isEmpty() ? QString() : key.first();
}

void ProjectStore::addProject(const QString& name, int depth, bool fullUrlData, bool stopOnHit)
{
    const QString problem = ProjectRules::projectNameProblem(name);
    if (!problem.isEmpty())
        throw ProjectRefusal(problem);
    if (depth < 1 || depth > 9999)
        throw ProjectRefusal(QStringLiteral("Search Depth must be from 1 to 9999."));
    if (hasProject(name))
        throw ProjectRefusal(QStringLiteral("Duplicate project name found."));
    Table table(&m_db, QStringLiteral("CVProject"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("Name"), name);
    table.setValue(QStringLiteral("Depth"), depth);
    table.setValue(QStringLiteral("FullURLData"), fullUrlData);
    table.setValue(QStringLiteral("StopOnHit"), stopOnHit);
    try {
        table.post();
    } catch (const DatabaseError& e) {
        table.cancel();
        if (e.code() == DatabaseError::KeyViolation)
            throw ProjectRefusal(QStringLiteral("Duplicate project name found."));
        throw;
    }
}

void ProjectStore::updateProject(const QString& name, int depth, bool fullUrlData, bool stopOnHit)
{
    requireProject(name);
    Table table(&m_db, QStringLiteral("CVProject"));
    table.open();
    table.locate({QStringLiteral("Name")}, {name});
    table.edit();
    table.setValue(QStringLiteral("Depth"), depth);
    table.setValue(QStringLiteral("FullURLData"), fullUrlData);
    table.setValue(QStringLiteral("StopOnHit"), stopOnHit);
    table.post();
}

void ProjectStore::setKeyUrl(const QString& project, const QString& urlName)
{
    requireProject(project);
    Table table(&m_db, QStringLiteral("CVProject"));
    table.open();
    table.locate({QStringLiteral("Name")}, {project});
    table.edit();
    table.setValue(QStringLiteral("KeyURL"), urlName);
    table.post();
}

bool ProjectStore::addUrl(const QString& project, const QString& name, const QString& url, bool anyMatch)
{
    requireProject(project);
    if (name.trimmed().isEmpty())
        throw ProjectRefusal(QStringLiteral("URL Name cannot be blank."));
    const QString stored = ProjectRules::storedUrl(url);
    if (stored.isEmpty())
        throw ProjectRefusal(QStringLiteral("URL cannot be blank."));
    if (name.size() > ProjectRules::MaxUrlName || stored.size() > ProjectRules::MaxUrl)
        throw ProjectRefusal(QStringLiteral("A URL name has at most 32 characters, a URL at most 128."));
    for (const UrlRow& row : urls(project)) {
        if (row.name == name)
            throw ProjectRefusal(QStringLiteral("Duplicate URL Name found."));
        if (row.url == stored)
            throw ProjectRefusal(QStringLiteral("Duplicate URL found."));
    }
    Table table(&m_db, QStringLiteral("CVURL"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("Name"), name);
    table.setValue(QStringLiteral("URL"), stored);
    table.setValue(QStringLiteral("Project"), project);
    table.setValue(QStringLiteral("AnyMatch"), anyMatch);
    try {
        table.post();
    } catch (const DatabaseError& e) {
        table.cancel();
        if (e.code() == DatabaseError::KeyViolation)
            throw ProjectRefusal(e.message().contains(QLatin1String("URLProjidx"))
                                     ? QStringLiteral("Duplicate URL found.")
                                     : QStringLiteral("Duplicate URL Name found."));
        throw;
    }
    const QList<UrlRow> all = urls(project);
    if (all.size() == 1 || keyUrl(project).isEmpty()) {
        setKeyUrl(project, all.first().name);
        return true;
    }
    return false;
}

void ProjectStore::addTerm(const QString& project, const QString& term)
{
    requireProject(project);
    if (term.trimmed().isEmpty())
        throw ProjectRefusal(QStringLiteral("Search Term cannot be blank."));
    if (terms(project).contains(term))
        throw ProjectRefusal(QStringLiteral("Duplicate Search Term found."));
    Table table(&m_db, QStringLiteral("CVST"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("Virtual"), term);
    table.setValue(QStringLiteral("Physical"), ProjectRules::physicalTerm(term));
    table.setValue(QStringLiteral("Project"), project);
    try {
        table.post();
    } catch (const DatabaseError& e) {
        table.cancel();
        if (e.code() == DatabaseError::KeyViolation)
            throw ProjectRefusal(QStringLiteral("Duplicate Search Term found."));
        throw;
    }
}

bool ProjectStore::addEngine(const QString& project, const QString& engine, bool apiEnabled)
{
    requireProject(project);
    if (engine.isEmpty())
        throw ProjectRefusal(QStringLiteral("Cannot add a blank record."));
    Table se3(&m_db, QStringLiteral("SE3"));
    se3.open();
    if (!se3.locate({QStringLiteral("Name")}, {engine}))
        throw ProjectRefusal(QStringLiteral("There is no search engine named \"%1\".").arg(engine));
    for (const QString& name : engines(project))
        if (name.compare(engine, Qt::CaseInsensitive) == 0)
            throw ProjectRefusal(
                QStringLiteral("The search engine \"%1\" is already active in the project.").arg(engine));
    Table table(&m_db, QStringLiteral("CVSE3"));
    table.open();
    table.append();
    table.setValue(QStringLiteral("Name"), se3.asString(QStringLiteral("Name")));
    table.setValue(QStringLiteral("Project"), project);
    table.setValue(QStringLiteral("Popularity"), se3.asInteger(QStringLiteral("Popularity")));
    for (const char* field : {"Country", "Group1", "Group2", "Group3", "Group4", "Group5"})
        table.setValue(QLatin1String(field), se3.asString(QLatin1String(field)));
    if (se3.asBoolean(QStringLiteral("API")))
        table.setValue(QStringLiteral("API"), apiEnabled);
    table.post();
    return se3.asBoolean(QStringLiteral("SpecNotes"));
}

void ProjectStore::setEnginePoints(const QString& engine, int points)
{
    Query query(&m_db,
                QStringLiteral("UPDATE CVSE3 SET Popularity = ") + QString::number(points)
                    + QStringLiteral(" WHERE Name = ") + q(engine));
    query.execSql();
}

QString ProjectStore::inactiveEngineSql(const QString& project, const EngineFilter& filter)
{
    QString sql =
        QStringLiteral("SELECT * FROM SE3 WHERE Name NOT IN (SELECT Name FROM CVSE3 WHERE Project = ")
        + q(project) + QStringLiteral(")");
    const QString connector = filter.useAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR ");
    QStringList clauses;
    const std::pair<const char*, const QStringList*> sections[] = {{"Country", &filter.country},
                                                                   {"Group1", &filter.group},
                                                                   {"Group2", &filter.type},
                                                                   {"Group3", &filter.locality},
                                                                   {"Group4", &filter.engine}};
    for (const auto& [field, values] : sections)
        for (const QString& value : *values)
            clauses << (value.isEmpty() ? QStringLiteral("(%1 IS NULL OR %1 = '')").arg(QLatin1String(field))
                                        : QLatin1String(field) + QStringLiteral(" = ") + q(value));
    if (!clauses.isEmpty())
        sql += QStringLiteral(" AND (") + clauses.join(connector) + QStringLiteral(")");
    return sql + QStringLiteral(" ORDER BY Name NOCASE");
}

} // namespace corvane
