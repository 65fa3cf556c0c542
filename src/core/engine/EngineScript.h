#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>

namespace corvane {

class Table;

// One engine script: an SE3 row in memory. It says how to ask the engine for
// a result page and how to find the numbered results in the reply. Column
// names are the member names.
struct EngineScript
{
    // Identification and description
    QString Name;
    QString HomePage;
    QString AddPage;
    QString Country;
    QString Group1, Group2, Group3, Group4, Group5;
    QString Notes;
    int Popularity = 0;
    int Pop1 = 0, Pop2 = 0, Pop3 = 0;
    QString PopSource;
    QDate LastUpdate;
    bool Active = true;
    bool SpecNotes = false;
    bool API = false;
    // Not a column: the engine's key for its programming interface (EngineApiKeys),
    // filled in by fromRow for an engine with the API flag; the value "APIKey" stands for it.
    QString APIKey;
    int EngineInc = 0;

    // Request construction: the first page from the A pairs, later pages from
    // the B pairs (Method1) or from the next link cut out of the last page.
    bool Method1 = false;
    std::array<QString, 10> AString, AValue, BString, BValue; // index 0 is column 1
    QString OffsetField;
    int OffsetValue = 0;
    QString WordConnector;
    QString StartKey;
    QString EndKey;
    QString ReverseStartKey;
    QStringList StartKeyPlanB;
    std::array<QString, 10> ReplaceThis, ReplaceWith;

    // Pacing and headers
    int Delay = 0;
    int Delay2 = 0;
    int UserAgent = 0;

    // Result finding
    QString AIncStart, AIncEnd;
    bool ANumberInc = false;
    int APageLength = 0;
    QString BIncStart, BIncEnd;
    bool BNumberInc = false;
    int BPageLength = 0;
    QStringList IncPlanB;
    bool TagFirst = false;
    std::array<QString, 5> TruncStart, TruncEnd;

    // Link cutting of keyword discovery
    QString HTTPStart;
    int HTTPLoc = 1;
    QString HTTPEnd;

    // Copies every column of the current row of an open SE3 table cursor;
    // the two list columns are split into lines.
    static EngineScript fromRow(const Table& se3);
};

// The counters of one engine's polling in one run.
struct RunCounters
{
    int rank = 1;     // number of the next result to be counted
    int page = 0;     // pages fetched
    int failures = 0; // consecutive failed requests
};

// The search term with every blank replaced by the script's WordConnector
// (an empty connector removes the blanks). The characters that would change
// the request (& # + % = ? and control characters) and non-ASCII characters
// (as UTF-8) are percent-encoded; the rest is left as typed.
QString ConnectTerm(const EngineScript& script, const QString& term);

// The text of one placeholder column (AValue1, BValue3, ...) for the current
// counters; a name that is not a placeholder gives the empty text.
QString ExpandValue(const EngineScript& script, const RunCounters& counters, const QString& connectedTerm,
                    const QString& value);

// The address of the next request: the A pairs while no result has been
// counted, then the B pairs (Method1) or the next link cut out of the previous
// processed page. Empty means there is no further page. Next-link extraction
// may change script.EndKey for the rest of the run (StartKeyPlanB).
QString BuildQueryUrl(EngineScript& script, const RunCounters& counters, const QString& connectedTerm,
                      const QString& previousProcessedPage);

// Why a script cannot be polled at all (no request address, or no result
// marker for first or later pages), as a sentence; empty when it can.
QString UnusableReason(const EngineScript& script);

// The raw next-page link of a processed page, before the ReplaceThis pairs.
// Empty when the start key, the anchor or the reverse start key is missing.
QString ExtractNextLink(EngineScript& script, const QString& processedPage);

} // namespace corvane
