#include "gui/projects/SetupWizardForm.h"

#include "core/data/DatabaseError.h"
#include "core/data/SqlQuote.h"
#include "core/datamodule/DM1.h"
#include "core/engine/PageFetcher.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/projects/AddItems.h"
#include "core/projects/ProjectCascade.h"
#include "core/projects/ProjectRules.h"
#include "core/settings/Settings.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

QString q(const QString& value) { return SqlQuote::quoted(value, QLatin1Char('"')); }

QPushButton* button(const QString& text, QWidget* parent = nullptr)
{
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

// Keeps the hourglass up while a cascade or a batch of changes runs.
struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

const char* const FilterSections[][2] = {{"Country", "Country"},
                                         {"Group", "Group1"},
                                         {"Type", "Group2"},
                                         {"Locality", "Group3"},
                                         {"Engine", "Group4"}};

} // namespace

TSetupWizardForm::TSetupWizardForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::SetupWizardForm, HelpContexts::ProjectWizard, parent)
    , m_session(QStringLiteral("DBSession1"))
    , m_db(QStringLiteral("WizDatabase"), &m_session)
    , m_store(m_db)
    , m_projectQuery(&m_db)
    , m_inactiveQuery(&m_db)
    , m_activeQuery(&m_db)
    , m_urlQuery(&m_db)
    , m_termQuery(&m_db)
    , m_summaryEngines(&m_db)
    , m_summaryUrls(&m_db)
    , m_summaryTerms(&m_db)
    , m_projectModel(new DatasetModel(this))
    , m_inactiveModel(new DatasetModel(this))
    , m_activeModel(new DatasetModel(this))
    , m_urlModel(new DatasetModel(this))
    , m_termModel(new DatasetModel(this))
    , m_summaryEngineModel(new DatasetModel(this))
    , m_summaryUrlModel(new DatasetModel(this))
    , m_summaryTermModel(new DatasetModel(this))
{
    setWindowTitle(QStringLiteral("Project Wizard"));
    m_session.addPassword(TDM1::TablePassword());
    m_apiEnabled = m_dm.registry().readString(SettingsKeys::path(QStringLiteral("Network")),
                                              QStringLiteral("GoogleKeyEnabled"))
        == QLatin1String("true");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addWidget(createHeader());
    m_pages = new QStackedWidget;
    m_pages->addWidget(createProjectsPage());
    m_pages->addWidget(createEnginesPage());
    m_pages->addWidget(createUrlsPage());
    m_pages->addWidget(createTermsPage());
    layout->addWidget(m_pages, 1);
    m_status = new QStatusBar;
    m_status->setSizeGripEnabled(false);
    layout->addWidget(m_status);
    // The wizard's hint display: the hint of the control under the mouse in the status bar.
    for (QWidget* child : findChildren<QWidget*>())
        if (child->statusTip().isEmpty() && !child->toolTip().isEmpty())
            child->setStatusTip(child->toolTip());

    resize(900, 620);
    restorePlacement();

    openTables();
    selectProject(m_dm.Settings.Project);
    buildFilters();
    refreshInactive();
    m_projectGrid->setFocus();
}

TSetupWizardForm::~TSetupWizardForm()
{
    for (DatasetModel* model : {m_projectModel, m_inactiveModel, m_activeModel, m_urlModel, m_termModel,
                                m_summaryEngineModel, m_summaryUrlModel, m_summaryTermModel})
        model->setDataset(nullptr);
}

// ------------------------------------------------------------ layout

QTableView* TSetupWizardForm::createGrid(DatasetModel* model)
{
    auto* grid = new QTableView;
    OneLineNames::apply(*grid);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setAlternatingRowColors(true);
    return grid;
}

QHBoxLayout* TSetupWizardForm::editButtons(const std::array<QString, 4>& texts,
                                           const std::array<std::function<void()>, 4>& actions)
{
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = button(texts[i]);
        connect(b, &QPushButton::clicked, this, actions[i]);
        buttons->addWidget(b);
    }
    return buttons;
}

QWidget* TSetupWizardForm::createHeader()
{
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    m_pageButtons = new QButtonGroup(this);
    const char* names[] = {"Projects", "Engines", "URLs", "Terms"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton;
        b->setText(QLatin1String(names[i]));
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setMinimumWidth(80);
        m_pageButtons->addButton(b, i);
        row->addWidget(b);
    }
    m_pageButtons->button(0)->setChecked(true);
    connect(m_pageButtons, &QButtonGroup::idClicked, this, &TSetupWizardForm::showPage);
    auto* back = new QToolButton;
    back->setArrowType(Qt::LeftArrow);
    back->setToolTip(QStringLiteral("Retreat to prior step."));
    auto* forward = new QToolButton;
    forward->setArrowType(Qt::RightArrow);
    forward->setToolTip(QStringLiteral("Advance to next step."));
    connect(back, &QToolButton::clicked, this, [this] { showPage(qMax(0, currentPage() - 1)); });
    connect(forward, &QToolButton::clicked, this, [this] { showPage(qMin(3, currentPage() + 1)); });
    row->addSpacing(12);
    row->addWidget(back);
    row->addWidget(forward);
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("Selected Project:")));
    m_projectLabel = new QLabel;
    m_projectLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_projectLabel->font();
    bold.setBold(true);
    m_projectLabel->setFont(bold);
    m_projectLabel->setMinimumWidth(160);
    row->addWidget(m_projectLabel);
    auto* previous = new QToolButton;
    previous->setArrowType(Qt::UpArrow);
    previous->setToolTip(QStringLiteral("Previous Project"));
    auto* next = new QToolButton;
    next->setArrowType(Qt::DownArrow);
    next->setToolTip(QStringLiteral("Next Project"));
    auto step = [this](int by) {
        const QStringList all = m_store.projects();
        const int at = int(all.indexOf(m_project));
        if (!all.isEmpty())
            selectProject(all.at(qBound(0, at + by, int(all.size()) - 1)));
    };
    connect(previous, &QToolButton::clicked, this, [step] { step(-1); });
    connect(next, &QToolButton::clicked, this, [step] { step(1); });
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(createHelpButton());
    return header;
}

