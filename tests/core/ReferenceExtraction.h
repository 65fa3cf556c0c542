#pragma once

#include "core/engine/ResultExtraction.h"

namespace corvane::test {

// The truncation exactly as the extraction rules state it, pair by pair on
// what the previous pair left: positions counted from 1, "[START]" is 1,
// "[END]" the page length, and the stretch from the start text up to (not
// including) the end text goes when the start comes before the end.
QString referenceTruncations(const QString& page, const EngineScript& script);

// The split exactly as the extraction rules state it: every marker is looked
// for from the page's start, a separator is inserted before it and the marker
// removed, one at a time. Quadratic; only for comparison.
ResultSplit referenceSplit(const QString& truncated, const EngineScript& script, bool firstPage, int n);

} // namespace corvane::test
