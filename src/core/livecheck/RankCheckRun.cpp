#include "core/livecheck/RankCheckRun.h"

#include "core/datamodule/DM1.h"
#include "core/engine/EngineScript.h"
#include "core/engine/PageFetcher.h"
#include "core/engine/PollingDriver.h"
#include "core/platform/TabFields.h"

#include <QTextStream>

namespace corvane {

namespace {

using TabFields::field;

// Engines to ask: the named ones in the order given, or every active one.
QList<EngineScript> chooseEngines(Table& se3, const QStringList& names, QTextStream& err)
{
    QList<EngineScript> engines;
    se3.open();
    if (names.isEmpty()) {
        for (se3.first(); !se3.eof(); se3.next()) {
            EngineScript script = EngineScript::fromRow(se3);
            if (script.Active)
                engines << script;
        }
        return engines;
    }
    for (const QString& name : names) {
        if (se3.locate({QStringLiteral("Name")}, {name}))
            engines << EngineScript::fromRow(se3);
        else
            err << "cvcheck: no engine script named \"" << name << "\"\n";
    }
    return engines;
}

} // namespace

RankCheckResult runRankCheck(TDM1& dataModule, const RankCheckRequest& request, QTextStream& out,
                             QTextStream& err, const std::function<bool()>& keepGoing)
{
    QList<EngineScript> engines = chooseEngines(dataModule.SE3Table, request.engines, err);
    if (engines.isEmpty()) {
        err << "cvcheck: no engine to ask\n";
        return RankCheckResult::Failed;
    }

    QList<PollTarget> targets;
    for (const QString& url : request.urls)
        targets << PollTarget{url, request.anyMatch};

    PageFetcher fetcher(dataModule.Settings);
    fetcher.setKeepGoing(keepGoing);
    PollingDriver driver(fetcher, dataModule.Settings.HTTPRetryTimes);
    int hits = 0;
    int failed = 0;
    bool aborted = false;
    for (EngineScript& engine : engines) {
        PollEvents events;
        events.hit = [&](const PollHit& hit) {
            ++hits;
            out << field(engine.Name) << '\t' << hit.rank << '\t' << hit.page << '\t' << field(hit.requestUrl)
                << '\t' << field(hit.foundLink) << '\n';
            out.flush();
        };
        events.status = [&](const QString& text) { err << engine.Name << ": " << text << '\n'; };
        events.aborted = [&keepGoing] { return !keepGoing(); };
        const EngineEnd end = driver.poll(engine, request.term, targets, request.depth, events);
        if (end == EngineEnd::Failed)
            ++failed;
        if (end == EngineEnd::Aborted) {
            aborted = true;
            break;
        }
    }
    if (failed == engines.size())
        return RankCheckResult::Failed;
    if (hits == 0 && !aborted)
        err << "cvcheck: nothing ranked within the first " << request.depth << " results for \""
            << request.term << "\"\n";
    return hits > 0 ? RankCheckResult::Hits : RankCheckResult::NoHits;
}

} // namespace corvane
