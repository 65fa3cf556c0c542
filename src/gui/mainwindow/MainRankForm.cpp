#include "gui/mainwindow/MainRankForm.h"

#include "core/charts/ChartCacheBuilder.h"
#include "core/charts/ChartDesignStore.h"
#include "core/dashboard/DashboardData.h"
#include "core/dashboard/DashboardQueries.h"
#include "core/dashboard/HVThread.h"
#include "core/dashboard/SessionInfoPage.h"
#include "core/data/FieldCodec.h"
#include "core/datamodule/DM1.h"
#include "core/outside/GuardedTool.h"
#include "core/outside/LibraryCalls.h"
#include "core/projects/ProjectCascade.h"
#include "core/settings/StartUp.h"
#include "gui/charts/ChartDesignerForm.h"
#include "gui/charts/DetailChartForm.h"
#include "gui/charts/GandLForm.h"
#include "gui/charts/ScoresForm.h"
#include "gui/dashboard/TopTenCharts.h"
#include "gui/dayviews/DayGlanceForm.h"
#include "gui/dayviews/FullURLForm.h"
#include "gui/dayviews/LogForm.h"
#include "gui/discovery/STMixForm.h"
#include "gui/help/HelpForm.h"
#include "gui/livecheck/DuvudaDuvedozoForm.h"
#include "gui/mainwindow/MainCommands.h"
#include "gui/projects/SetupWizardForm.h"
#include "gui/query/GridForm.h"
#include "gui/query/SEPopForm.h"
#include "gui/query/ScriptCheckForm.h"
#include "gui/settings/MiscSettingsForm.h"
#include "gui/settings/NetSetForm.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/OneLineNames.h"
#include "gui/widgets/TaskBar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString NoHintText = QStringLiteral(
    "In order for values to be shown on this page, a Harvester Session must have been run and a Key URL "
    "must have been defined, even for the Default Project.");

