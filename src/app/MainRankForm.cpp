#include "app/MainRankForm.h"

#include "app/GuardedTool.h"
#include "app/StartUp.h"
#include "data/DM1.h"
#include "data/FieldCodec.h"
#include "ui/FormPlacement.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLocale>
#include <QFileInfo>
#include <QLabel>
#include <QHeaderView>
#include <QTreeWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace corvane {

TMainRankForm::TMainRankForm(TDM1& dataModule, QWidget* parent)
    : QMainWindow(parent)
    , m_dm(dataModule)
    , m_projectList(new QTreeWidget)
    , m_projectLabel(new QLabel)
    , m_programs(dataModule)
    , m_repairWatch(this)
{
    setObjectName(QStringLiteral("MainRankForm"));

    m_dm.LoadSettings();
    StartUp::RemoveLeftoverTableFiles(m_dm.Settings);

    const QString formIni = m_dm.Settings.ExeFolder + QStringLiteral("FORM.INI");
    resize(1000, 700);
    if (QFileInfo::exists(formIni)) {
        m_placement = new FormPlacement(this, QLatin1String(FormSections::MainRankForm), formIni);
        m_placement->restore();
    } else {
        setWindowState(Qt::WindowMaximized);
    }
    m_autoLoad = !m_dm.Settings.SummaryLoad;

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exitAction = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exitAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    QFont headerFont = m_projectLabel->font();
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.3);
    headerFont.setBold(true);
    m_projectLabel->setFont(headerFont);
    layout->addWidget(m_projectLabel);
    layout->addWidget(new QLabel(QStringLiteral("Projects (double-click to open):")));
    layout->addWidget(m_projectList, 1);
    setCentralWidget(central);
    m_projectList->setRootIsDecorated(false);
    m_projectList->setAlternatingRowColors(true);
    m_projectList->setHeaderLabels({QStringLiteral("Project"), QStringLiteral("Search Depth"),
                                    QStringLiteral("Key URL"), QStringLiteral("Last Mining Session")});
    m_projectList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_projectList, &QTreeWidget::itemActivated, this, &TMainRankForm::ProjectListItemActivated);

    statusBar()->showMessage(QStringLiteral("Data folder: ") + m_dm.Settings.DataFolder);
    UpdateCaption();

    connect(&m_repairWatch, &RepairWatch::repairEnded, this, &TMainRankForm::RepairEnded);
}

TMainRankForm::~TMainRankForm() = default;

void TMainRankForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMainRankForm::FormShow()
{
    m_dm.LoadSwitches();
    try {
        m_dm.OpenDatabases();
        BuildProjectList();
        SelectProject(m_dm.Settings.Project);
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(0, QStringLiteral("Error"), e.message().toHtmlEscaped(), true, {});
    }
}

void TMainRankForm::BuildProjectList()
{
    m_projectList->clear();
    Table& projects = m_dm.GroupTable;
    projects.open();
    for (projects.first(); !projects.eof(); projects.next()) {
        // A last run below day 1.0 of the day count counts as never run.
        const QDateTime lastRun = projects.value(QStringLiteral("LastRun")).toDateTime();
        const QString lastSession = !lastRun.isValid() || FieldCodec::toDayCount(lastRun) < 1.0
            ? QStringLiteral("No Mining Sessions have been run")
            : QLocale().toString(lastRun.date(), QLocale::ShortFormat);
        const QString keyUrl = projects.asString(QStringLiteral("KeyURL"));
        m_projectList->addTopLevelItem(new QTreeWidgetItem(
            {projects.asString(QStringLiteral("Name")), QString::number(projects.asInteger(QStringLiteral("Depth"))),
             keyUrl.isEmpty() ? QStringLiteral("No Key URL defined") : keyUrl, lastSession}));
    }
}

void TMainRankForm::SelectProject(const QString& name)
{
    QTreeWidgetItem* chosen = nullptr;
    const QList<QTreeWidgetItem*> matches = m_projectList->findItems(name, Qt::MatchExactly);
    if (!name.isEmpty() && !matches.isEmpty())
        chosen = matches.first();
    else if (m_projectList->topLevelItemCount() > 0)
        chosen = m_projectList->topLevelItem(0);

    const QString project = chosen ? chosen->text(0) : QString();
    if (chosen)
        m_projectList->setCurrentItem(chosen);
    m_dm.Settings.Project =
        m_dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), project);
    UpdateCaption();
}

void TMainRankForm::ProjectListItemActivated(QTreeWidgetItem* item)
{
    SelectProject(item->text(0));
}

void TMainRankForm::UpdateCaption()
{
    setWindowTitle(QStringLiteral("Corvane - Project ") + m_dm.Settings.Project);
    m_projectLabel->setText(m_dm.Settings.Project.isEmpty()
                                ? QStringLiteral("No project has been created yet.")
                                : QStringLiteral("Current Project: ") + m_dm.Settings.Project);
}

void TMainRankForm::RunTableRepair()
{
    if (!GuardedTool::MayOpen(m_dm, QLatin1String(GuardedTool::TableRepair))
        || !m_programs.CheckProgram(QLatin1String(OutsidePrograms::Repair)))
        return;
    showMinimized();
    m_dm.CloseDatasets();
    SetCommandsEnabled(false);
    m_programs.StartRepair();
    m_repairWatch.start();
}

void TMainRankForm::RepairEnded()
{
    SetCommandsEnabled(true);
    showNormal();
}

void TMainRankForm::SetCommandsEnabled(bool enabled)
{
    menuBar()->setEnabled(enabled);
    centralWidget()->setEnabled(enabled);
}

void TMainRankForm::closeEvent(QCloseEvent* event)
{
    m_dm.CloseDatabases();
    QMainWindow::closeEvent(event);
}

} // namespace corvane
