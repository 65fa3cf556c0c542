#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;

namespace corvane {

class TDM1;

// One rank check from the command line: a term and the URLs to look for,
// asked of the named engine scripts (every active one when none is named).
struct RankCheckRequest
{
    QString term;
    QStringList urls;
    QStringList engines;
    int depth = 50;
    bool anyMatch = false;
};

// The exit status of a rank check.
enum class RankCheckResult { Hits = 0, NoHits = 1, Failed = 2 };

// Asks each engine in turn and writes one tab-separated line per hit to out
// (engine, rank, page, request URL, found link; a backslash, tab, line feed
// or carriage return inside a field written as \\, \t, \n or \r); progress,
// errors and a check without a hit are said on err. keepGoing is asked between requests; false stops the check. Failed
// when no engine could be asked or every engine failed.
RankCheckResult runRankCheck(TDM1& dataModule, const RankCheckRequest& request, QTextStream& out,
                             QTextStream& err, const std::function<bool()>& keepGoing);

} // namespace corvane