QTableWidget* makeList(const QString& objectName, const QStringList& headers, const QString& hint)
{
    auto* table = new QTableWidget(0, int(headers.size()));
    OneLineNames::apply(*table);
    table->setObjectName(objectName);
    table->setHorizontalHeaderLabels(headers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAlternatingRowColors(true);
    table->setStatusTip(hint);
    return table;
}

// The banner pictures of the session page, drawn once into the program folder.
// Answers the names of the pictures that could not be written.
QStringList ensureSessionImages(const QString& folder)
{
    QStringList failed;
    const QString logo = folder + QStringLiteral("SessionInfoLogo.JPG");
    const QString fill = folder + QStringLiteral("SessionInfoLogoFill.JPG");
    if (!QFileInfo::exists(logo)) {
        QImage image(260, 48, QImage::Format_RGB32);
        image.fill(QColor(0x3b, 0x6e, 0xa5));
        QPainter painter(&image);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(26);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(image.rect().adjusted(12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("Corvane"));
        font.setPixelSize(11);
        font.setBold(false);
        painter.setFont(font);
        painter.drawText(image.rect().adjusted(140, 0, 0, -6), Qt::AlignBottom | Qt::AlignLeft,
                         QStringLiteral("Session Info"));
        painter.end();
        if (!image.save(logo, "JPG", 95))
            failed << logo;
    }
    if (!QFileInfo::exists(fill)) {
        QImage image(8, 48, QImage::Format_RGB32);
        image.fill(QColor(0x3b, 0x6e, 0xa5));
        if (!image.save(fill, "JPG", 95))
            failed << fill;
    }
    return failed;
}

} // namespace

TMainRankForm::TMainRankForm(TDM1& dataModule, QWidget* parent)
    : QMainWindow(parent)
    , m_dm(dataModule)
    , m_programs(dataModule)
    , m_repairWatch(this)
{
    setObjectName(QStringLiteral("MainRankForm"));

    m_dm.LoadSettings();
    StartUp::RemoveLeftoverTableFiles(m_dm.Settings);

    const QString formIni = m_dm.Settings.ExeFolder + QStringLiteral("FORM.INI");
    resize(1200, 820);
    if (QFileInfo::exists(formIni)) {
        m_placement = new FormPlacement(this, QLatin1String(FormSections::MainRankForm), formIni);
        m_placement->restore();
    } else {
        setWindowState(Qt::WindowMaximized);
    }
    m_autoLoad = !m_dm.Settings.SummaryLoad;

    CreateCommands();
    auto* splitter = new QSplitter;
    CreateTaskBar();
    splitter->addWidget(m_taskBar);
    splitter->addWidget(CreateDashboard());
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    CreateStatusBar();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
    connect(&m_repairWatch, &RepairWatch::repairEnded, this, &TMainRankForm::RepairEnded);
    setWindowTitle(QStringLiteral("Corvane - Project ") + m_dm.Settings.Project);
}

TMainRankForm::~TMainRankForm() = default;

// ------------------------------------------------------------ building

void TMainRankForm::CreateCommands()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("JvMainMenu1"));
    QHash<QString, QMenu*> menus;
    for (const CommandPlace& place : MainCommandTable::menus()) {
        QMenu* menu = bar->addMenu(QLatin1String(place.title));
        menu->setObjectName(QLatin1String(place.name));
        menus.insert(QLatin1String(place.name), menu);
    }
    for (const MainCommand& command : MainCommandTable::commands()) {
        if (!command.menu)
            continue;
        QMenu* menu = menus.value(QLatin1String(command.menu));
        if (command.separatorBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(QLatin1String(command.menuText));
        action->setObjectName(QLatin1String(command.name));
        action->setShortcut(command.shortcut);
        connect(action, &QAction::triggered, this, command.handler);
        m_commands << action;
    }

    // The project list sits in the File menu after the wizard.
    QMenu* file = menus.value(QStringLiteral("File1"));
    m_openProjectMenu = new QMenu(QStringLiteral("&Open Project"), file);
    m_openProjectMenu->setObjectName(QStringLiteral("OpenProject1"));
    file->insertMenu(command(QStringLiteral("Refresh1")), m_openProjectMenu);
    m_projectGroup = new QActionGroup(this);
    m_projectGroup->setExclusive(true);
    m_allProjects = m_openProjectMenu->addAction(QStringLiteral("All"));
    m_allProjects->setData(QStringLiteral("All"));
    m_allProjects->setCheckable(true);
    m_projectGroup->addAction(m_allProjects);
    connect(m_openProjectMenu, &QMenu::triggered, this, &TMainRankForm::ProjectMenuTriggered);

    // Not in any menu: copies the focused table, whether or not the menu bar shows.
    auto* copy = new QAction(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("Copy1"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    connect(copy, &QAction::triggered, this, &TMainRankForm::Copy1Click);
    addAction(copy);
}

void TMainRankForm::CreateTaskBar()
{
    m_taskBar = new TaskBar;
    m_taskBar->setObjectName(QStringLiteral("TaskBar"));
    QHash<QString, TaskBarGroup*> groups;
    for (const CommandPlace& place : MainCommandTable::taskBarGroups())
        groups.insert(QLatin1String(place.name),
                      m_taskBar->addGroup(QLatin1String(place.title), QLatin1String(place.name)));
    for (const MainCommand& command : MainCommandTable::commands()) {
        if (!command.group)
            continue;
        auto* action = new QAction(QLatin1String(command.taskText), this);
        if (!command.menu)
            action->setObjectName(QLatin1String(command.name));
        connect(action, &QAction::triggered, this, command.handler);
        groups.value(QLatin1String(command.group))->addAction(action);
        m_commands << action;
    }

    // The groups' own controls follow their commands.
    TaskBarGroup* display = groups.value(QStringLiteral("JvXPBar1"));
    m_doNotLoad = new QCheckBox(QStringLiteral("Do Not Load Display On Startup"));
    m_doNotLoad->setObjectName(QStringLiteral("DoNotLoad"));
    connect(m_doNotLoad, &QCheckBox::toggled, this, &TMainRankForm::DoNotLoadClick);
    display->addWidget(m_doNotLoad);
    auto* printRow = new QWidget;
    auto* printLayout = new QGridLayout(printRow);
    printLayout->setContentsMargins(0, 4, 0, 4);
    printLayout->setSpacing(3);
    m_printButton = new QPushButton(QStringLiteral("Print"));
    m_pageSetupButton = new QPushButton(QStringLiteral("Page Setup..."));
    m_previewButton = new QPushButton(QStringLiteral("Preview..."));
    for (QPushButton* button : {m_printButton, m_pageSetupButton, m_previewButton}) {
        button->setEnabled(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
    printLayout->addWidget(m_printButton, 0, 0);
    printLayout->addWidget(m_previewButton, 0, 1);
    printLayout->addWidget(m_pageSetupButton, 1, 0, 1, 2);
    connect(m_printButton, &QPushButton::clicked, this, &TMainRankForm::Print1Click);
    connect(m_pageSetupButton, &QPushButton::clicked, this, &TMainRankForm::PageSetup1Click);
    connect(m_previewButton, &QPushButton::clicked, this, &TMainRankForm::Preview1Click);
    display->addWidget(printRow);
    m_panelButtons = new QButtonGroup(this);
    const QStringList panels{QStringLiteral("Session Info"), QStringLiteral("1st Page List"),
                             QStringLiteral("New Arrivals"), QStringLiteral("Saturation")};
    for (int i = 0; i < panels.size(); ++i) {
        auto* radio = new QRadioButton(panels.at(i));
        radio->setFocusPolicy(Qt::NoFocus);
        m_panelButtons->addButton(radio, i);
        display->addWidget(radio);
    }
    m_panelButtons->button(0)->setChecked(true);
    connect(m_panelButtons, &QButtonGroup::idClicked, this, &TMainRankForm::showPanel);

    TaskBarGroup* project = groups.value(QStringLiteral("JvXPBar2"));
    project->addWidget(new QLabel(QStringLiteral("Open Project")));
    m_projectBox = new QComboBox;
    OneLineNames::apply(*m_projectBox);
    m_projectBox->setObjectName(QStringLiteral("ComboBox1"));
    connect(m_projectBox, &QComboBox::activated, this, &TMainRankForm::ComboBox1Change);
    project->addWidget(m_projectBox);
    project->addWidget(new QLabel(QStringLiteral("Detail Charts")));
    m_chartBox = new QComboBox;
    OneLineNames::apply(*m_chartBox);
    m_chartBox->setObjectName(QStringLiteral("ComboBox2"));
    connect(m_chartBox, &QComboBox::activated, this, [this] { DetailChart1Click(); });
    project->addWidget(m_chartBox);

    TaskBarGroup* utilities = groups.value(QStringLiteral("JvXPBar5"));
    m_showMenu = new QCheckBox(QStringLiteral("Show Traditional Menu"));
    m_showMenu->setObjectName(QStringLiteral("ShowTraditionalMenu"));
    connect(m_showMenu, &QCheckBox::toggled, this, &TMainRankForm::ShowTraditionalMenuClick);
    utilities->addWidget(m_showMenu);
}

QWidget* TMainRankForm::CreateDashboard()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);

    auto* header = new QWidget;
    header->setObjectName(QStringLiteral("DashboardHeader"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setStyleSheet(
        QStringLiteral("#DashboardHeader { background: #eef3fa; border: 1px solid #b9cbe3; }"));
    auto* headerLayout = new QGridLayout(header);
    // Names are shown as typed, never as markup.
    m_currentProject = new QLabel;
    m_currentProject->setTextFormat(Qt::PlainText);
    m_currentProject->setObjectName(QStringLiteral("CurrentProjectLabel"));
    QFont big = m_currentProject->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    m_currentProject->setFont(big);
    m_lastSession = new QLabel;
    m_lastSession->setTextFormat(Qt::PlainText);
    m_lastSession->setObjectName(QStringLiteral("LastSessionLabel"));
    m_keyUrlLabel = new QLabel;
    m_keyUrlLabel->setTextFormat(Qt::PlainText);
    m_keyUrlLabel->setObjectName(QStringLiteral("KeyURLLabel"));
    m_description = new QLabel(NoHintText);
    m_description->setObjectName(QStringLiteral("DescriptionPanel"));
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_description->setMinimumWidth(240);
    headerLayout->addWidget(m_currentProject, 0, 0);
    headerLayout->addWidget(m_lastSession, 1, 0);
    headerLayout->addWidget(m_keyUrlLabel, 2, 0);
    headerLayout->addWidget(m_description, 0, 1, 3, 1);
    headerLayout->setColumnStretch(1, 1);
    layout->addWidget(header);

    auto* body = new QSplitter(Qt::Vertical);
    m_topTen = new TopTenCharts;
    m_topTen->setObjectName(QStringLiteral("TopTenCharts"));
    m_topTen->setStatusTip(QStringLiteral("Top 10: the Key URL's best rank for each search term on the ten "
                                          "most popular search engines of the last "
                                          "session. Click a chart to list its terms below it."));
    connect(m_topTen, &TopTenCharts::chartClicked, this,
            [this] { SetPrintSelection(DashboardReport::Selection::TopTen); });
    body->addWidget(m_topTen);

    auto* lower = new QSplitter(Qt::Horizontal);
    lower->addWidget(m_topTen->tablePanel());
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_printCaption = new QLabel(DashboardReport::caption(DashboardReport::Selection::None));
    m_printCaption->setObjectName(QStringLiteral("PrintCaption"));
    QFont bold = m_printCaption->font();
    bold.setBold(true);
    m_printCaption->setFont(bold);
    rightLayout->addWidget(m_printCaption);
    m_panels = new QStackedWidget;
    m_sessionInfo = new QTextBrowser;
    m_sessionInfo->setObjectName(QStringLiteral("SessionInfoBrowser"));
    m_sessionInfo->setOpenLinks(true);
    m_sessionInfo->setStatusTip(QStringLiteral(
        "Session Info: recent script updates and the items of the last session that had no activity."));
    m_firstPage =
        makeList(QStringLiteral("FirstPageList"),
                 {QStringLiteral("Search Engine"), QStringLiteral("Search Term"), QStringLiteral("Rank")},
                 QStringLiteral("1st Page List: every term for which the Key URL ranks on the first page."));
    m_newArrivals = makeList(QStringLiteral("NewArrivalsList"),
                             {QStringLiteral("Search Engine"), QStringLiteral("Search Term"),
                              QStringLiteral("Rank"), QStringLiteral("Page")},
                             QStringLiteral("New Arrivals: places where the Key URL was found in the last "
                                            "session but not in the one before."));
    m_saturation =
        makeList(QStringLiteral("SaturationList"), {QStringLiteral("Search Engine"), QStringLiteral("Rank")},
                 QStringLiteral("Saturation: on how many search terms each engine found the Key URL."));
    for (QWidget* panel :
         std::initializer_list<QWidget*>{m_sessionInfo, m_firstPage, m_newArrivals, m_saturation}) {
        m_panels->addWidget(panel);
        panel->installEventFilter(this);
        if (auto* view = qobject_cast<QAbstractScrollArea*>(panel))
            view->viewport()->installEventFilter(this);
    }
    rightLayout->addWidget(m_panels, 1);
    lower->addWidget(right);
    lower->setStretchFactor(0, 1);
    lower->setStretchFactor(1, 1);
    body->addWidget(lower);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 2);
    body->setSizes({600, 400}); // charts three fifths, tables two fifths
    layout->addWidget(body, 1);
    return page;
}

void TMainRankForm::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    for (int panel = 0; panel < 6; ++panel) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addWidget(label, panel == 5 ? 1 : 0);
        m_statusPanels << label;
    }
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(240);
    m_progress->hide();
    bar->addPermanentWidget(m_progress);
    bar->installEventFilter(this);
    for (QLabel* label : std::as_const(m_statusPanels))
        label->installEventFilter(this);
}

QAction* TMainRankForm::command(const QString& objectName) const
{
    for (QAction* action : m_commands)
        if (action->objectName() == objectName)
            return action;
    return findChild<QAction*>(objectName);
}

// ------------------------------------------------------------ first showing

void TMainRankForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        QMetaObject::invokeMethod(this, &TMainRankForm::FormShow, Qt::QueuedConnection);
    }
}

