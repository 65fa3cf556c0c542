#include "core/print/PrintData.h"

#include "core/data/SqlQuote.h"

#include <QDate>
#include <QLocale>

#include <cmath>

namespace corvane::PrintData {

namespace {

QString text(const Dataset& dataset, const char* field)
{
    return displayText(dataset.value(QLatin1String(field)));
}

QStringList lines(const Dataset& dataset, const char* field)
{
    QString value = dataset.asString(QLatin1String(field));
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList result = value.split(QLatin1Char('\n'));
    while (!result.isEmpty() && result.constLast().isEmpty())
        result.removeLast();
    return result;
}

// Calls readRow for every row from the first, then puts the cursor back.
template <typename ReadRow>
void forEachRow(Dataset& dataset, ReadRow readRow)
{
    if (!dataset.isOpen())
        return;
    const int position = dataset.recNo();
    for (dataset.first(); !dataset.eof(); dataset.next())
        readRow();
    if (position > 0)
        dataset.moveTo(position);
}

} // namespace

QString displayText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        // One date is one word: it never breaks across lines in a narrow column.
        return QLocale()
            .toString(value.toDate(), QLocale::ShortFormat)
            .replace(QLatin1Char(' '), QChar::Nbsp);
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        return number == std::trunc(number) ? QString::number(qint64(number))
                                            : QString::number(number, 'f', 2);
    }
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray: return QString::fromUtf8(value.toByteArray());
    default: return value.toString();
    }
}

QString logoFlagColumn(int kind)
{
    switch (kind) {
    case PrintPages::DetailChart: return QStringLiteral("Logo_Basic_Rpt");
    case PrintPages::EngineList: return QStringLiteral("Logo_SEPop_Rpt");
    case PrintPages::GainsAndLosses: return QStringLiteral("Logo_GandL_Rpt");
    case PrintPages::Scores: return QStringLiteral("Logo_Scores_Rpt");
    default: return {};
    }
}

PrintPages::Logo reportLogo(Database& database, const QString& project, int kind)
{
    PrintPages::Logo logo;
    const QString flag = logoFlagColumn(kind);
    if (flag.isEmpty() || project.isEmpty() || !database.tableExists(QStringLiteral("CVProject")))
        return logo;
    Table projects(&database, QStringLiteral("CVProject"));
    projects.setFilter(QStringLiteral("Name = ") + SqlQuote::quoted(project, QLatin1Char('"')));
    projects.setFiltered(true);
    projects.open();
    if (projects.recordCount() > 0 && projects.hasField(flag)) {
        logo.show = projects.asBoolean(flag);
        logo.position = projects.asInteger(QStringLiteral("Logo_Pos_Rpt"));
    }
    return logo;
}

PrintPages::DetailChartPage detailChart(Dataset& working, const QStringList& titleLines)
{
    PrintPages::DetailChartPage page;
    page.titleLines = titleLines;
    if (!working.isOpen())
        return page;
    const QString dateField = QStringLiteral("xDate");
    for (const FieldDef& field : working.fields()) {
        if (field.name.compare(dateField, Qt::CaseInsensitive) != 0)
            page.seriesTitles << field.name;
    }
    forEachRow(working, [&] {
        PrintPages::DetailChartPage::Row row;
        row.date = displayText(working.value(dateField));
        for (const QString& series : std::as_const(page.seriesTitles)) {
            const QVariant value = working.value(series);
            if (value.isValid() && !value.isNull() && value.toDouble() > 0)
                row.values << displayText(value);
            else
                row.values << std::nullopt;
        }
        page.rows << row;
    });
    return page;
}

PrintPages::QueryResultPage queryResult(Dataset& grid, const QString& project)
{
    PrintPages::QueryResultPage page;
    page.project = project;
    if (!grid.isOpen())
        return page;
    page.footer = QStringLiteral("Records: ") + QString::number(grid.recordCount());
    for (const FieldDef& field : grid.fields())
        page.fields << field.name;
    forEachRow(grid, [&] {
        QStringList row;
        for (const QString& field : std::as_const(page.fields))
            row << displayText(grid.value(field));
        page.rows << row;
    });
    return page;
}

PrintPages::EngineListPage engineList(Dataset& engines, const QString& project)
{
    PrintPages::EngineListPage page;
    page.project = project;
    forEachRow(engines, [&] {
        page.rows << PrintPages::EngineListPage::Row{
            text(engines, "Name"),  text(engines, "HomePage"), text(engines, "Popularity"),
            text(engines, "Notes"), text(engines, "Country"),  text(engines, "LastUpdate")};
    });
    return page;
}

PrintPages::UrlListPage urlList(Dataset& mix, const QString& name)
{
    PrintPages::UrlListPage page;
    page.name = name;
    forEachRow(mix, [&] {
        page.rows << PrintPages::UrlListPage::Row{text(mix, "URLCount"), text(mix, "Name")};
    });
    return page;
}

PrintPages::PageDetailPage pageDetail(Dataset& mix, const QString& name)
{
    PrintPages::PageDetailPage page;
    page.name = name;
    forEachRow(mix, [&] {
        page.pages << PrintPages::PageDetailPage::Page{text(mix, "Name"),      text(mix, "URLCount"),
                                                       text(mix, "MetaTitle"), text(mix, "MetaDesc"),
                                                       lines(mix, "MetaST"),   lines(mix, "KWDensity")};
    });
    return page;
}

PrintPages::MergedPhrasesPage mergedPhrases(Dataset& phrases, const QString& name)
{
    PrintPages::MergedPhrasesPage page;
    page.name = name;
    forEachRow(phrases, [&] {
        page.rows << PrintPages::MergedPhrasesPage::Row{text(phrases, "Phrase"),
                                                        text(phrases, "PhraseCount")};
    });
    return page;
}

PrintPages::GainsAndLossesPage gainsAndLosses(Dataset& hilo, const QStringList& titleLines)
{
    PrintPages::GainsAndLossesPage page;
    page.titleLines = titleLines;
    forEachRow(hilo, [&] {
        page.rows << PrintPages::GainsAndLossesPage::Row{text(hilo, "xDate"), text(hilo, "SearchTerm"),
                                                         text(hilo, "AltYesterday"), text(hilo, "AltToday"),
                                                         text(hilo, "Difference")};
    });
    return page;
}

PrintPages::ScoresPage scores(Dataset& scores, const QStringList& titleLines)
{
    PrintPages::ScoresPage page;
    page.titleLines = titleLines;
    forEachRow(scores, [&] {
        page.rows << PrintPages::ScoresPage::Row{text(scores, "URL"), text(scores, "Rank")};
    });
    return page;
}

} // namespace corvane::PrintData