QWidget* TSetupWizardForm::createProjectsPage()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    m_projectModel->setCaption(QStringLiteral("Name"), QStringLiteral("Project Name"));
    m_projectModel->setCaption(QStringLiteral("KeyURL"), QStringLiteral("Key URL"));
    m_projectGrid = createGrid(m_projectModel);
    left->addWidget(m_projectGrid, 1);
    connect(m_projectGrid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (m_projectMode == Mode::Browse)
            selectProject(gridValue(m_projectGrid, 0, index.row()));
    });

    auto* form = new QFormLayout;
    m_projectName = new QLineEdit;
    m_projectName->setMaxLength(ProjectRules::MaxProjectName);
    m_projectName->installEventFilter(this);
    m_nameNote = new QLabel;
    m_nameNote->setStyleSheet(QStringLiteral("color: #b00000"));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_projectName, 1);
    nameRow->addWidget(m_nameNote);
    form->addRow(QStringLiteral("Project Name"), nameRow);
    m_depth = new QSpinBox;
    m_depth->setRange(1, 9999);
    m_depth->setSingleStep(5);
    m_depth->setValue(ProjectRules::DefaultDepth);
    form->addRow(QStringLiteral("Search Depth"), m_depth);
    m_fullUrl = new QCheckBox(QStringLiteral("Full URL Data"));
    m_bypass = new QCheckBox(QStringLiteral("Bypass on Hits"));
    form->addRow(QString(), m_fullUrl);
    form->addRow(QString(), m_bypass);
    for (QWidget* w : std::initializer_list<QWidget*>{m_depth, m_fullUrl, m_bypass})
        w->installEventFilter(this);
    connect(m_depth, &QSpinBox::valueChanged, this, [this] { startProjectEdit(); });
    connect(m_fullUrl, &QCheckBox::toggled, this, [this] { startProjectEdit(); });
    connect(m_bypass, &QCheckBox::toggled, this, [this](bool on) {
        startProjectEdit();
        if (on && !m_closing)
            m_dm.ShowMessageBox(
                MessageButtons::Ok, QStringLiteral("Warning"),
                QStringLiteral(
                    "<P align=\"center\"><B>Practice caution when using Bypass On Hits.</B><BR>The first "
                    "hit found will discontinue the current Search Term scan regardless of other URLs "
                    "that might be found on subsequent Search Engine pages.<BR>If in doubt, leave this "
                    "option unchecked.</P>"),
                m_dm.MessageSwitch(QStringLiteral("BypassOnHits")), QStringLiteral("BypassOnHits"));
    });
    left->addLayout(form);
    QHBoxLayout* buttons =
        editButtons({QStringLiteral("Add new project."), QStringLiteral("Delete selected project."),
                     QStringLiteral("Save new or changed project."), QStringLiteral("Cancel last change.")},
                    {[this] { AddProjectClick(); }, [this] { DeleteProjectClick(); },
                     [this] { SaveProjectClick(); }, [this] { CancelProjectClick(); }});
    left->addLayout(buttons);
    layout->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    for (auto [model, title] :
         {std::pair{m_summaryEngineModel, "Search Engines"}, std::pair{m_summaryUrlModel, "URLs"},
          std::pair{m_summaryTermModel, "Search Terms"}}) {
        right->addWidget(new QLabel(QLatin1String(title)));
        auto* grid = createGrid(model);
        grid->horizontalHeader()->hide();
        grid->setFocusPolicy(Qt::NoFocus);
        right->addWidget(grid, 1);
    }
    layout->addLayout(right, 2);
    return page;
}

QWidget* TSetupWizardForm::createEnginesPage()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* grids = new QVBoxLayout;
    grids->addWidget(new QLabel(QStringLiteral("Inactive Search Engines")));
    for (DatasetModel* model : {m_inactiveModel, m_activeModel}) {
        model->setCaption(QStringLiteral("Popularity"), QStringLiteral("Points"));
        model->setCaption(QStringLiteral("Group1"), QStringLiteral("Group"));
        model->setCaption(QStringLiteral("Group2"), QStringLiteral("Type"));
        model->setCaption(QStringLiteral("Group3"), QStringLiteral("Locality"));
        model->setCaption(QStringLiteral("Group4"), QStringLiteral("Engine"));
        model->setCaption(QStringLiteral("API"), QStringLiteral("Use API"));
    }
    m_urlModel->setCaption(QStringLiteral("AnyMatch"), QStringLiteral("Any Match"));
    m_termModel->setCaption(QStringLiteral("Virtual"), QStringLiteral("Search Term"));
    m_inactiveGrid = createGrid(m_inactiveModel);
    m_inactiveGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grids->addWidget(m_inactiveGrid, 1);
    auto* moves = new QHBoxLayout;
    auto* activate = button(QStringLiteral("Activate"));
    activate->setToolTip(QStringLiteral("Activate the above selected Search Engine."));
    auto* deactivate = button(QStringLiteral("Deactivate"));
    deactivate->setToolTip(QStringLiteral("Deactivate Search Engine selected below."));
    moves->addStretch();
    moves->addWidget(activate);
    moves->addWidget(deactivate);
    moves->addStretch();
    grids->addLayout(moves);
    grids->addWidget(new QLabel(QStringLiteral("Active Search Engines")));
    m_activeGrid = createGrid(m_activeModel);
    m_activeGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grids->addWidget(m_activeGrid, 1);
    connect(activate, &QPushButton::clicked, this, &TSetupWizardForm::ActivateClick);
    connect(deactivate, &QPushButton::clicked, this, &TSetupWizardForm::DeactivateClick);
    connect(m_inactiveGrid, &QTableView::doubleClicked, this, &TSetupWizardForm::ActivateClick);
    connect(m_activeGrid, &QTableView::doubleClicked, this, &TSetupWizardForm::DeactivateClick);
    connect(m_inactiveGrid, &QTableView::clicked, this, &TSetupWizardForm::showEngineDetails);
    connect(m_activeGrid, &QTableView::clicked, this, &TSetupWizardForm::showEngineDetails);
    layout->addLayout(grids, 3);

    auto* side = new QVBoxLayout;
    m_filters = new QTreeWidget;
    m_filters->setHeaderHidden(true);
    connect(m_filters, &QTreeWidget::itemChanged, this, [this] {
        readFilters();
        refreshInactive();
    });
    side->addWidget(m_filters, 2);
    auto* connectors = new QHBoxLayout;
    m_and = new QRadioButton(QStringLiteral("AND"));
    m_or = new QRadioButton(QStringLiteral("OR"));
    m_and->setChecked(true);
    connect(m_or, &QRadioButton::toggled, this, [this] {
        readFilters();
        refreshInactive();
    });
    auto* showAll = button(QStringLiteral("Show All Engines"));
    connect(showAll, &QPushButton::clicked, this, &TSetupWizardForm::ShowAllEnginesClick);
    connectors->addWidget(m_and);
    connectors->addWidget(m_or);
    connectors->addStretch();
    connectors->addWidget(showAll);
    side->addLayout(connectors);
    side->addWidget(new QLabel(QStringLiteral("Filter Effects Inactive Only")));

    auto* details = new QGroupBox(QStringLiteral("Save Point and Note Changes"));
    auto* form = new QFormLayout(details);
    m_engineDetails = new QLabel;
    m_engineDetails->setTextFormat(Qt::RichText);
    m_engineDetails->setWordWrap(true);
    form->addRow(m_engineDetails);
    m_points = new QSpinBox;
    m_points->setRange(0, 1000000);
    m_pointsNote = new QLineEdit;
    form->addRow(QStringLiteral("Points"), m_points);
    form->addRow(QStringLiteral("Note"), m_pointsNote);
    m_useApi = new QCheckBox(QStringLiteral("Use API"));
    form->addRow(QString(), m_useApi);
    connect(m_useApi, &QCheckBox::clicked, this, [this](bool on) {
        const QString engine = gridValue(m_activeGrid, 0);
        if (engine.isEmpty())
            return;
        Query set(&m_db,
                  QStringLiteral("UPDATE CVSE3 SET API = ") + QLatin1String(on ? "1" : "0")
                      + QStringLiteral(" WHERE Project = ") + q(m_project) + QStringLiteral(" AND Name = ")
                      + q(engine));
        set.execSql();
    });
    auto* pointButtons = new QHBoxLayout;
    auto* savePoints = button(QStringLiteral("Save"));
    savePoints->setToolTip(QStringLiteral("Save points and notes"));
    auto* cancelPoints = button(QStringLiteral("Cancel"));
    cancelPoints->setToolTip(QStringLiteral("Cancel changes to points and notes"));
    connect(savePoints, &QPushButton::clicked, this, &TSetupWizardForm::SavePointsClick);
    connect(cancelPoints, &QPushButton::clicked, this, &TSetupWizardForm::showEngineDetails);
    pointButtons->addWidget(savePoints);
    pointButtons->addWidget(cancelPoints);
    form->addRow(pointButtons);
    m_engineNotes = new QPlainTextEdit;
    m_engineNotes->setReadOnly(true);
    m_engineNotes->setMaximumHeight(70);
    form->addRow(m_engineNotes);
    side->addWidget(details, 3);
    layout->addLayout(side, 2);
    return page;
}