void TMainRankForm::FormShow()
{
    m_dm.LoadSwitches();
    try {
        m_dm.OpenDatabases();
        // A project change cut short by a crash is completed before anything reads the tables.
        ProjectCascade::resumePending(m_dm.General);
        BuildProjectList();
        SelectProject(QString());
        RefreshStatusBar();
        {
            const QSignalBlocker quiet(m_doNotLoad);
            m_doNotLoad->setChecked(m_dm.Settings.SummaryLoad);
        }
        if (m_dm.Settings.Hints != -1)
            Hints1Click();
        if (!m_dm.SE3.tableExists(QStringLiteral("SE3"))) {
            const MessageAnswer answer = m_dm.ShowMessageBox(
                MessageButtons::OkCancel, QStringLiteral("Warning"),
                QStringLiteral(
                    "<P align=\"center\"><B>Corvane will need search engine scripts to continue.</B><BR>"
                    "Click OK to download them with the Remote Script Update.<BR>"
                    "The menu stays disabled until scripts are added.</P>"),
                true, {});
            if (answer == MessageAnswer::Ok)
                LibraryCalls(m_dm, qApp).RunRemoteUpdate(true, true);
            SetCommandsEnabled(answer == MessageAnswer::Ok);
        }
        if (m_projectBox->count() == 0) {
            const MessageAnswer answer = m_dm.ShowMessageBox(
                MessageButtons::YesNo, QString(),
                QStringLiteral("No projects have been created.<br>Do you wish to create one now?"), true, {});
            if (answer == MessageAnswer::Yes)
                ProjectWizard1Click();
        }
    } catch (const DatabaseError& e) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), e.message().toHtmlEscaped(), true,
                            {});
    }
    showPanel(m_panelButtons->checkedId());
    menuBar()->setVisible(!m_dm.Settings.HideMainMenu);
    const QSignalBlocker quiet(m_showMenu);
    m_showMenu->setChecked(!m_dm.Settings.HideMainMenu);
}

