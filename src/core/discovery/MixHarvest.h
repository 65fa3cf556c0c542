#pragma once

#include "core/engine/EngineScript.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

class PageFetcher;
class Table;

// What a harvest or a Detail run tells the window.
struct MixEvents
{
    std::function<void(const QString& line)> log;
    std::function<bool()> aborted; // asked before every engine or page
};

// The harvest behind "Virtual Competitors": the first result page of the seed
// from each checked engine, cut into result links (the script's HTTPStart,
// HTTPLoc and HTTPEnd), each link counted once per engine in CVMix.
namespace MixHarvest {

// The longest address CVMix keeps (the width of its Name column); longer
// links are left out rather than cut into addresses that do not exist.
inline constexpr int MaxUrl = 255;

// The engines offered: the SE3 rows with a non-empty HTTPStart, by name.
QStringList OfferedEngines(Table& se3);

// The first-page address: AString1..10 with the expansion of AValue1..10
// ("KeyWord", "RandN", "RandAL", "RandAU"; anything else gives nothing), then
// the ReplaceThis pairs over the whole address ("[BLANK]" in ReplaceThis10
// stands for a blank). The seed keeps its blanks for those pairs; characters
// that would change the request (& # + % = ? and control characters) and
// non-ASCII letters are percent-encoded, and a blank no pair replaced is sent
// as "%20".
QString FirstPageUrl(const EngineScript& script, const QString& seed);

// The page made one line: line feeds, carriage returns and tabs removed,
// "%2E", "%3A", "%2F", "%3F", "%26" (either case) decoded.
QString CleanPage(QString page);

// The result links of a fetched page, in page order: truncated, split at the
// first-page markers, each block cut at HTTPStart (its HTTPLoc-th occurrence)
// and HTTPEnd. Candidates that are empty or hold the result tag, "<", ">", an
// apostrophe or a double quote are left out.
QStringList ResultLinks(const EngineScript& script, const QString& fetchedPage);

// The link of one result block, or the empty text when the block holds none.
QString LinkOfBlock(const EngineScript& script, const QString& block);

// Empties CVMix, then asks each engine in turn. A page that fails or is
// shorter than 10 characters is logged and yields nothing. Returns the number
// of CVMix rows.
int Run(Table& se3, Table& mix, PageFetcher& fetcher, const QString& seed, const QStringList& engines,
        const MixEvents& events);

} // namespace MixHarvest

} // namespace corvane
