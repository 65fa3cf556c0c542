#include "core/query/EngineInformation.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"

#include <QHash>
#include <QScopeGuard>

#include <algorithm>

namespace corvane::EngineInformation {

namespace {

EngineRow readEngine(const Table& se3)
{
    EngineRow row;
    row.name = se3.asString(QStringLiteral("Name"));
    row.homePage = se3.asString(QStringLiteral("HomePage"));
    row.addPage = se3.asString(QStringLiteral("AddPage"));
    row.popularity = se3.asInteger(QStringLiteral("Popularity"));
    row.popSource = se3.asString(QStringLiteral("PopSource"));
    row.country = se3.asString(QStringLiteral("Country"));
    row.group1 = se3.asString(QStringLiteral("Group1"));
    row.group2 = se3.asString(QStringLiteral("Group2"));
    row.group3 = se3.asString(QStringLiteral("Group3"));
    row.group4 = se3.asString(QStringLiteral("Group4"));
    row.lastUpdate = se3.asDate(QStringLiteral("LastUpdate"));
    row.notes = se3.asString(QStringLiteral("Notes"));
    return row;
}

} // namespace

QString filterText(const QList<FilterItem>& checked, bool joinWithAnd)
{
    QStringList conditions;
    for (const FilterItem& item : checked)
        conditions << (item.value.isEmpty() ? QStringLiteral("(%1 IS NULL OR %1 = '')").arg(item.column)
                                            : item.column + QStringLiteral(" = ")
                               + SqlQuote::quoted(item.value, QLatin1Char('"')));
    return conditions.join(joinWithAnd ? QLatin1String(" AND ") : QLatin1String(" OR "));
}

const QStringList& headings()
{
    static const QStringList list{QStringLiteral("Name"),
                                  QStringLiteral("Home Page"),
                                  QStringLiteral("Add URL Page"),
                                  QStringLiteral("Points"),
                                  QStringLiteral("Note"),
                                  QStringLiteral("Country"),
                                  QStringLiteral("Group"),
                                  QStringLiteral("Type"),
                                  QStringLiteral("Locality"),
                                  QStringLiteral("Engine"),
                                  QStringLiteral("Last Script Update")};
    return list;
}

QList<EngineRow> listEngines(Database& se3Database, Database& general, const QString& project,
                             const QString& filter)
{
    Table se3(&se3Database, QStringLiteral("SE3"));
    se3.setFilter(filter);
    se3.setFiltered(!filter.trimmed().isEmpty());
    se3.open();
    QList<EngineRow> rows;
    for (se3.first(); !se3.eof(); se3.next())
        rows << readEngine(se3);

    if (!project.isEmpty()) {
        Table cvse3(&general, QStringLiteral("CVSE3"));
        cvse3.setFilter(QStringLiteral("Project = ") + SqlQuote::quoted(project, QLatin1Char('"')));
        cvse3.setFiltered(true);
        cvse3.open();
        QSet<QString> names;
        for (cvse3.first(); !cvse3.eof(); cvse3.next())
            names.insert(cvse3.asString(QStringLiteral("Name")).toCaseFolded());
        rows.removeIf([&names](const EngineRow& row) { return !names.contains(row.name.toCaseFolded()); });
    }
    std::sort(rows.begin(), rows.end(), [](const EngineRow& a, const EngineRow& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return rows;
}

QStringList distinctValues(Database& se3Database, const QString& column)
{
    Table se3(&se3Database, QStringLiteral("SE3"));
    se3.open();
    QStringList values;
    for (se3.first(); !se3.eof(); se3.next()) {
        const QString value = se3.asString(column).trimmed();
        if (!value.isEmpty() && !values.contains(value))
            values << value;
    }
    std::sort(values.begin(), values.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return values;
}

bool anyEmptyValue(Database& se3Database, const QString& column)
{
    Table se3(&se3Database, QStringLiteral("SE3"));
    se3.open();
    for (se3.first(); !se3.eof(); se3.next())
        if (se3.asString(column).trimmed().isEmpty())
            return true;
    return false;
}

QString countText(int count)
{
    return QString::number(count) + QStringLiteral(" Search Engines in this project.");
}

QString recalcQuestion()
{
    return QStringLiteral(
        "<P align=\"center\"><B>Clicking OK will reset all point values.</B> Any points you "
        "previously assigned to search engines in the Project Wizard will be lost.  "
        "<B>Note:</B> Old scores will remain at their original values, any new sessions "
        "will reflect the new point values.</P>");
}

int recalculatedPoints(qint64 pop1Sum, int pop1, int pop2, int pop3, int current)
{
    if (pop1 == 0)
        return current;
    if (pop3 != 0)
        return pop3;
    // (Pop2 + 1) x 0.0001 x (S div Pop1), whole part, in integers: no rounding error.
    const qint64 points = (qint64(pop2) + 1) * (pop1Sum / pop1) / 10000;
    return points == 0 ? 1 : int(points);
}

void recalc(Table& se3, Table& cvse3)
{
    const auto closeBoth = qScopeGuard([&] {
        se3.close();
        cvse3.close();
    });
    se3.close();
    se3.setFiltered(false);
    se3.open();
    qint64 sum = 0;
    for (se3.first(); !se3.eof(); se3.next())
        sum += se3.asInteger(QStringLiteral("Pop1"));

    QHash<QString, int> points;
    for (se3.first(); !se3.eof(); se3.next()) {
        const int pop1 = se3.asInteger(QStringLiteral("Pop1"));
        const int current = se3.asInteger(QStringLiteral("Popularity"));
        const int updated = recalculatedPoints(sum, pop1, se3.asInteger(QStringLiteral("Pop2")),
                                               se3.asInteger(QStringLiteral("Pop3")), current);
        if (pop1 != 0 && updated != current) {
            se3.edit();
            se3.setValue(QStringLiteral("Popularity"), updated);
            se3.post();
        }
        points.insert(se3.asString(QStringLiteral("Name")).toCaseFolded(), updated);
    }

    cvse3.close();
    cvse3.setFiltered(false);
    cvse3.open();
    for (cvse3.first(); !cvse3.eof(); cvse3.next()) {
        const auto found = points.constFind(cvse3.asString(QStringLiteral("Name")).toCaseFolded());
        if (found == points.constEnd() || cvse3.asInteger(QStringLiteral("Popularity")) == *found)
            continue;
        cvse3.edit();
        cvse3.setValue(QStringLiteral("Popularity"), *found);
        cvse3.post();
    }
}

} // namespace corvane::EngineInformation