void TMainRankForm::BuildProjectList()
{
    const QList<QAction*> old = m_projectGroup->actions();
    for (QAction* action : old) {
        if (action != m_allProjects) {
            m_projectGroup->removeAction(action);
            delete action;
        }
    }
    m_projectBox->clear();
    Table& projects = m_dm.GroupTable;
    projects.open();
    for (projects.first(); !projects.eof(); projects.next()) {
        const QString name = projects.asString(QStringLiteral("Name"));
        // The menu shows the name as it is: "&" would otherwise mark an accelerator,
        // a tab would start the shortcut column and a line break would end the entry.
        QString text = QString(name).replace(u'&', QLatin1String("&&"));
        for (QChar& c : text)
            if (c == u'\t' || c == u'\n' || c == u'\r')
                c = u' ';
        QAction* item = m_openProjectMenu->addAction(text);
        item->setData(name);
        item->setCheckable(true);
        m_projectGroup->addAction(item);
        m_projectBox->addItem(name);
    }
}

void TMainRankForm::ProjectMenuTriggered(QAction* action) { SelectProject(action->data().toString()); }

void TMainRankForm::ComboBox1Change(int index) { SelectProject(m_projectBox->itemText(index)); }

void TMainRankForm::SelectProject(const QString& name)
{
    QString project = name.isEmpty() ? m_dm.Settings.Project : name;
    const bool known = project == m_allProjects->data().toString() || m_projectBox->findText(project) >= 0;
    if (!known)
        project = m_projectBox->count() > 0 ? m_projectBox->itemText(0) : QString();
    m_openProjectMenu->setEnabled(m_projectBox->count() > 0);

    const QList<QAction*> items = m_projectGroup->actions();
    for (QAction* item : items)
        item->setChecked(item->data().toString() == project);
    m_dm.Settings.Project =
        m_dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("Project"), project);
    m_projectBox->setCurrentIndex(m_projectBox->findText(project));

    m_lastRun = QDate();
    m_dm.Settings.LastRun = 0.0;
    m_keyUrl.clear();
    Table& projects = m_dm.GroupTable;
    projects.open();
    if (!project.isEmpty() && projects.findKey({project})) {
        const QDateTime lastRun = projects.value(QStringLiteral("LastRun")).toDateTime();
        if (lastRun.isValid() && FieldCodec::toDayCount(lastRun) >= 1.0) {
            m_lastRun = lastRun.date();
            // The settings record carries it for the settings dialog's "Last Run".
            m_dm.Settings.LastRun = FieldCodec::toDayCount(lastRun);
        }
        m_keyUrl = projects.asString(QStringLiteral("KeyURL"));
    }

    RefreshStatusBar();
    setWindowTitle(QStringLiteral("Corvane - Project ") + project);
    m_currentProject->setText(QStringLiteral("Current Project: ") + project);
    m_lastSession->setText(m_lastRun.isValid() ? QStringLiteral("Last Mining Session: ")
                                   + QLocale().toString(m_lastRun, QLocale::ShortFormat)
                                               : QStringLiteral("No Mining Sessions have been run"));
    m_keyUrlLabel->setText(m_keyUrl.isEmpty() ? QStringLiteral("No Key URL defined")
                                              : QStringLiteral("Key URL: ") + m_keyUrl);

    FillChartBox(project);

    if (m_keyUrl.isEmpty() && m_autoLoad && m_projectBox->count() > 0)
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("No Key URL"),
            QStringLiteral("<P align=\"center\">Since no Key URL was defined <BR>in the Project Wizard, "
                           "only \"Session Info\" summary<BR>information will be displayed.<p>"),
            m_dm.MessageSwitch(QStringLiteral("NoURL")), QStringLiteral("NoURL"));
    if (project.isEmpty())
        m_topTen->clear();
    else if (m_autoLoad && m_shown)
        BuildDashboard();
}