QWidget* TSetupWizardForm::createUrlsPage()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    m_urlGrid = createGrid(m_urlModel);
    connect(m_urlGrid, &QTableView::clicked, this, [this] {
        if (m_urlMode == Mode::Browse)
            showUrlRow();
    });
    left->addWidget(m_urlGrid, 1);
    auto* form = new QFormLayout;
    m_urlName = new QLineEdit;
    m_urlName->setMaxLength(ProjectRules::MaxUrlName);
    m_url = new QLineEdit;
    m_url->setMaxLength(ProjectRules::MaxUrl);
    m_anyMatch = new QCheckBox(QStringLiteral("Any Match"));
    for (QLineEdit* box : {m_urlName, m_url}) {
        box->installEventFilter(this);
        box->setAcceptDrops(true);
        connect(box, &QLineEdit::textEdited, this, [this] {
            if (m_urlMode == Mode::Browse) {
                m_urlMode = Mode::Edit;
                m_oldUrl = gridValue(m_urlGrid, 0);
                if (m_oldUrl.isEmpty())
                    m_urlMode = Mode::Insert;
            }
        });
    }
    form->addRow(QStringLiteral("Name"), m_urlName);
    form->addRow(QStringLiteral("URL"), m_url);
    form->addRow(QString(), m_anyMatch);
    m_keyUrl = new QComboBox;
    OneLineNames::apply(*m_keyUrl);
    connect(m_keyUrl, &QComboBox::activated, this,
            [this](int index) { KeyUrlChosen(m_keyUrl->itemText(index)); });
    form->addRow(QStringLiteral("Key URL"), m_keyUrl);
    left->addLayout(form);
    QHBoxLayout* buttons =
        editButtons({QStringLiteral("Add URL"), QStringLiteral("Delete URL"),
                     QStringLiteral("Save additions or changes"), QStringLiteral("Cancel changes")},
                    {[this] { AddUrlClick(); }, [this] { DeleteUrlClick(); }, [this] { SaveUrlClick(); },
                     [this] { CancelUrlClick(); }});
    left->addLayout(buttons);
    layout->addLayout(left, 3);

    auto* tags = new QVBoxLayout;
    auto* gather = button(QStringLiteral("Gather Keyword Tags"));
    connect(gather, &QPushButton::clicked, this, &TSetupWizardForm::GatherKeywordTagsClick);
    tags->addWidget(gather);
    m_foundTerms = new QListWidget;
    OneLineNames::apply(*m_foundTerms);
    m_foundTerms->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tags->addWidget(m_foundTerms, 1);
    auto* addTerms = button(QStringLiteral("Add to Search Terms"));
    connect(addTerms, &QPushButton::clicked, this, &TSetupWizardForm::AddToSearchTermsClick);
    tags->addWidget(addTerms);
    layout->addLayout(tags, 2);
    return page;
}

QWidget* TSetupWizardForm::createTermsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_termGrid = createGrid(m_termModel);
    m_termGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_termGrid, &QTableView::clicked, this, [this] {
        if (m_termMode == Mode::Browse)
            m_term->setText(gridValue(m_termGrid, 0));
    });
    layout->addWidget(m_termGrid, 1);
    auto* form = new QFormLayout;
    m_term = new QLineEdit;
    m_term->installEventFilter(this);
    m_term->setAcceptDrops(true);
    connect(m_term, &QLineEdit::textEdited, this, [this] {
        if (m_termMode == Mode::Browse) {
            m_oldTerm = gridValue(m_termGrid, 0);
            m_termMode = m_oldTerm.isEmpty() ? Mode::Insert : Mode::Edit;
        }
    });
    form->addRow(QStringLiteral("Search Term"), m_term);
    layout->addLayout(form);
    QHBoxLayout* buttons =
        editButtons({QStringLiteral("Add Search Term"), QStringLiteral("Delete selected Search Term"),
                     QStringLiteral("Save new or changed Search Term"), QStringLiteral("Cancel changes")},
                    {[this] { AddTermClick(); }, [this] { DeleteTermClick(); }, [this] { SaveTermClick(); },
                     [this] { CancelTermClick(); }});
    buttons->addStretch();
    layout->addLayout(buttons);
    return page;
}

// ------------------------------------------------------------ pages and data

void TSetupWizardForm::showPage(int page)
{
    m_pages->setCurrentIndex(page);
    if (QAbstractButton* b = m_pageButtons->button(page))
        b->setChecked(true);
}

int TSetupWizardForm::currentPage() const { return m_pages->currentIndex(); }

