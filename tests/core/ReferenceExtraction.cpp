#include "ReferenceExtraction.h"

namespace corvane::test {

QString referenceTruncations(const QString& page, const EngineScript& script)
{
    QString text = page;
    for (std::size_t i = 0; i < script.TruncStart.size(); ++i) {
        const QString& startText = script.TruncStart[i];
        const QString& endText = script.TruncEnd[i];
        if (startText.isEmpty())
            continue;
        qsizetype start = 0; // 1-based; 0 when absent
        if (startText == QLatin1String("[START]"))
            start = 1;
        else
            start = text.indexOf(startText) + 1;
        qsizetype end = -1; // 1-based; 0 when absent, -1 without an end text
        if (endText == QLatin1String("[END]"))
            end = text.size();
        else if (!endText.isEmpty())
            end = text.indexOf(endText) + 1;
        if (start >= 1 && start < end)
            text = text.left(start - 1) + text.mid(end - 1);
    }
    return text;
}

ResultSplit referenceSplit(const QString& truncated, const EngineScript& script, bool firstPage, int n)
{
    const QString separator = ResultSeparator.toString();
    const QString tag = ResultTag.toString();
    QString page = truncated;
    QString line;
    QString marker;
    const bool planB = !script.IncPlanB.isEmpty();
    if (planB) {
        for (const QString& candidate : script.IncPlanB) {
            const QString rendered = RenderIncPlanB(candidate, n);
            if (!rendered.isEmpty() && page.contains(rendered)) {
                line = candidate;
                marker = rendered;
                break;
            }
        }
    } else {
        marker = IncrementMarker(script, firstPage, n);
    }
    if (script.TagFirst)
        page.prepend(separator);

    ResultSplit split;
    qsizetype at = 0;
    while (!marker.isEmpty() && (at = page.indexOf(marker)) >= 0) {
        page.insert(at, separator);
        page.remove(at + separator.size(), marker.size());
        ++n;
        ++split.markers;
        marker = planB ? RenderIncPlanB(line, n) : IncrementMarker(script, firstPage, n);
    }
    const qsizetype first = page.indexOf(tag);
    if (first > 0)
        page.remove(0, first);
    split.processedPage = page;
    split.blocks = page.split(u'\n');
    if (split.blocks.last().isEmpty())
        split.blocks.removeLast();
    return split;
}

} // namespace corvane::test
