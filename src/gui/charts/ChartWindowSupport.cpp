#include "gui/charts/ChartWindowSupport.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/datamodule/DM1.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace corvane::ChartWindowSupport {

void fillProjects(TDM1& dm, QComboBox& list, const QString& project)
{
    const QSignalBlocker hold(&list);
    list.clear();
    Query query(&dm.General, QStringLiteral("SELECT Name FROM CVProject"));
    query.open();
    for (query.first(); !query.eof(); query.next())
        list.addItem(query.asString(QStringLiteral("Name")));
    const int found = list.findText(project, Qt::MatchExactly);
    list.setCurrentIndex(found);
}

QDate lastRun(TDM1& dm, const QString& project)
{
    Query query(&dm.General,
                QStringLiteral("SELECT LastRun FROM CVProject WHERE Name = ") + SqlQuote::quoted(project));
    query.open();
    if (query.eof())
        return {};
    return query.value(QStringLiteral("LastRun")).toDateTime().date();
}

QStringList projectEngines(TDM1& dm, const QString& project)
{
    Query query(&dm.General,
                QStringLiteral("SELECT Name FROM CVSE3 WHERE Project = ") + SqlQuote::quoted(project));
    query.open();
    QStringList names;
    for (query.first(); !query.eof(); query.next())
        names.append(query.asString(QStringLiteral("Name")));
    return names;
}

QImage chartLogo(TDM1& dm, const QString& project, const QString& flagColumn)
{
    Query query(&dm.General,
                QStringLiteral("SELECT ") + flagColumn + QStringLiteral(" FROM CVProject WHERE Name = ")
                    + SqlQuote::quoted(project));
    query.open();
    if (query.eof() || !query.asBoolean(flagColumn))
        return {};
    return QImage(dm.Settings.ExeFolder + QStringLiteral("Logo.bmp"));
}

} // namespace corvane::ChartWindowSupport