QString TSetupWizardForm::statusText() const { return m_status->currentMessage(); }

void TSetupWizardForm::setStatus(const QString& text)
{
    m_statusText = text;
    m_status->showMessage(text);
    m_status->repaint();
}

bool TSetupWizardForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        // Leaving a control brings the last status text back.
        if (m_hintsAttached) {
            const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
            m_status->showMessage(tip.isEmpty() ? m_statusText : tip);
        }
        return true;
    }
    return ToolWindow::event(event);
}

QString TSetupWizardForm::centred(const QString& text)
{
    return QStringLiteral("<P align=\"center\">") + text + QStringLiteral("</P>");
}

void TSetupWizardForm::error(const QString& text, QWidget* focus)
{
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(text.toHtmlEscaped()), true, {});
    if (focus)
        focus->setFocus();
}

void TSetupWizardForm::openTables()
{
    m_db.setDirectory(m_dm.Settings.DataFolder);
    m_db.connect();
    m_projectQuery.setSql(QStringLiteral("SELECT Name, Depth, KeyURL FROM CVProject ORDER BY Name"));
    refreshProjects();
}

void TSetupWizardForm::refreshProjects()
{
    m_projectQuery.close();
    m_projectQuery.open();
    m_projectModel->setDataset(&m_projectQuery);
    m_projectModel->reload();
}

void TSetupWizardForm::selectProject(const QString& name)
{
    const QStringList names = m_store.projects();
    m_project = names.contains(name) ? name : names.value(0);
    m_projectLabel->setText(m_project);
    selectGridRow(m_projectGrid, 0, m_project);
    showProjectRow();
    refreshItems();
    refreshInactive();
}

void TSetupWizardForm::showProjectRow()
{
    const QSignalBlocker b1(m_depth), b2(m_fullUrl), b3(m_bypass);
    m_projectMode = Mode::Browse;
    m_nameNote->clear();
    Table row(&m_db, QStringLiteral("CVProject"));
    row.open();
    if (!m_project.isEmpty() && row.locate({QStringLiteral("Name")}, {m_project})) {
        m_projectName->setText(m_project);
        m_depth->setValue(row.asInteger(QStringLiteral("Depth")));
        m_fullUrl->setChecked(row.asBoolean(QStringLiteral("FullURLData")));
        m_bypass->setChecked(row.asBoolean(QStringLiteral("StopOnHit")));
    } else {
        m_projectName->clear();
        m_depth->setValue(ProjectRules::DefaultDepth);
        m_fullUrl->setChecked(true);
        m_bypass->setChecked(false);
    }
}

void TSetupWizardForm::refreshItems()
{
    const QString where = QStringLiteral(" WHERE Project = ") + q(m_project);
    auto reopen = [](Query& query, DatasetModel* model, const QString& sql) {
        model->setDataset(nullptr);
        query.close();
        query.setSql(sql);
        query.open();
        model->setDataset(&query);
    };
    reopen(m_activeQuery, m_activeModel,
           QStringLiteral("SELECT Name, Popularity, Country, Group1, API FROM CVSE3") + where
               + QStringLiteral(" ORDER BY Name NOCASE"));
    reopen(m_urlQuery, m_urlModel,
           QStringLiteral("SELECT Name, URL, AnyMatch FROM CVURL") + where
               + QStringLiteral(" ORDER BY Name"));
    reopen(m_termQuery, m_termModel,
           QStringLiteral("SELECT Virtual FROM CVST") + where + QStringLiteral(" ORDER BY Virtual"));
    reopen(m_summaryEngines, m_summaryEngineModel,
           QStringLiteral("SELECT Name FROM CVSE3") + where + QStringLiteral(" ORDER BY Name NOCASE"));
    reopen(m_summaryUrls, m_summaryUrlModel,
           QStringLiteral("SELECT Name, URL FROM CVURL") + where + QStringLiteral(" ORDER BY Name"));
    reopen(m_summaryTerms, m_summaryTermModel,
           QStringLiteral("SELECT Virtual FROM CVST") + where + QStringLiteral(" ORDER BY Virtual"));
    m_activeGrid->resizeColumnsToContents();
    m_urlGrid->setColumnWidth(0, 150);
    m_urlGrid->setColumnWidth(1, 240);

    const QSignalBlocker quiet(m_keyUrl);
    m_keyUrl->clear();
    for (const ProjectStore::UrlRow& url : m_store.urls(m_project))
        m_keyUrl->addItem(url.name);
    m_keyUrl->setCurrentIndex(m_keyUrl->findText(m_store.keyUrl(m_project)));
    m_urlMode = Mode::Browse;
    m_termMode = Mode::Browse;
    showUrlRow();
    m_term->setText(gridValue(m_termGrid, 0, 0));
    if (m_termModel->rowCount() > 0)
        m_termGrid->selectRow(0);
}

void TSetupWizardForm::showUrlRow()
{
    if (m_urlGrid->selectionModel()->selectedRows().isEmpty() && m_urlModel->rowCount() > 0)
        m_urlGrid->selectRow(0);
    m_urlName->setText(gridValue(m_urlGrid, 0));
    m_url->setText(gridValue(m_urlGrid, 1));
    m_anyMatch->setChecked(gridValue(m_urlGrid, 2) == QLatin1String("true")
                           || gridValue(m_urlGrid, 2) == QLatin1String("1"));
}

QString TSetupWizardForm::gridValue(QTableView* grid, int column, int row) const
{
    if (row < 0) {
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return {};
        row = rows.first().row();
    }
    return grid->model()->index(row, column).data().toString();
}

QStringList TSetupWizardForm::selectedValues(QTableView* grid, int column) const
{
    QStringList values;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows(column))
        if (!values.contains(index.data().toString()))
            values << index.data().toString();
    return values;
}

void TSetupWizardForm::selectGridRow(QTableView* grid, int column, const QString& value)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, column).data().toString() == value) {
            grid->selectRow(row);
            return;
        }
}

