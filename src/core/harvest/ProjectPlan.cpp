#include "core/harvest/ProjectPlan.h"

#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"

#include <QDateTime>

namespace corvane {

namespace {

QString projectFilter(const QString& project)
{
    return QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"'));
}

// The width of a column of the rank table, which every session row goes by.
int rankWidth(const char* field)
{
    if (const TableDef* rank = Schema::table(QStringLiteral("CVRank")))
        for (const FieldDef& f : rank->fields)
            if (f.name == QLatin1String(field))
                return f.size;
    return 0;
}

// "the search term "..." is longer than 64 characters" for the first name
// that the rank table could only keep cut short.
QString tooLong(const char* what, const QStringList& names, const char* field)
{
    const int width = rankWidth(field);
    for (const QString& name : names)
        if (width > 0 && name.size() > width)
            return QStringLiteral("the %1 \"%2\" is longer than %3 characters")
                .arg(QLatin1String(what), name)
                .arg(width);
    return {};
}

} // namespace

QStringList ProjectPlan::projectNames(Database& general)
{
    QStringList names;
    Table projects(&general, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
    projects.open();
    for (projects.first(); !projects.eof(); projects.next())
        names << projects.asString(QStringLiteral("Name"));
    return names;
}

ProjectPlan ProjectPlan::load(Database& general, Database& se3, const QString& project)
{
    ProjectPlan plan;
    Table projects(&general, QStringLiteral("CVProject"), QStringLiteral("Nameidx"));
    projects.open();
    if (!projects.locate({QStringLiteral("Name")}, {project}))
        return plan;
    plan.name = projects.asString(QStringLiteral("Name"));
    plan.depth = projects.asInteger(QStringLiteral("Depth"));
    plan.keyUrl = projects.asString(QStringLiteral("KeyURL"));
    plan.fullUrlData = projects.asBoolean(QStringLiteral("FullURLData"));
    plan.stopOnHit = projects.asBoolean(QStringLiteral("StopOnHit"));
    const QDateTime lastRun = projects.value(QStringLiteral("LastRun")).toDateTime();
    if (lastRun.isValid() && FieldCodec::toDayCount(lastRun) >= 1.0)
        plan.lastRun = lastRun.date();
    projects.close();

    Table urls(&general, QStringLiteral("CVURL"), QStringLiteral("NameProjidx"));
    urls.setFilter(projectFilter(plan.name));
    urls.setFiltered(true);
    urls.open();
    for (urls.first(); !urls.eof(); urls.next()) {
        plan.urls.append({urls.asString(QStringLiteral("Name")), urls.asString(QStringLiteral("URL")),
                          urls.asBoolean(QStringLiteral("AnyMatch"))});
    }

    Table terms(&general, QStringLiteral("CVST"), QStringLiteral("STVirtidx"));
    terms.setFilter(projectFilter(plan.name));
    terms.setFiltered(true);
    terms.open();
    for (terms.first(); !terms.eof(); terms.next())
        plan.terms << terms.asString(QStringLiteral("Virtual"));

    Table engines(&general, QStringLiteral("CVSE3"));
    engines.setFilter(projectFilter(plan.name));
    engines.setFiltered(true);
    engines.open();
    Table scripts(&se3, QStringLiteral("SE3"), QStringLiteral("SEName"));
    scripts.open();
    for (engines.first(); !engines.eof(); engines.next()) {
        const QString engine = engines.asString(QStringLiteral("Name"));
        if (scripts.locate({QStringLiteral("Name")}, {engine}))
            plan.engines << EngineScript::fromRow(scripts);
        else
            plan.missingScripts << engine;
    }
    return plan;
}

QString ProjectPlan::incompleteReason() const
{
    if (name.isEmpty())
        return QStringLiteral("no such project");
    QStringList missing;
    if (engines.isEmpty())
        missing << QStringLiteral("no search engines");
    if (urls.isEmpty())
        missing << QStringLiteral("no URLs");
    if (terms.isEmpty())
        missing << QStringLiteral("no search terms");
    if (depth < 1)
        missing << QStringLiteral("no search depth");
    // Names written by another program may be longer than the result tables
    // keep: their ranks would be stored under a name cut short, which nothing
    // finds again.
    QStringList urlNames, engineNames;
    for (const Url& url : urls)
        urlNames << url.name;
    for (const EngineScript& engine : engines)
        engineNames << engine.Name;
    for (const QString& problem :
         {tooLong("project name", {name}, "Project"), tooLong("URL name", urlNames, "URL"),
          tooLong("search term", terms, "SearchTerm"),
          tooLong("search engine name", engineNames, "SearchEngine")})
        if (!problem.isEmpty())
            missing << problem;
    return missing.join(QStringLiteral(", "));
}

int ProjectPlan::keyUrlIndex() const
{
    for (int i = 0; i < urls.size(); ++i) {
        if (!keyUrl.isEmpty() && urls.at(i).name == keyUrl)
            return i;
    }
    return -1;
}

} // namespace corvane
