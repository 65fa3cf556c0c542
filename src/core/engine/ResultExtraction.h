#pragma once

#include "core/engine/EngineScript.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

// Written in front of every result block. The cleaned page holds no line
// feeds, so each separator starts a line of its own.
inline constexpr QStringView ResultSeparator = u"\n*~*~*~*~*~*~*";
// The separator without its line feed: every result block begins with it.
inline constexpr QStringView ResultTag = u"*~*~*~*~*~*~*";

// The text that introduces result number n: the A columns on the first page
// of an engine, the B columns on every later page.
QString IncrementMarker(const EngineScript& script, bool firstPage, int n);

// One IncPlanB line ("prefix~*~*flag~*~*suffix") rendered for result n: the
// number is left out when the flag reads "false". A line without separators
// is all prefix; a missing second separator leaves the suffix empty.
QString RenderIncPlanB(const QString& line, int n);

// Deletes the stretches TruncStart1..5 / TruncEnd1..5 from the page, pair by
// pair: the start text goes with the stretch, the end text stays.
QString ApplyTruncations(const QString& page, const EngineScript& script);

struct ResultSplit
{
    QStringList blocks;    // one per result, in page order; each begins with ResultTag
    QString processedPage; // the page from the first ResultTag on; next links are cut from it
    int markers = 0;       // marker occurrences found (the TagFirst block not counted)
};

// Splits a truncated page into result blocks at the markers for
// rankCounter, rankCounter + 1, ... (numbered markers stop at the first gap).
// Runs in time proportional to the page length. Markers are looked for in the
// page's own text only: a separator written by the split never takes part in
// a later match.
ResultSplit SplitResults(const QString& truncatedPage, const EngineScript& script, bool firstPage,
                         int rankCounter);

// Index of the URL text in the block when the block is a hit, else -1. The
// first occurrence alone decides. Without Any Match the URL must not go on
// with a letter or digit (after an optional "/"); in both modes it must not
// follow a letter, digit, "-" or "_".
qsizetype FindResultLink(const QString& block, const QString& url, bool anyMatch);
bool MatchResultLink(const QString& block, const QString& url, bool anyMatch);

// The whole address around a match at matchPos: from the "http://" or
// "https://", or from just after the quote (" or '), blank or ">", that comes
// nearest before it (else from the block's start), up to the quote, blank or
// ">" after it (else to the block's end).
QString FoundLink(const QString& block, qsizetype matchPos);

} // namespace corvane
