#include "core/discovery/MixHarvest.h"

#include "core/data/Dataset.h"
#include "core/engine/PageFetcher.h"
#include "core/engine/ResultExtraction.h"

#include <QSet>

namespace corvane::MixHarvest {

namespace {

// The seed as it goes into an address: blanks stay for the ReplaceThis
// pairs, the characters that would change the request are encoded.
QString EncodedSeed(const QString& seed)
{
    EngineScript blanks;
    blanks.WordConnector = QStringLiteral(" ");
    return ConnectTerm(blanks, seed);
}

bool Rejected(const QString& candidate)
{
    return candidate.isEmpty() || candidate.contains(ResultTag) || candidate.contains(u'<')
        || candidate.contains(u'>') || candidate.contains(u'\'') || candidate.contains(u'"');
}

} // namespace

QStringList OfferedEngines(Table& se3)
{
    QStringList names;
    se3.open();
    for (se3.first(); !se3.eof(); se3.next())
        if (!se3.asString(QStringLiteral("HTTPStart")).isEmpty())
            names << se3.asString(QStringLiteral("Name"));
    return names;
}

QString FirstPageUrl(const EngineScript& script, const QString& seed)
{
    const QString encoded = EncodedSeed(seed);
    const RunCounters counters;
    QString url;
    for (std::size_t i = 0; i < script.AString.size(); ++i) {
        url += script.AString[i];
        const QString& value = script.AValue[i];
        if (value == QLatin1String("KeyWord"))
            url += encoded;
        else if (value == QLatin1String("RandN") || value == QLatin1String("RandAL")
                 || value == QLatin1String("RandAU"))
            url += ExpandValue(script, counters, encoded, value);
    }
    for (std::size_t i = 0; i < script.ReplaceThis.size(); ++i) {
        const QString& from = script.ReplaceThis[i];
        if (from.isEmpty())
            continue;
        if (i == 9 && from == QLatin1String("[BLANK]"))
            url.replace(u' ', script.ReplaceWith[i]);
        else
            url.replace(from, script.ReplaceWith[i]);
    }
    url.replace(u' ', QStringLiteral("%20"));
    return url;
}

QString CleanPage(QString page)
{
    page.remove(u'\n').remove(u'\r').remove(u'\t');
    static const struct
    {
        const char16_t* code;
        char16_t character;
    } Codes[] = {{u"%2E", u'.'}, {u"%3A", u':'}, {u"%2F", u'/'}, {u"%3F", u'?'}, {u"%26", u'&'}};
    for (const auto& code : Codes) {
        const QString upper = QString::fromUtf16(code.code);
        page.replace(upper, QString(QChar(code.character)), Qt::CaseInsensitive);
    }
    return page;
}

QString LinkOfBlock(const EngineScript& script, const QString& block)
{
    const QString& start = script.HTTPStart;
    if (start.isEmpty())
        return {};
    QString text = block;
    // The occurrences ahead of the one that introduces the link go.
    for (int n = 1; n < std::max(1, script.HTTPLoc); ++n) {
        const qsizetype at = text.indexOf(start);
        if (at < 0)
            return {};
        text.remove(at, start.size());
    }
    const qsizetype at = text.indexOf(start);
    if (at < 0)
        return {};
    text.remove(0, at);
    if (!script.HTTPEnd.isEmpty()) {
        const qsizetype end = text.indexOf(script.HTTPEnd);
        if (end >= 0)
            text.truncate(end);
    }
    return text;
}

QStringList ResultLinks(const EngineScript& script, const QString& fetchedPage)
{
    EngineScript firstPage = script;
    firstPage.IncPlanB.clear();
    const ResultSplit split =
        SplitResults(ApplyTruncations(CleanPage(fetchedPage), firstPage), firstPage, true, 1);
    QStringList links;
    for (const QString& block : split.blocks) {
        const QString link = LinkOfBlock(script, block);
        if (!Rejected(link))
            links << link;
    }
    return links;
}

int Run(Table& se3, Table& mix, PageFetcher& fetcher, const QString& seed, const QStringList& engines,
        const MixEvents& events)
{
    mix.open();
    mix.emptyTable();
    se3.open();
    for (const QString& engine : engines) {
        if (events.aborted && events.aborted()) {
            events.log(QStringLiteral("Aborting"));
            break;
        }
        if (!se3.findKey({engine})) {
            events.log(engine + QStringLiteral(" Engine script not found"));
            continue;
        }
        const EngineScript script = EngineScript::fromRow(se3);
        const QString url = FirstPageUrl(script, seed);
        const FetchResult fetched = fetcher.get(url);
        if (fetched.aborted) {
            events.log(QStringLiteral("Aborting"));
            break;
        }
        QString page;
        if (!fetched.ok) {
            events.log(engine + QLatin1Char(' ') + fetched.error);
        } else if (fetched.page.size() < 10) {
            events.log(engine + QStringLiteral(" Minimal data returned"));
        } else {
            events.log(engine + QStringLiteral(" OK"));
            page = fetched.page;
        }
        if (page.isEmpty())
            continue;

        // A site an engine lists twice still counts once for that engine.
        QSet<QString> seen;
        for (const QString& link : ResultLinks(script, page)) {
            const QString name = link.toLower();
            if (name.size() > MaxUrl || seen.contains(name))
                continue;
            seen.insert(name);
            if (mix.findKey({name})) {
                mix.edit();
                mix.setValue(QStringLiteral("URLCount"), mix.asInteger(QStringLiteral("URLCount")) + 1);
                mix.setValue(QStringLiteral("SE"),
                             QString(mix.asString(QStringLiteral("SE")) + QLatin1Char('\n') + engine));
            } else {
                mix.append();
                mix.setValue(QStringLiteral("Name"), name);
                mix.setValue(QStringLiteral("URLCount"), 1);
                mix.setValue(QStringLiteral("SE"), engine);
            }
            mix.post();
        }
    }
    mix.refresh();
    return mix.recordCount();
}

} // namespace corvane::MixHarvest