CascadeEvents TSetupWizardForm::cascadeEvents()
{
    CascadeEvents events;
    events.status = [this](const QString& text, int percent) {
        setStatus(percent >= 0 && text != QLatin1String("Done")
                      ? text + QStringLiteral("  (%1%)").arg(percent)
                      : text);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    events.message = [this](const QString& title, const QString& html) {
        m_dm.ShowMessageBox(MessageButtons::Ok, title, html, true, {});
    };
    return events;
}

// ------------------------------------------------------------ projects

bool TSetupWizardForm::projectNameKey(QKeyEvent* key)
{
    const QString text = key->text();
    if (key->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        SaveProjectClick();
        return true;
    }
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    if (text.at(0).isSpace()) {
        m_nameNote->setText(QStringLiteral("Space character may not be used"));
        return true;
    }
    m_nameNote->clear();
    // The key becomes the name's first character when it goes in at the start.
    const bool first = m_projectName->hasSelectedText() ? m_projectName->selectionStart() == 0
                                                        : m_projectName->cursorPosition() == 0;
    if (first) {
        if (!text.at(0).isLetter()) {
            if (m_projectName->text().isEmpty())
                CancelProjectClick();
            m_nameNote->setText(QStringLiteral("Cannot start with a non-alpha character"));
            return true;
        }
        if (m_projectMode == Mode::Browse) {
            if (m_store.projects().isEmpty()) {
                // The first project starts with the defaults.
                m_projectMode = Mode::Insert;
                const QSignalBlocker b1(m_depth), b2(m_fullUrl), b3(m_bypass);
                m_depth->setValue(ProjectRules::DefaultDepth);
                m_fullUrl->setChecked(true);
                m_bypass->setChecked(false);
            } else {
                startProjectEdit();
            }
        }
    } else {
        startProjectEdit();
    }
    return false;
}

void TSetupWizardForm::startProjectEdit()
{
    if (m_projectMode != Mode::Browse || m_closing)
        return;
    if (m_project.isEmpty()) {
        m_projectMode = Mode::Insert;
        return;
    }
    m_oldProject = m_project;
    m_projectMode = Mode::Edit;
}

void TSetupWizardForm::AddProjectClick()
{
    m_projectMode = Mode::Insert;
    m_projectName->clear();
    m_nameNote->clear();
    const QSignalBlocker b1(m_depth), b2(m_fullUrl), b3(m_bypass);
    m_depth->setValue(ProjectRules::DefaultDepth);
    m_fullUrl->setChecked(false);
    m_bypass->setChecked(false);
    m_projectName->setFocus();
}

void TSetupWizardForm::CancelProjectClick()
{
    m_projectMode = Mode::Browse;
    showProjectRow();
}

bool TSetupWizardForm::SaveProjectClick()
{
    if (m_projectMode == Mode::Browse)
        return true;
    const QString name = m_projectName->text();
    if (name.isEmpty()) {
        error(QStringLiteral("Project name cannot be blank."), m_projectName);
        return false;
    }
    const QString problem = ProjectRules::projectNameProblem(name);
    if (!problem.isEmpty()) {
        error(problem, m_projectName);
        return false;
    }
    try {
        if (m_projectMode == Mode::Insert) {
            m_store.addProject(name, m_depth->value(), m_fullUrl->isChecked(), m_bypass->isChecked());
            m_created << name;
        } else {
            if (name != m_oldProject) {
                if (m_store.hasProject(name)) {
                    error(QStringLiteral("Duplicate project name found."), m_projectName);
                    return false;
                }
                const BusyCursor busy;
                ProjectCascade(m_db, cascadeEvents()).renameProject(m_oldProject, name);
                const qsizetype at = m_created.indexOf(m_oldProject);
                if (at >= 0)
                    m_created[at] = name;
            }
            m_store.updateProject(name, m_depth->value(), m_fullUrl->isChecked(), m_bypass->isChecked());
        }
    } catch (const ProjectRefusal& e) {
        error(e.message(), m_projectName);
        return false;
    } catch (const DatabaseError& e) {
        error(e.message(), m_projectName);
        return false;
    }
    m_projectMode = Mode::Browse;
    refreshProjects();
    selectProject(name);
    return true;
}

void TSetupWizardForm::DeleteProjectClick()
{
    if (m_project.isEmpty())
        return;
    const MessageAnswer answer = m_dm.ShowMessageBox(
        MessageButtons::YesNo, QStringLiteral("Warning"),
        QStringLiteral("<P align=\"center\">You are about to delete project <B>") + m_project.toHtmlEscaped()
            + QStringLiteral("</B> and all of its related data.<BR><BR>This deletion cannot be undone.</P>"),
        m_dm.MessageSwitch(QStringLiteral("DeleteProject")), QStringLiteral("DeleteProject"));
    if (answer != MessageAnswer::Yes && answer != MessageAnswer::None)
        return;
    const QString gone = m_project;
    const QStringList before = m_store.projects();
    {
        const BusyCursor busy;
        ProjectCascade(m_db, cascadeEvents()).deleteProject(gone);
    }
    m_created.removeAll(gone);
    const qsizetype at = before.indexOf(gone);
    const QStringList after = m_store.projects();
    refreshProjects();
    selectProject(after.value(qMin(at, after.size() - 1)));
    setStatus(QStringLiteral("Done"));
}

// ------------------------------------------------------------ engines

void TSetupWizardForm::buildFilters()
{
    const QSignalBlocker quiet(m_filters);
    m_filters->clear();
    for (const auto& section : FilterSections) {
        auto* top = new QTreeWidgetItem(m_filters, {QLatin1String(section[0])});
        auto* unfiltered = new QTreeWidgetItem(top, {QStringLiteral("Unfiltered")});
        unfiltered->setFlags(Qt::ItemIsEnabled);
        if (!m_db.tableExists(QStringLiteral("SE3")))
            continue;
        Query values(&m_db,
                     QStringLiteral("SELECT DISTINCT ") + QLatin1String(section[1])
                         + QStringLiteral(" AS V FROM SE3 ORDER BY V"));
        values.open();
        bool empty = false;
        const auto addValue = [top](const QString& text, bool noValue) {
            auto* item = new QTreeWidgetItem(top, {text});
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
            item->setData(0, Qt::UserRole, noValue);
        };
        for (values.first(); !values.eof(); values.next()) {
            const QString value = values.asString(QStringLiteral("V"));
            if (value.isEmpty())
                empty = true;
            else
                addValue(value, false);
        }
        // engines without a value can be picked too
        if (empty)
            addValue(QLatin1String(EngineFilter::NoValueEntry), true);
    }
    m_filters->expandAll();
}

void TSetupWizardForm::readFilters()
{
    QStringList* lists[] = {&m_filter.country, &m_filter.group, &m_filter.type, &m_filter.locality,
                            &m_filter.engine};
    for (int s = 0; s < m_filters->topLevelItemCount() && s < 5; ++s) {
        lists[s]->clear();
        QTreeWidgetItem* top = m_filters->topLevelItem(s);
        for (int i = 0; i < top->childCount(); ++i)
            if (top->child(i)->checkState(0) == Qt::Checked)
                *lists[s] << (top->child(i)->data(0, Qt::UserRole).toBool() ? QString()
                                                                            : top->child(i)->text(0));
    }
    m_filter.useAnd = !m_or->isChecked();
}

void TSetupWizardForm::ShowAllEnginesClick()
{
    {
        const QSignalBlocker quiet(m_filters);
        for (int s = 0; s < m_filters->topLevelItemCount(); ++s)
            for (int i = 0; i < m_filters->topLevelItem(s)->childCount(); ++i)
                if (m_filters->topLevelItem(s)->child(i)->flags() & Qt::ItemIsUserCheckable)
                    m_filters->topLevelItem(s)->child(i)->setCheckState(0, Qt::Unchecked);
    }
    readFilters();
    refreshInactive();
}

void TSetupWizardForm::refreshInactive()
{
    m_inactiveModel->setDataset(nullptr);
    m_inactiveQuery.close();
    if (!m_db.tableExists(QStringLiteral("SE3")))
        return;
    m_inactiveSql = ProjectStore::inactiveEngineSql(m_project, m_filter);
    m_inactiveQuery.setSql(m_inactiveSql);
    m_inactiveQuery.open();
    m_inactiveModel->setDataset(&m_inactiveQuery);
    // Name first, then the classification; the script columns stay out of sight.
    const QStringList shown{QStringLiteral("Name"),      QStringLiteral("Country"), QStringLiteral("Group1"),
                            QStringLiteral("Group2"),    QStringLiteral("Group3"),  QStringLiteral("Group4"),
                            QStringLiteral("Popularity")};
    const QList<FieldDef>& fields = m_inactiveQuery.fields();
    for (int c = 0; c < fields.size(); ++c)
        m_inactiveGrid->setColumnHidden(c, !shown.contains(fields.at(c).name));
    m_inactiveGrid->resizeColumnsToContents();
}

void TSetupWizardForm::ActivateClick()
{
    const QStringList names = selectedValues(m_inactiveGrid, 0);
    if (names.isEmpty() || m_project.isEmpty())
        return;
    const BusyCursor busy;
    setStatus(QStringLiteral("Working..."));
    int done = 0;
    for (const QString& name : names) {
        try {
            if (m_store.addEngine(m_project, name, m_apiEnabled))
                m_dm.ShowMessageBox(
                    MessageButtons::Ok, QStringLiteral("Note"),
                    QStringLiteral("<P align=\"center\"><BR>") + name.toHtmlEscaped()
                        + QStringLiteral("</BR> has special notes.<BR>Please read these notes before "
                                         "continuing.</P>"),
                    m_dm.MessageSwitch(QStringLiteral("SpecialNotes")), QStringLiteral("SpecialNotes"));
        } catch (const ProjectRefusal& e) {
            error(e.message());
            setStatus(QStringLiteral("Done with problems"));
            refreshItems();
            refreshInactive();
            return;
        }
        ++done;
        setStatus(QStringLiteral("Working... %1%").arg(done * 100 / int(names.size())));
    }
    refreshItems();
    refreshInactive();
    setStatus(QStringLiteral("Done"));
}

void TSetupWizardForm::DeactivateClick()
{
    const QStringList names = selectedValues(m_activeGrid, 0);
    if (names.isEmpty())
        return;
    const BusyCursor busy;
    setStatus(QStringLiteral("Working..."));
    for (const QString& name : names)
        ProjectCascade(m_db, cascadeEvents()).deleteEngine(m_project, name);
    refreshItems();
    refreshInactive();
    setStatus(QStringLiteral("Done"));
}

void TSetupWizardForm::showEngineDetails()
{
    QTableView* grid = qobject_cast<QTableView*>(sender());
    if (!grid)
        grid = m_activeGrid->selectionModel()->hasSelection() ? m_activeGrid : m_inactiveGrid;
    const QString engine = gridValue(grid, 0);
    m_useApi->setEnabled(grid == m_activeGrid && !engine.isEmpty());
    if (engine.isEmpty())
        return;
    Table se3(&m_db, QStringLiteral("SE3"));
    se3.open();
    if (!se3.locate({QStringLiteral("Name")}, {engine}))
        return;
    auto row = [&](const char* label, const char* field) -> QString {
        return QStringLiteral("<tr><td>") + QLatin1String(label) + QStringLiteral("</td><td><b>")
            + se3.asString(QLatin1String(field)).toHtmlEscaped() + QStringLiteral("</b></td></tr>");
    };
    m_engineDetails->setText(QStringLiteral("<table>") + row("Name", "Name") + row("Country", "Country")
                             + row("Group", "Group1") + row("Type", "Group2") + row("Locale", "Group3")
                             + row("Engine", "Group4") + QStringLiteral("</table>"));
    m_points->setValue(se3.asInteger(QStringLiteral("Popularity")));
    m_pointsNote->setText(se3.asString(QStringLiteral("PopSource")));
    m_engineNotes->setPlainText(se3.asString(QStringLiteral("Notes")));
    if (grid == m_activeGrid) {
        const QSignalBlocker quiet(m_useApi);
        m_useApi->setChecked(gridValue(m_activeGrid, 4) == QLatin1String("true")
                             || gridValue(m_activeGrid, 4) == QLatin1String("1"));
    }
}

void TSetupWizardForm::SavePointsClick()
{
    QTableView* grid = m_activeGrid->selectionModel()->hasSelection() ? m_activeGrid : m_inactiveGrid;
    const QString engine = gridValue(grid, 0);
    if (engine.isEmpty())
        return;
    Table se3(&m_db, QStringLiteral("SE3"));
    se3.open();
    if (!se3.locate({QStringLiteral("Name")}, {engine}))
        return;
    se3.edit();
    se3.setValue(QStringLiteral("Popularity"), m_points->value());
    se3.setValue(QStringLiteral("PopSource"), m_pointsNote->text());
    se3.post();
    // The points reach the engine's rows in every project.
    m_store.setEnginePoints(engine, m_points->value());
    refreshItems();
    refreshInactive();
}

// ------------------------------------------------------------ URLs

void TSetupWizardForm::AddUrlClick()
{
    m_urlMode = Mode::Insert;
    m_urlName->clear();
    m_url->clear();
    m_anyMatch->setChecked(false);
    m_urlName->setFocus();
}

void TSetupWizardForm::CancelUrlClick()
{
    m_urlMode = Mode::Browse;
    showUrlRow();
}

bool TSetupWizardForm::SaveUrlClick()
{
    if (m_urlMode == Mode::Browse) {
        // A change of Any Match alone is saved as well.
        if (gridValue(m_urlGrid, 0).isEmpty())
            return true;
        m_urlMode = Mode::Edit;
        m_oldUrl = gridValue(m_urlGrid, 0);
    }
    const QString name = m_urlName->text();
    if (name.isEmpty()) {
        error(QStringLiteral("URL Name cannot be blank."), m_urlName);
        return false;
    }
    bool keyNote = false;
    try {
        if (m_urlMode == Mode::Insert) {
            keyNote = m_store.addUrl(m_project, name, m_url->text(), m_anyMatch->isChecked());
        } else {
            const QString stored = ProjectRules::storedUrl(m_url->text());
            for (const ProjectStore::UrlRow& row : m_store.urls(m_project)) {
                if (row.name == m_oldUrl)
                    continue;
                if (row.name == name) {
                    error(QStringLiteral("Duplicate URL Name found."), m_urlName);
                    return false;
                }
                if (row.url == stored) {
                    error(QStringLiteral("Duplicate URL found."), m_url);
                    return false;
                }
            }
            Query set(&m_db,
                      QStringLiteral("UPDATE CVURL SET URL = ") + q(stored) + QStringLiteral(", AnyMatch = ")
                          + QLatin1String(m_anyMatch->isChecked() ? "1" : "0")
                          + QStringLiteral(" WHERE Project = ") + q(m_project)
                          + QStringLiteral(" AND Name = ") + q(m_oldUrl));
            set.execSql();
            if (name != m_oldUrl) {
                const BusyCursor busy;
                ProjectCascade(m_db, cascadeEvents()).renameUrl(m_project, m_oldUrl, name);
            }
            keyNote = m_store.keyUrl(m_project).isEmpty() && !m_store.urls(m_project).isEmpty();
            if (keyNote)
                m_store.setKeyUrl(m_project, m_store.urls(m_project).first().name);
        }
    } catch (const ProjectRefusal& e) {
        error(e.message(), e.message().contains(QLatin1String("Duplicate URL found")) ? m_url : m_urlName);
        return false;
    }
    if (keyNote)
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Update"),
            centred(QStringLiteral("The first available URL will be used as the Key URL.<BR><BR>To "
                                   "change, use the Key URL list.")),
            m_dm.MessageSwitch(QStringLiteral("KeyURL")), QStringLiteral("KeyURL"));
    m_urlMode = Mode::Browse;
    refreshItems();
    refreshProjects();
    selectGridRow(m_projectGrid, 0, m_project);
    selectGridRow(m_urlGrid, 0, name);
    showUrlRow();
    return true;
}

