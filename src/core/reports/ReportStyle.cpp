#include "core/reports/ReportStyle.h"

#include "core/data/Dataset.h"
#include "core/data/TableDatabase.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace corvane::reports {

bool ReportStyle::showsColumn(const QString& field) const
{
    return !hiddenColumns.contains(field, Qt::CaseInsensitive);
}

QString ReportStyle::titleFor(const QString& report, const QString& project) const
{
    return title.trimmed().isEmpty() ? defaultReportTitle(report, project) : title.trimmed();
}

QString ReportStyle::toLayout() const
{
    QJsonObject layout;
    layout.insert(QStringLiteral("orientation"),
                  landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
    layout.insert(QStringLiteral("fontSize"), fontSize);
    layout.insert(QStringLiteral("hiddenColumns"), QJsonArray::fromStringList(hiddenColumns));
    return QString::fromUtf8(QJsonDocument(layout).toJson(QJsonDocument::Compact));
}

ReportStyle ReportStyle::fromLayout(const QString& layout)
{
    ReportStyle style;
    const QJsonObject object = QJsonDocument::fromJson(layout.toUtf8()).object();
    style.landscape = object.value(QStringLiteral("orientation")).toString() == QLatin1String("landscape");
    style.fontSize = qBound(SmallestFontSize, object.value(QStringLiteral("fontSize")).toInt(DefaultFontSize),
                            LargestFontSize);
    for (const QJsonValue& field : object.value(QStringLiteral("hiddenColumns")).toArray())
        style.hiddenColumns << field.toString();
    return style;
}

QString defaultReportTitle(const QString& report, const QString& project)
{
    if (project.isEmpty())
        return report;
    if (report.isEmpty())
        return project;
    return report + QStringLiteral(" - ") + project;
}

ReportStyleStore::ReportStyleStore(Database& database)
    : m_database(database)
{
}

ReportStyle ReportStyleStore::load(const QString& report, const QString& project) const
{
    Table table(&m_database, QLatin1String(TableName), QLatin1String(IndexName));
    table.open();
    if (!table.findKey({report, project}))
        return {};
    ReportStyle style = ReportStyle::fromLayout(table.asString(QStringLiteral("Layout")));
    style.title = table.asString(QStringLiteral("Caption"));
    return style;
}

void ReportStyleStore::save(const QString& report, const QString& project, const ReportStyle& style)
{
    Table table(&m_database, QLatin1String(TableName), QLatin1String(IndexName));
    table.open();
    if (table.findKey({report, project})) {
        table.edit();
    } else {
        table.append();
        table.setValue(QStringLiteral("Report"), report);
        table.setValue(QStringLiteral("Project"), project);
    }
    table.setValue(QStringLiteral("Caption"), style.title.trimmed());
    table.setValue(QStringLiteral("Layout"), style.toLayout());
    table.setValue(QStringLiteral("Modified"), QDateTime::currentDateTime());
    table.post();
}

} // namespace corvane::reports
