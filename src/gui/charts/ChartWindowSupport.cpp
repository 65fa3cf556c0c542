#include "gui/charts/ChartWindowSupport.h"

#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/datamodule/DM1.h"
#include "gui/widgets/OneLineNames.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

namespace corvane::ChartWindowSupport {

QComboBox* makeProjectList(QWidget* parent, const QString& objectName)
{
    auto* list = new QComboBox(parent);
    OneLineNames::apply(*list);
    list->setObjectName(objectName);
    list->setToolTip(QStringLiteral("Select Project"));
    list->setMinimumWidth(180);
    return list;
}

EngineDayChoices::EngineDayChoices(QWidget* parent, const QString& projectsName, const QString& enginesName,
                                   const QString& dateName)
    : projects(makeProjectList(parent, projectsName))
    , engines(new QComboBox(parent))
    , date(new QDateEdit(parent))
    , row(new QHBoxLayout)
{
    OneLineNames::apply(*engines);
    engines->setObjectName(enginesName);
    engines->setMinimumWidth(200);
    date->setObjectName(dateName);
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    row->addWidget(new QLabel(QStringLiteral("Project"), parent));
    row->addWidget(projects);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Search Engine"), parent));
    row->addWidget(engines);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Date"), parent));
    row->addWidget(date);
}

ProgressAndClose::ProgressAndClose(QDialog* window, QPushButton* help)
    : progress(new QProgressBar(window))
    , close(new QPushButton(QStringLiteral("Close"), window))
    , row(new QHBoxLayout)
{
    progress->setObjectName(QStringLiteral("Progress"));
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    progress->setMaximumHeight(12);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::accept);
    row->addWidget(progress, 1);
    row->addWidget(close);
    row->addWidget(help);
}

void EngineDayChoices::showProject(TDM1& dm)
{
    const QString project = projects->currentText();
    const QSignalBlocker holdEngines(engines);
    const QSignalBlocker holdDate(date);
    engines->clear();
    if (!project.isEmpty())
        engines->addItems(projectEngines(dm, project));
    const QDate last = lastRun(dm, project);
    date->setDate(last.isValid() ? last : QDate::currentDate());
}

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