bool TSetupWizardForm::deleteSelected(QTableView* grid, const QString& items, const QString& switchName,
                                      void (ProjectCascade::*cascade)(const QString&, const QString&))
{
    const QStringList names = selectedValues(grid, 0);
    if (names.isEmpty())
        return false;
    const MessageAnswer answer =
        m_dm.ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Warning"),
                            centred(QStringLiteral("You are about to delete one or more ") + items
                                    + QStringLiteral(" and all of its related data.<BR>This deletion cannot "
                                                     "be undone.")),
                            m_dm.MessageSwitch(switchName), switchName);
    if (answer != MessageAnswer::Yes && answer != MessageAnswer::None)
        return false;
    const BusyCursor busy;
    for (const QString& name : names)
        (ProjectCascade(m_db, cascadeEvents()).*cascade)(m_project, name);
    return true;
}

void TSetupWizardForm::DeleteUrlClick()
{
    if (!deleteSelected(m_urlGrid, QStringLiteral("URLs"), QStringLiteral("DeleteURL"),
                        &ProjectCascade::deleteUrl))
        return;
    refreshItems();
    refreshProjects();
    selectGridRow(m_projectGrid, 0, m_project);
}

void TSetupWizardForm::KeyUrlChosen(const QString& name)
{
    if (name.isEmpty() || m_project.isEmpty())
        return;
    m_store.setKeyUrl(m_project, name);
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Update"),
                        centred(name.toHtmlEscaped()
                                + QStringLiteral(" has been saved as the Key URL for project ")
                                + m_project.toHtmlEscaped()),
                        true, {});
    refreshProjects();
    selectGridRow(m_projectGrid, 0, m_project);
}