void TMainRankForm::RefreshStatusBar()
{
    if (m_statusPanels.isEmpty())
        return;
    m_statusPanels[0]->setText(m_lastRun.isValid() ? QStringLiteral("Last Update: ")
                                       + QLocale().toString(m_lastRun, QLocale::ShortFormat)
                                                   : QStringLiteral("Last Update: NA"));
    ProjectCounts counts;
    if (m_dm.General.isConnected())
        counts = ProjectCounts::read(m_dm.General, m_dm.Settings.Project);
    m_statusPanels[1]->setText(QStringLiteral("Rank Records: ") + QString::number(counts.rankRecords));
    m_statusPanels[2]->setText(QStringLiteral("ST: ") + QString::number(counts.searchTerms));
    m_statusPanels[3]->setText(QStringLiteral("URL: ") + QString::number(counts.urls));
    m_statusPanels[4]->setText(QStringLiteral("SE: ") + QString::number(counts.engines));
    m_statusPanels[5]->setText(QStringLiteral("Total Data Directory Size: ")
                               + QString::number(folderSize(m_dm.Settings.DataFolder)));
}

void TMainRankForm::SetCommandsEnabled(bool enabled)
{
    for (QAction* action : std::as_const(m_commands))
        action->setEnabled(enabled);
    m_openProjectMenu->setEnabled(enabled && m_projectBox->count() > 0);
    m_projectBox->setEnabled(enabled);
    m_chartBox->setEnabled(enabled);
}

// ------------------------------------------------------------ dashboard

void TMainRankForm::BuildDashboard(int chartRevealPauseMs)
{
    if (m_builder)
        return;
    auto queries = std::make_shared<DashboardData>(m_dm.General, m_dm.Settings.Project, m_lastRun);
    m_builder = new HVThread(this);
    SetCommandsEnabled(false);
    m_builder->addStep([this] {
        m_progress->setValue(0);
        m_progress->show();
        m_topTen->clear();
        m_topEngines.clear();
        // read only, so that a data folder that may only be read still shows its dashboard
        m_topTen->setDesign(ChartDesignStore(m_dm.General)
                                .load(m_dm.Settings.Project, QStringLiteral("Top10"))
                                .value_or(ChartDesign::defaultsFor(ChartKind::Top10)));
    });
    auto engines = std::make_shared<QList<TopEngine>>();
    m_builder->addStep([queries, engines] { *engines = queries->topEngines(); });
    for (int slot = 0; slot < TopTenCharts::Count; ++slot) {
        m_builder->addStep([this, queries, engines, slot] {
            const TopEngine engine = slot < engines->size() ? engines->at(slot) : TopEngine{};
            const QList<SummaryRow> rows =
                queries->topSlot(engine.name, [this](int percent) { m_progress->setValue(percent / 2); });
            m_topTen->setSlot(slot, DashboardQueries::chartTitle(slot, engine.name, engine.points),
                              engine.name, rows);
            m_topEngines << engine.name;
            m_progress->setValue(52 + 2 * slot);
        });
    }
    m_builder->addStep([this] { m_topTen->selectChart(0); });
    for (int slot = 0; slot < TopTenCharts::Count; ++slot)
        m_builder->addStep([this, slot] { m_topTen->revealSlot(slot); }, chartRevealPauseMs);
    m_builder->addStep([this] {
        if (!m_topTen->saveImages(m_dm.Settings.ExeFolder))
            ReportWriteFailure(QStringLiteral("The Top 10 pictures (Top10_1.jpg to Top10_10.jpg)"),
                               m_dm.Settings.ExeFolder, {});
    });
    m_builder->addStep([this, queries] {
        FillList(m_firstPage, queries->firstPage(), true, false);
        m_progress->setValue(77);
    });
    m_builder->addStep([this, queries] {
        FillList(m_newArrivals, queries->newArrivals(), true, true);
        m_progress->setValue(85);
    });
    m_builder->addStep([this, queries] {
        FillList(m_saturation, queries->saturation(), false, false);
        m_progress->setValue(92);
    });
    m_builder->addStep([this, queries] {
        const QStringList failed = ensureSessionImages(m_dm.Settings.ExeFolder);
        if (!failed.isEmpty())
            ReportWriteFailure(QStringLiteral("The session page's pictures"), m_dm.Settings.ExeFolder,
                               failed.join(QStringLiteral(", ")));
        ShowSessionInfo(SessionInfoPage::html(m_dm.Settings.ExeFolder, queries->scriptUpdates(),
                                              queries->optimizationNotes()));
        m_progress->setValue(100);
    });
    connect(m_builder, &HVThread::finished, this, [this] {
        m_builder = nullptr;
        m_progress->hide();
        SetCommandsEnabled(true);
    });
    m_builder->start();
}

