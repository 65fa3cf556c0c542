#include "core/harvest/ProjectPlan.h"

#include "core/data/Dataset.h"
#include "core/data/FieldCodec.h"
#include "core/data/SqlQuote.h"

#include <QDateTime>

namespace corvane {

namespace {

QString projectFilter(const QString& project)
{
    return QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"'));
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