void TSetupWizardForm::GatherKeywordTagsClick()
{
    const QString url = gridValue(m_urlGrid, 1);
    if (gridValue(m_urlGrid, 0).isEmpty()) {
        error(QStringLiteral("URL not selected."));
        return;
    }
    const BusyCursor busy;
    setStatus(QStringLiteral("Checking ") + url);
    PageFetcher fetcher(m_dm.Settings);
    fetcher.setKeepGoing([] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    });
    const FetchResult page = fetcher.get(QStringLiteral("http://") + url);
    setStatus(QString());
    if (!page.ok) {
        m_dm.LogDatabaseError(QStringLiteral("Error"), QStringLiteral("Error Metakey ") + page.error);
        error(page.error);
        return;
    }
    const ProjectRules::KeywordTags tags = ProjectRules::keywordTags(page.page);
    if (!tags.found) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Note"),
                            centred(url.toHtmlEscaped() + QStringLiteral(" Keyword tag not found.")), true,
                            {});
        return;
    }
    bool duplicates = tags.duplicates;
    for (const QString& term : tags.terms) {
        if (!m_foundTerms->findItems(term, Qt::MatchExactly).isEmpty()) {
            duplicates = true;
            continue;
        }
        m_foundTerms->addItem(term);
    }
    if (duplicates)
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Note"),
            centred(QStringLiteral("Duplicate Search Terms were found in your Keyword Tag.<BR>"
                                   "Duplicates have not been added to this list.")),
            true, {});
}

void TSetupWizardForm::AddToSearchTermsClick()
{
    const QList<QListWidgetItem*> chosen = m_foundTerms->selectedItems();
    if (chosen.isEmpty() || m_project.isEmpty())
        return;
    bool skipped = false;
    const QStringList existing = m_store.terms(m_project);
    for (QListWidgetItem* item : chosen) {
        if (existing.contains(item->text())) {
            skipped = true;
            continue;
        }
        m_store.addTerm(m_project, item->text());
    }
    refreshItems();
    if (skipped)
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Note"),
            centred(QStringLiteral("Some of the Search Term(s) you attempted to<BR>add already exist "
                                   "in the Terms List.<BR>The rest were added.")),
            true, {});
    else
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Note"), centred(QStringLiteral("Search Term(s) added.")),
            m_dm.MessageSwitch(QStringLiteral("SearchTermsAdded")), QStringLiteral("SearchTermsAdded"));
}

// ------------------------------------------------------------ terms

void TSetupWizardForm::AddTermClick()
{
    m_termMode = Mode::Insert;
    m_term->clear();
    m_term->setFocus();
}