void TMainRankForm::FillList(QTableWidget* table, const QList<SummaryRow>& rows, bool withTerm, bool withPage)
{
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        int column = 0;
        table->setItem(r, column++, new QTableWidgetItem(rows.at(r).engine));
        if (withTerm)
            table->setItem(r, column++, new QTableWidgetItem(rows.at(r).term));
        auto* rank = new QTableWidgetItem(QString::number(rows.at(r).rank));
        rank->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(r, column++, rank);
        if (withPage) {
            auto* page = new QTableWidgetItem(QString::number(rows.at(r).page));
            page->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, column++, page);
        }
    }
}

void TMainRankForm::ShowSessionInfo(const QString& html)
{
    const QString path = m_dm.Settings.ExeFolder + QStringLiteral("SessionInfo.html");
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(html.toUtf8()) >= 0 && file.commit();
    m_sessionInfo->clear();
    m_sessionInfo->setSearchPaths({m_dm.Settings.ExeFolder});
    if (!written) {
        // The page as built, never an older file left on disk.
        m_sessionInfo->setHtml(html);
        ReportWriteFailure(QStringLiteral("SessionInfo.html"), m_dm.Settings.ExeFolder, file.errorString());
        return;
    }
    m_sessionInfo->setSource(QUrl::fromLocalFile(path));
    m_sessionInfo->reload();
}

void TMainRankForm::ReportWriteFailure(const QString& what, const QString& folder, const QString& reason)
{
    QString text = QStringLiteral("<P ALIGN=\"CENTER\">") + what.toHtmlEscaped()
        + QStringLiteral(" could not be written in ") + folder.toHtmlEscaped();
    if (!reason.isEmpty())
        text += QStringLiteral(":<BR>") + reason.toHtmlEscaped();
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), text + QStringLiteral("</P>"), true, {});
}

void TMainRankForm::showPanel(int panel)
{
    if (panel < 0)
        return;
    m_panels->setCurrentIndex(panel);
    if (QAbstractButton* radio = m_panelButtons->button(panel))
        radio->setChecked(true);
}

DashboardReport::Selection TMainRankForm::PanelSelection(const QWidget* widget) const
{
    using Selection = DashboardReport::Selection;
    for (const QWidget* w = widget; w && w != this; w = w->parentWidget()) {
        if (w == m_sessionInfo)
            return Selection::SessionInfo;
        if (w == m_firstPage)
            return Selection::FirstPage;
        if (w == m_newArrivals)
            return Selection::NewArrivals;
        if (w == m_saturation)
            return Selection::Saturation;
        if (w == m_topTen)
            return Selection::TopTen;
    }
    return Selection::None;
}

void TMainRankForm::FocusChanged(QWidget* now)
{
    // Print buttons and task bar items take no focus; any other control of
    // the window outside the panels clears the choice. A press of another
    // mouse button moves the focus too, but only the left one chooses.
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    if (buttons != Qt::NoButton && !(buttons & Qt::LeftButton))
        return;
    if (now && isAncestorOf(now))
        SetPrintSelection(PanelSelection(now));
}

void TMainRankForm::SetPrintSelection(DashboardReport::Selection selection)
{
    m_printSelection = selection;
    m_printCaption->setText(DashboardReport::caption(selection));
    const bool any = selection != DashboardReport::Selection::None;
    m_printButton->setEnabled(any);
    m_pageSetupButton->setEnabled(any);
    m_previewButton->setEnabled(any);
}

void TMainRankForm::RunReport(const char* entry)
{
    DashboardReport::Request request;
    request.selection = m_printSelection;
    request.project = m_dm.Settings.Project;
    request.date = m_lastRun.toString(Qt::ISODate);
    request.topEngines = m_topEngines;
    request.imageFolder = m_dm.Settings.ExeFolder;
    if (m_printSelection == DashboardReport::Selection::SessionInfo) {
        bool chosen = false;
        const QStringList parts{QStringLiteral("Recent Script Updates"),
                                QStringLiteral("Optimization Notes")};
        const QString part = QInputDialog::getItem(this, QStringLiteral("Session Info Selection"),
                                                   QStringLiteral("Print which part of the session page?"),
                                                   parts, 0, false, &chosen);
        if (!chosen)
            return;
        request.sessionPart = part == parts.first() ? DashboardReport::SessionPart::ScriptUpdates
                                                    : DashboardReport::SessionPart::OptimizationNotes;
    }
    const QString report = DashboardReport::fill(m_dm.General, request);
    if (report.isEmpty())
        return;
    LibraryCalls calls(m_dm, qApp);
    if (qstrcmp(entry, "_RunPrint") == 0)
        calls.RunPrint(request.project, report);
    else if (qstrcmp(entry, "_RunPreview") == 0)
        calls.RunPreview(request.project, report);
    else
        calls.RunReports(request.project, report);
}

