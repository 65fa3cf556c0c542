// Truncation, split and link matching over an arbitrary script and page.
//
// Input: a flag byte, the four marker texts, the IncPlanB lines, five
// truncation pairs, the rank counter, the searched URL; the page is the rest.

#include "core/engine/ResultExtraction.h"

#include "FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <limits>

using namespace corvane;
using corvane::fuzz::check;

namespace {

bool hasLinkDelimiter(const QString& text)
{
    for (const QChar c : text)
        if (c == u'"' || c == u'\'' || c == u' ' || c == u'>')
            return true;
    return false;
}

bool isAlnum(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The match rule stated plainly, for comparison.
qsizetype expectedMatch(const QString& block, const QString& url, bool anyMatch)
{
    if (url.isEmpty())
        return -1;
    const qsizetype at = fuzz::firstIndex(block, url);
    if (at < 0)
        return -1;
    if (at > 0 && (isAlnum(block[at - 1]) || block[at - 1] == u'-' || block[at - 1] == u'_'))
        return -1;
    if (!anyMatch) {
        const QString after = block.mid(at + url.size());
        const qsizetype skip = after.startsWith(u'/') ? 1 : 0;
        if (after.size() > skip && isAlnum(after[skip]))
            return -1;
    }
    return at;
}

int rankCounter(fuzz::FuzzInput& in)
{
    const std::uint8_t mode = in.byte();
    switch (mode % 8) {
    case 0: return std::numeric_limits<int>::max() - in.byte();
    case 1: return std::numeric_limits<int>::min() + in.byte();
    case 2: return in.int32();
    case 3: return -int(in.byte());
    default: return 1 + in.byte();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const bool firstPage = flags & 0x01;
    const bool anyMatch = flags & 0x10;
    const bool keepLineFeeds = flags & 0x40;
    in.setUtf8(flags & 0x20);

    EngineScript script;
    script.TagFirst = flags & 0x02;
    script.ANumberInc = flags & 0x04;
    script.BNumberInc = flags & 0x08;
    script.AIncStart = in.text();
    script.AIncEnd = in.text();
    script.BIncStart = in.text();
    script.BIncEnd = in.text();
    if (flags & 0x80) {
        const int lines = in.byte() % 6;
        for (int i = 0; i < lines; ++i)
            script.IncPlanB.append(in.text());
    }
    const std::uint8_t truncations = in.byte();
    for (std::size_t i = 0; i < script.TruncStart.size(); ++i) {
        if (!(truncations & (1u << i)))
            continue;
        const std::uint8_t kind = in.byte();
        script.TruncStart[i] = (kind & 3) == 1 ? QStringLiteral("[START]") : in.text();
        script.TruncEnd[i] = (kind & 12) == 4 ? QStringLiteral("[END]") : in.text();
    }
    const int rank = rankCounter(in);
    const QString url = in.text();
    QString page = in.rest();
    // Fetched pages reach the split without line feeds.
    if (!keepLineFeeds)
        page.remove(u'\n');

    const QString truncated = ApplyTruncations(page, script);
    check(truncated.size() <= page.size(), "truncation made the page longer");

    const ResultSplit split = SplitResults(truncated, script, firstPage, rank);
    const QString& processed = split.processedPage;
    check(split.markers >= 0 && split.markers <= truncated.size(), "marker count out of range");

    const QString joined = split.blocks.join(u'\n');
    check(processed == joined || processed == joined + u'\n', "blocks do not make up the processed page");
    for (const QString& b : split.blocks)
        check(!b.contains(u'\n'), "block holds a line feed");

    if (split.markers > 0 && script.IncPlanB.isEmpty())
        check(fuzz::holds(truncated, IncrementMarker(script, firstPage, rank)),
              "split without the first marker");

    // On a clean page the separators alone decide the blocks.
    if (!truncated.contains(u'\n') && !fuzz::holds(truncated, ResultTag)) {
        if (split.markers == 0 && !script.TagFirst) {
            check(processed == truncated, "page changed without markers");
        } else {
            check(processed.startsWith(ResultTag), "processed page does not start with the tag");
            check(split.blocks.size() == split.markers + (script.TagFirst ? 1 : 0), "block count");
            for (const QString& b : split.blocks)
                check(b.startsWith(ResultTag), "block does not start with the tag");
        }
    }

    for (const QString& b : split.blocks) {
        const qsizetype at = FindResultLink(b, url, anyMatch);
        check(at == expectedMatch(b, url, anyMatch), "match differs from the rule");
        check(MatchResultLink(b, url, anyMatch) == (at >= 0), "MatchResultLink disagrees");
        if (at < 0)
            continue;
        check(QStringView(b).sliced(at).startsWith(url), "match position does not hold the URL");
        const QString link = FoundLink(b, at);
        check(link.size() <= b.size(), "found link longer than its block");
        if (!hasLinkDelimiter(url))
            check(fuzz::holds(link, url), "found link lacks the matched text");
        check(fuzz::holds(b, link), "found link is not part of its block");
        check(FoundLink(b, -1).isEmpty() && FoundLink(b, b.size() + 1).isEmpty(), "position out of range");
        check(FoundLink(b, b.size()).size() <= b.size(), "found link at the end");
    }
    return 0;
}