void TSetupWizardForm::CancelTermClick()
{
    m_termMode = Mode::Browse;
    m_term->setText(gridValue(m_termGrid, 0));
}

bool TSetupWizardForm::SaveTermClick()
{
    if (m_termMode == Mode::Browse)
        return true;
    const QString term = m_term->text();
    if (term.isEmpty()) {
        error(QStringLiteral("Search Term cannot be blank."), m_term);
        return false;
    }
    try {
        if (m_termMode == Mode::Edit && term == m_oldTerm) {
            m_termMode = Mode::Browse;
            return true;
        }
        m_store.addTerm(m_project, term);
        if (m_termMode == Mode::Edit) {
            // The results recorded under the old text go with it.
            const BusyCursor busy;
            ProjectCascade(m_db, cascadeEvents()).deleteTerm(m_project, m_oldTerm);
        }
    } catch (const ProjectRefusal& e) {
        error(e.message(), m_term);
        return false;
    }
    if (term.size() > ProjectRules::LongTerm)
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Note"),
            centred(QStringLiteral("This Search Term is greater than 30 characters.  This is not a "
                                   "problem except you will not be allowed to use it as a series in "
                                   "Detailed Charts (charts will not neatly display with excessive "
                                   "characters).")),
            true, {});
    m_termMode = Mode::Browse;
    refreshItems();
    selectGridRow(m_termGrid, 0, term);
    m_term->setText(term);
    return true;
}

void TSetupWizardForm::DeleteTermClick()
{
    if (deleteSelected(m_termGrid, QStringLiteral("Search Terms"), QStringLiteral("DeleteST"),
                       &ProjectCascade::deleteTerm))
        refreshItems();
}

void TSetupWizardForm::DictionaryWord()
{
    if (gridValue(m_termGrid, 0).isEmpty())
        return;
    const QString text = Dictionary::withRandomWord(m_dm.Settings.DataFolder, m_term->text());
    if (text == m_term->text())
        return; // no dictionary, or an empty one
    if (m_termMode == Mode::Browse) {
        m_oldTerm = gridValue(m_termGrid, 0);
        m_termMode = Mode::Edit;
    }
    m_term->setText(text);
    SaveTermClick();
}

bool TSetupWizardForm::termKey(QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_term->text().isEmpty() && m_termMode != Mode::Browse)
            SaveTermClick();
        return true;
    case Qt::Key_Insert: AddTermClick(); return true;
    case Qt::Key_Escape: close(); return true;
    case Qt::Key_F10: DictionaryWord(); return true;
    default: return false;
    }
}

// ------------------------------------------------------------ events

bool TSetupWizardForm::dropText(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (drag->mimeData()->hasText())
            drag->acceptProposedAction();
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString text = drop->mimeData()->text().trimmed();
    if (watched == m_term) {
        if (m_termMode == Mode::Browse) {
            m_oldTerm = gridValue(m_termGrid, 0);
            m_termMode = m_oldTerm.isEmpty() ? Mode::Insert : Mode::Edit;
        }
        m_term->setText(text);
    } else {
        if (m_urlMode == Mode::Browse) {
            m_oldUrl = gridValue(m_urlGrid, 0);
            m_urlMode = m_oldUrl.isEmpty() ? Mode::Insert : Mode::Edit;
        }
        static_cast<QLineEdit*>(watched)->setText(text);
    }
    drop->acceptProposedAction();
    return true;
}

bool TSetupWizardForm::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)
        && (watched == m_term || watched == m_url || watched == m_urlName))
        return dropText(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_projectName)
            return projectNameKey(key);
        if (watched == m_term)
            return termKey(key);
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return ToolWindow::eventFilter(watched, event);
}

QStringList TSetupWizardForm::incompleteProjects() const
{
    QStringList lines;
    for (const QString& project : m_store.projects()) {
        QString line;
        if (m_store.engines(project).isEmpty())
            line += QStringLiteral(" missing Search Engine. ");
        if (m_store.urls(project).isEmpty())
            line += QStringLiteral(" missing URL. ");
        if (m_store.terms(project).isEmpty())
            line += QStringLiteral(" missing Search Term. ");
        if (!line.isEmpty())
            lines << project + line;
    }
    return lines;
}

void TSetupWizardForm::done(int result)
{
    // Pending edits are saved first; one that cannot be saved keeps the wizard open.
    if ((m_projectMode != Mode::Browse && !SaveProjectClick())
        || (m_urlMode != Mode::Browse && !SaveUrlClick()) || (m_termMode != Mode::Browse && !SaveTermClick()))
        return;
    const QStringList incomplete = incompleteProjects();
    if (!incomplete.isEmpty()) {
        QString text = QStringLiteral("Incomplete Project(s):\r\n");
        for (const QString& line : incomplete)
            text += line.toHtmlEscaped() + QStringLiteral("\r\n");
        text += QStringLiteral("Project(s) must have at least 1 Search Engine, 1 URL and 1 Search Term "
                               "selected.\r\nClick OK to continue.");
        text.replace(QStringLiteral("\r\n"), QStringLiteral("<BR>"));
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Warning"), centred(text), true, {});
        return;
    }
    m_closing = true;
    for (const QString& project : m_created) {
        const MessageAnswer answer = m_dm.ShowMessageBox(
            MessageButtons::YesNo, QStringLiteral("Update"),
            QStringLiteral("<P align=\"center\">Project ") + project.toHtmlEscaped()
                + QStringLiteral(
                    " has been added.<BR>Would you like to Auto Build Charts for this project?</P>"),
            m_dm.MessageSwitch(QStringLiteral("RunAutoChart")), QStringLiteral("RunAutoChart"));
        if (answer == MessageAnswer::Yes) {
            // The library's windows show their own hints while it runs.
            m_hintsAttached = false;
            LibraryCalls(m_dm, qApp).RunAutoBuildChart(project);
            m_hintsAttached = true;
        }
    }
    if (!m_created.isEmpty())
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Note"),
                            centred(QStringLiteral("Use the Harvester tool to run projects.")),
                            m_dm.MessageSwitch(QStringLiteral("NewProjectAdded")),
                            QStringLiteral("NewProjectAdded"));
    for (DatasetModel* model : {m_projectModel, m_inactiveModel, m_activeModel, m_urlModel, m_termModel,
                                m_summaryEngineModel, m_summaryUrlModel, m_summaryTermModel})
        model->setDataset(nullptr);
    for (Query* query : {&m_projectQuery, &m_inactiveQuery, &m_activeQuery, &m_urlQuery, &m_termQuery,
                         &m_summaryEngines, &m_summaryUrls, &m_summaryTerms})
        query->close();
    ToolWindow::done(result);
}

} // namespace corvane