// ------------------------------------------------------------ events

bool TMainRankForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_description->setText(tip.isEmpty() ? NoHintText : tip);
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainRankForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick
        && (watched == statusBar() || m_statusPanels.contains(qobject_cast<QLabel*>(watched)))) {
        RefreshStatusBar();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // A left click anywhere over a panel selects it for print.
        auto* widget = qobject_cast<QWidget*>(watched);
        const DashboardReport::Selection selection = PanelSelection(widget);
        if (selection != DashboardReport::Selection::None) {
            widget->setFocus(Qt::MouseFocusReason);
            SetPrintSelection(selection);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainRankForm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F2:
        if (m_topTen->isAncestorOf(focusWidget()))
            TopTenStyles1Click();
        return;
    case Qt::Key_F9: {
        TNetSetForm settings(m_dm, this);
        settings.exec();
        return;
    }
    case Qt::Key_F10: ChangeDataFolder(); return;
    default: QMainWindow::keyPressEvent(event);
    }
}

void TMainRankForm::closeEvent(QCloseEvent* event)
{
    // Closing waits for the dashboard build: changing the window's flags to
    // grey its close button would recreate the native window on X11.
    if (m_builder) {
        event->ignore();
        return;
    }
    for (QAction* action : m_projectGroup->actions())
        if (action != m_allProjects)
            delete action;
    m_dm.CloseDatabases();
    QMainWindow::closeEvent(event);
}

// ------------------------------------------------------------ commands

void TMainRankForm::NotAvailable(const QString& tool)
{
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Not Available"),
                        QStringLiteral("<P align=\"center\"><B>") + tool.toHtmlEscaped()
                            + QStringLiteral("</B> is not available yet in this version of Corvane.</P>"),
                        true, {});
}

void TMainRankForm::ProjectWizard1Click()
{
    bool created = false;
    GuardedTool::Run(m_dm, QLatin1String(GuardedTool::ProjectWizard), [this, &created] {
        TSetupWizardForm wizard(m_dm, this);
        wizard.exec();
        created = !wizard.createdProjects().isEmpty();
        // The wizard wrote through its own connection: read the projects again.
        m_dm.CloseDatasets();
        BuildProjectList();
        const QString current = m_dm.Settings.Project;
        SelectProject(m_projectBox->findText(current) >= 0 || m_projectBox->count() == 0
                          ? current
                          : m_projectBox->itemText(0));
        RefreshStatusBar();
    });
    if (created
        && m_dm.ShowMessageBox(
               MessageButtons::YesNo, QStringLiteral("Schedule"),
               QStringLiteral("<P align=\"center\">Would you like to schedule Harvester to run your "
                              "projects?</P>"),
               m_dm.MessageSwitch(QStringLiteral("ScheduleAfterWiz")), QStringLiteral("ScheduleAfterWiz"))
            == MessageAnswer::Yes)
        m_programs.StartScheduler();
}

void TMainRankForm::Refresh1Click() { BuildDashboard(); }
void TMainRankForm::Exit1Click() { close(); }
void TMainRankForm::TopTenStyles1Click()
{
    const int slot = std::max(m_topTen->selectedChart(), 0);
    TChartDesignerForm designer(m_dm, *m_topTen->chartView(slot), m_dm.Settings.Project,
                                QStringLiteral("Top10"), ChartKind::Top10, this);
    designer.onTop10Closed = [this](const ChartDesign& design) { m_topTen->setDesign(design); };
    designer.exec();
}
void TMainRankForm::MiscSettings1Click() { TMiscSettingsForm(m_dm, this).exec(); }
void TMainRankForm::ScheduleHarvester1Click() { m_programs.StartScheduler(); }
void TMainRankForm::Notification1Click() { LibraryCalls(m_dm, qApp).RunNotification(); }
void TMainRankForm::SearchEngineAPI1Click() { LibraryCalls(m_dm, qApp).RunSEAPI(); }

void TMainRankForm::Harvester1Click()
{
    m_programs.StartHarvester();
    RefreshStatusBar();
}

void TMainRankForm::DuvudaDuvedozo1Click()
{
    GuardedTool::Run(m_dm, QLatin1String(GuardedTool::DuvudaDuvedozo), [this] {
        TDuvudaDuvedozoForm form(m_dm, this);
        form.exec();
    });
}

void TMainRankForm::RurederOrad1Click()
{
    GuardedTool::Run(m_dm, QLatin1String(GuardedTool::RurederOrad), [this] {
        TSTMixForm form(m_dm, this);
        form.exec();
    });
}

void TMainRankForm::FillChartBox(const QString& project)
{
    const QString chosen = m_chartBox->currentText();
    m_chartBox->clear();
    Table& charts = m_dm.SQLTeeTable;
    charts.open();
    for (charts.first(); !charts.eof(); charts.next()) {
        const QString file = charts.asString(QStringLiteral("File"));
        if (charts.asString(QStringLiteral("Project")) == project && ChartNames::isSavedChart(file))
            m_chartBox->addItem(file);
    }
    const int again = m_chartBox->findText(chosen, Qt::MatchExactly);
    if (again >= 0)
        m_chartBox->setCurrentIndex(again);
}

