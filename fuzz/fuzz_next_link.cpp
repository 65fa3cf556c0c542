// Next-link extraction and request building over an arbitrary script and
// processed page.
//
// Input: a flag byte, the counters, StartKey, EndKey, ReverseStartKey, the
// StartKeyPlanB lines, the ten ReplaceThis/ReplaceWith pairs, WordConnector,
// the request pairs and the search term; the page is the rest.

#include "core/engine/EngineScript.h"

#include "FuzzInput.h"

#include <array>
#include <cstddef>
#include <cstdint>

using namespace corvane;
using corvane::fuzz::check;

namespace {

// A request value: mostly a placeholder, sometimes any text.
QString value(fuzz::FuzzInput& in)
{
    static const std::array<const char*, 10> names = {"",       "KeyWord",   "RecCountA", "RecCountB",
                                                      "PageNo", "PageNo*10", "PageNo*15", "RandN",
                                                      "RandAL", "RandAU"};
    const std::uint8_t pick = in.byte();
    if (pick < names.size())
        return QString::fromLatin1(names[pick]);
    return pick == 255 ? in.text() : QString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    in.setUtf8(flags & 0x02);

    EngineScript script;
    script.Method1 = flags & 0x01;
    RunCounters counters;
    counters.rank = (flags & 0x04) ? in.int32() : 1 + in.byte();
    counters.page = (flags & 0x08) ? in.int32() : in.byte();

    script.StartKey = in.text();
    script.EndKey = in.text();
    script.ReverseStartKey = in.text();
    const int planB = in.byte() % 6;
    for (int i = 0; i < planB; ++i)
        script.StartKeyPlanB.append(in.text());
    const std::uint16_t replacements = std::uint16_t(in.byte() | (in.byte() << 8));
    for (std::size_t i = 0; i < script.ReplaceThis.size(); ++i) {
        if (!(replacements & (1u << i)))
            continue;
        script.ReplaceThis[i] = (i == 9 && (flags & 0x10)) ? QStringLiteral("[BLANK]") : in.text();
        script.ReplaceWith[i] = in.text();
    }
    script.WordConnector = in.text();
    if (flags & 0x20) {
        const int pairs = in.byte() % 4;
        for (int i = 0; i < pairs; ++i) {
            script.AString[std::size_t(i)] = in.text();
            script.AValue[std::size_t(i)] = value(in);
            script.BString[std::size_t(i)] = in.text();
            script.BValue[std::size_t(i)] = value(in);
        }
        script.OffsetField = value(in);
        script.OffsetValue = in.int32();
    }
    const QString term = in.text();
    const QString page = in.rest();

    EngineScript extracting = script;
    const QString link = ExtractNextLink(extracting, page);
    check(link.isEmpty() || link.size() < page.size(), "next link as long as the page");
    check(fuzz::holds(page, link), "next link is not part of the page");
    check(extracting.EndKey == script.EndKey || script.StartKeyPlanB.contains(extracting.EndKey),
          "EndKey changed to a text that is no plan B line");
    if (!extracting.EndKey.isEmpty())
        check(!fuzz::holds(link, extracting.EndKey), "next link holds the end key");
    if (!link.isEmpty() && script.ReverseStartKey.isEmpty())
        check(link.startsWith(script.StartKey) || script.StartKey.startsWith(link),
              "next link does not begin at the start key");
    if (!link.isEmpty() && !script.ReverseStartKey.isEmpty())
        check(link.startsWith(script.ReverseStartKey) || script.ReverseStartKey.startsWith(link),
              "next link does not begin at the reverse start key");

    // Extraction is repeatable once plan B has settled the end key.
    EngineScript again = extracting;
    again.StartKeyPlanB.clear();
    if (script.StartKeyPlanB.isEmpty())
        check(ExtractNextLink(again, page) == link, "extraction not repeatable");

    const QString connected = ConnectTerm(script, term);
    if (!script.WordConnector.contains(u' '))
        check(!connected.contains(u' '), "connected term holds a blank");

    EngineScript building = script;
    const QString url = BuildQueryUrl(building, counters, connected, page);
    if (counters.rank != 1 && !script.Method1 && !script.WordConnector.contains(u' '))
        check(!url.contains(u' '), "request address holds a blank");
    if (counters.rank != 1 && !script.Method1 && link.isEmpty())
        check(url.isEmpty(), "request address without a next link");
    return 0;
}