void TMainRankForm::DetailChart1Click()
{
    TDetailChartForm form(m_dm, this);
    form.Open(m_projectBox->currentText(), m_chartBox->currentText());
    form.exec();
    // the chart tools may have added charts
    FillChartBox(m_projectBox->currentText());
}

void TMainRankForm::DailyResults1Click() { LibraryCalls(m_dm, qApp).RunCVDaily(m_projectBox->currentText()); }
void TMainRankForm::GainsLosses1Click()
{
    TGandLForm form(m_dm, this);
    form.Open(m_projectBox->currentText());
    form.exec();
}

void TMainRankForm::Scores1Click()
{
    TScoresForm form(m_dm, this);
    form.Open(m_projectBox->currentText());
    form.exec();
}
void TMainRankForm::FullURL1Click()
{
    TFullURLForm form(m_dm, this);
    form.exec();
}

void TMainRankForm::DayGlance1Click()
{
    TDayGlanceForm form(m_dm, this);
    form.exec();
}
void TMainRankForm::DataQuery1Click()
{
    // The query window opens with its builder, since it has nothing to show yet.
    TGridForm grid(m_dm, this);
    QTimer::singleShot(0, &grid, &TGridForm::CreateQuery1Click);
    grid.exec();
}

void TMainRankForm::SearchEngines1Click()
{
    TSEPopForm form(m_dm, this);
    form.exec();
}

void TMainRankForm::LogFile1Click()
{
    TLogForm form(m_dm, this);
    form.exec();
}
void TMainRankForm::TableRepair1Click() { RunTableRepair(); }

void TMainRankForm::RemoteScriptUpdate1Click()
{
    GuardedTool::Run(m_dm, QLatin1String(GuardedTool::RemoteScriptUpdate),
                     [this] { LibraryCalls(m_dm, qApp).RunRemoteUpdate(false, true); });
}

void TMainRankForm::Backup1Click()
{
    GuardedTool::Run(m_dm, QLatin1String(GuardedTool::Backup),
                     [this] { LibraryCalls(m_dm, qApp).RunBackup(); });
}

void TMainRankForm::ScriptCheck1Click()
{
    TScriptCheckForm form(m_dm, this);
    form.exec();
}
void TMainRankForm::Contents1Click() { HelpForm::showContents(this); }
void TMainRankForm::Hints1Click() { LibraryCalls(m_dm, qApp).RunHints(); }
void TMainRankForm::ShowMessages1Click() { m_dm.EnableAllMessages(); }

void TMainRankForm::RunTableRepair()
{
    if (!GuardedTool::MayOpen(m_dm, QLatin1String(GuardedTool::TableRepair))
        || !m_programs.CheckProgram(QLatin1String(OutsidePrograms::Repair)))
        return;
    showMinimized();
    m_dm.CloseDatasets();
    SetCommandsEnabled(false);
    centralWidget()->setEnabled(false);
    m_programs.StartRepair();
    m_repairWatch.start();
}

void TMainRankForm::RepairEnded()
{
    centralWidget()->setEnabled(true);
    SetCommandsEnabled(true);
    showNormal();
}

// F10: the data folder may change; everything is read again from the new one.
void TMainRankForm::ChangeDataFolder()
{
    LibraryCalls(m_dm, qApp).RunDirectoryChanger();
    m_dm.CloseDatabases();
    m_dm.LoadSettings();
    m_dm.OpenDatabases();
    BuildProjectList();
    SelectProject(QString());
}

void TMainRankForm::About1Click()
{
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("About Corvane"),
                        QStringLiteral("<P align=\"center\"><B>Corvane</B> ")
                            + QCoreApplication::applicationVersion()
                            + QStringLiteral("<BR>Search engine rank tracking for your projects.<BR>"
                                             "Data folder: ")
                            + m_dm.Settings.DataFolder.toHtmlEscaped() + QStringLiteral("</P>"),
                        true, {});
}

void TMainRankForm::Copy1Click()
{
    auto* table = qobject_cast<QTableWidget*>(focusWidget());
    if (!table)
        return;
    QStringList lines;
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->horizontalHeaderItem(c)->text();
    lines << headers.join(QLatin1Char('\t'));
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
        lines << cells.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void TMainRankForm::Print1Click() { RunReport("_RunPrint"); }
void TMainRankForm::PageSetup1Click() { RunReport("_RunReports"); }
void TMainRankForm::Preview1Click() { RunReport("_RunPreview"); }

void TMainRankForm::DoNotLoadClick(bool checked)
{
    m_dm.Settings.SummaryLoad = checked;
    m_dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("SummaryLoad"),
                      checked ? QStringLiteral("true") : QStringLiteral("false"));
}

void TMainRankForm::ShowTraditionalMenuClick(bool checked)
{
    menuBar()->setVisible(checked);
    m_dm.Settings.HideMainMenu = !checked;
    m_dm.WriteSetting(QStringLiteral("Startup Settings"), QStringLiteral("HideMainMenu"),
                      checked ? QStringLiteral("false") : QStringLiteral("true"));
}

} // namespace corvane
