#include "gui/livecheck/DuvudaDuvedozoForm.h"

#include "core/data/Schema.h"
#include "core/data/SqlQuote.h"
#include "core/datamodule/DM1.h"
#include "core/engine/PageFetcher.h"
#include "core/help/HelpContexts.h"
#include "core/livecheck/DuvudaExport.h"
#include "core/livecheck/DuvudaResultFile.h"
#include "core/livecheck/DuvudaSearch.h"
#include "core/outside/LibraryCalls.h"
#include "core/platform/AppFolders.h"
#include "core/platform/Registry.h"
#include "core/projects/ProjectStore.h"
#include "core/settings/Settings.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/help/HelpForm.h"
#include "gui/livecheck/DuvudaExportForm.h"
#include "gui/widgets/DesktopLinks.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/HtmlItemDelegate.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QLatin1String TermSection("QuickHVST");
const QLatin1String UrlSection("QuickHVURL");
const QLatin1String GridSection("QuickHVURLGrid");
const QLatin1String FileFilter("Duvuda Duvedozo File (*.pp)");
const QString StandingHint = QStringLiteral(
    "Use Duvuda Duvedozo to quickly locate Search Term, URL and Search Engine ranking combinations.  "
    "Duvuda Duvedozo is designed to search these combinations one at a time.");

QComboBox* historyCombo()
{
    auto* combo = new QComboBox;
    OneLineNames::apply(*combo);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxCount(15);
    combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return combo;
}

void fillCombo(QComboBox* combo, const TextHistory& history)
{
    const QString text = combo->currentText();
    combo->clear();
    combo->addItems(history.entries());
    combo->setCurrentText(text);
}

} // namespace

TDuvudaDuvedozoForm::TDuvudaDuvedozoForm(TDM1& dataModule, QWidget* parent)
    : QDialog(parent)
    , QuickHVSession(QStringLiteral("QuickHVSession"))
    , QuickHVDatabase(QStringLiteral("QuickHVDatabase"), &QuickHVSession)
    , SE3Table(&QuickHVDatabase, QStringLiteral("SE3"), QStringLiteral("SEName"))
    , QuickHVQuery(&QuickHVDatabase)
    , PPTable(&QuickHVDatabase, QStringLiteral("PPExport"))
    , m_dm(dataModule)
    , m_countryCombo(new QComboBox)
    , m_engineList(new QListWidget)
    , m_engineLink(new QLabel)
    , m_engineNotes(new QPlainTextEdit)
    , m_termCombo(historyCombo())
    , m_urlCombo(historyCombo())
    , m_depthSpin(new QSpinBox)
    , m_anyMatchCheck(new QCheckBox(QStringLiteral("Any Match")))
    , m_goButton(new QPushButton(QStringLiteral("Go")))
    , m_stopButton(new QPushButton(QStringLiteral("Stop")))
    , m_updateButton(new QPushButton(QStringLiteral("Update Scripts...")))
    , m_closeButton(new QPushButton(QStringLiteral("Close")))
    , m_helpButton(new QPushButton(QStringLiteral("?")))
    , m_statusLabel(new QLabel)
    , m_progressBar(new QProgressBar)
    , m_grid(new QTableView)
    , m_hintLabel(new QLabel)
{
    OneLineNames::apply(*m_grid);
    OneLineNames::apply(*m_engineList);
    // The private session answers the password request of SE3 itself.
    QuickHVSession.setPasswordHook([](Session& session) {
        session.addPassword(TDM1::TablePassword());
        return true;
    });

    // Creation: the folders come from the File Locations key.
    const RegistryKey locations(m_dm.registry(),
                                SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)));
    PPExportFolder = AppFolders::withTrailingSlash(locations.readString(QStringLiteral("PPExportFolder")));
    if (PPExportFolder.isEmpty())
        PPExportFolder = AppFolders::documentsFolder() + QStringLiteral("DuvudaDuvedozo/");

    buildWindow();
    m_placement = new FormPlacement(this, QLatin1String(FormSections::PPForm), FormIniPath());
    m_placement->restore();
}

TDuvudaDuvedozoForm::~TDuvudaDuvedozoForm() = default;

void TDuvudaDuvedozoForm::buildWindow()
{
    setObjectName(QStringLiteral("PPForm"));
    setWindowTitle(QStringLiteral("Duvuda Duvedozo"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(980, 640);

    // File menu
    auto* menuBar = new QMenuBar;
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    const auto command = [this, file](const QString& text, const QKeySequence& key,
                                      void (TDuvudaDuvedozoForm::*slot)()) {
        QAction* action = file->addAction(text, this, slot);
        action->setShortcut(key);
        m_fileActions << action;
        return action;
    };
    command(QStringLiteral("&Open Results..."), QKeySequence(Qt::CTRL | Qt::Key_O),
            &TDuvudaDuvedozoForm::OpenResultsClick);
    m_resultActions << command(QStringLiteral("&Save Results..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                               &TDuvudaDuvedozoForm::SaveResultsClick);
    m_resultActions << command(QStringLiteral("&Clear Results"), QKeySequence(Qt::CTRL | Qt::Key_C),
                               &TDuvudaDuvedozoForm::ClearResultsClick);
    file->addSeparator();
    m_resultActions << command(QStringLiteral("&Export..."), QKeySequence(Qt::CTRL | Qt::Key_X),
                               &TDuvudaDuvedozoForm::ExportClick);
    file->addSeparator();
    m_resultActions << command(QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P),
                               &TDuvudaDuvedozoForm::PrintClick);
    m_resultActions << command(QStringLiteral("Pre&view..."), QKeySequence(Qt::CTRL | Qt::Key_V),
                               &TDuvudaDuvedozoForm::PreviewClick);
    m_resultActions << command(QStringLiteral("Print S&tyle..."), QKeySequence(Qt::CTRL | Qt::Key_T),
                               &TDuvudaDuvedozoForm::PrintStyleClick);
    file->addSeparator();
    QAction* exitAction = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exitAction->setShortcut(QKeySequence(Qt::Key_Escape));
    m_fileActions << exitAction;
    for (QAction* action : m_fileActions)
        action->setObjectName(
            action->text().remove(QLatin1Char('&')).remove(QStringLiteral("...")).remove(QLatin1Char(' '))
            + QStringLiteral("Action"));

    // Engines
    m_countryCombo->setObjectName(QStringLiteral("CountryCombo"));
    m_countryCombo->setStatusTip(QStringLiteral("Show the search engines of one country"));
    m_engineList->setObjectName(QStringLiteral("EngineList"));
    m_engineList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_engineList->setStatusTip(
        QStringLiteral("Select one or more search engines (Ctrl+click adds an engine)"));
    m_engineLink->setObjectName(QStringLiteral("EngineLink"));
    m_engineLink->setTextFormat(Qt::RichText);
    m_engineNotes->setObjectName(QStringLiteral("EngineNotes"));
    m_engineNotes->setReadOnly(true);
    m_engineNotes->setMaximumHeight(90);
    auto* engines = new QVBoxLayout;
    engines->addWidget(new QLabel(QStringLiteral("Country")));
    engines->addWidget(m_countryCombo);
    engines->addWidget(new QLabel(QStringLiteral("Search Engines")));
    engines->addWidget(m_engineList, 1);
    engines->addWidget(m_engineLink);
    engines->addWidget(m_engineNotes);

    // Search
    m_termCombo->setObjectName(QStringLiteral("TermCombo"));
    m_termCombo->setStatusTip(QStringLiteral("The search term to look up"));
    m_urlCombo->setObjectName(QStringLiteral("URLCombo"));
    m_urlCombo->setStatusTip(QStringLiteral("The URL to find in the results, typed as the engines write it"));
    m_depthSpin->setObjectName(QStringLiteral("DepthSpin"));
    m_depthSpin->setRange(1, 9999);
    m_depthSpin->setValue(50);
    m_depthSpin->setStatusTip(QStringLiteral("How many results of each engine to look through"));
    m_anyMatchCheck->setObjectName(QStringLiteral("AnyMatchCheck"));
    m_anyMatchCheck->setStatusTip(QStringLiteral("Also count links to pages below the URL"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Search Term"), m_termCombo);
    form->addRow(QStringLiteral("URL"), m_urlCombo);
    form->addRow(QStringLiteral("Search Depth"), m_depthSpin);
    form->addRow(QString(), m_anyMatchCheck);

    m_goButton->setObjectName(QStringLiteral("GoButton"));
    m_goButton->setStatusTip(QStringLiteral("Search the selected engines"));
    m_stopButton->setObjectName(QStringLiteral("StopButton"));
    m_stopButton->setStatusTip(QStringLiteral("Stop the search"));
    m_stopButton->setEnabled(false);
    m_updateButton->setObjectName(QStringLiteral("UpdateButton"));
    m_updateButton->setStatusTip(QStringLiteral("Fetch the latest search engine scripts"));
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_helpButton->setObjectName(QStringLiteral("HelpButton"));
    m_helpButton->setFixedWidth(m_helpButton->sizeHint().height() + 8);
    for (QPushButton* button : {m_goButton, m_stopButton, m_updateButton, m_closeButton, m_helpButton})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_goButton);
    buttons->addWidget(m_stopButton);
    buttons->addStretch();
    buttons->addWidget(m_updateButton);
    buttons->addWidget(m_closeButton);
    buttons->addWidget(m_helpButton);

    m_statusLabel->setObjectName(QStringLiteral("StatusLabel"));
    m_statusLabel->setMinimumHeight(2 * fontMetrics().height() + 4);
    m_statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont statusFont = m_statusLabel->font();
    statusFont.setBold(true);
    m_statusLabel->setFont(statusFont);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);

    auto* search = new QVBoxLayout;
    search->addLayout(form);
    search->addLayout(buttons);
    search->addWidget(m_statusLabel);
    search->addWidget(m_progressBar);
    search->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(engines, 2);
    top->addLayout(search, 3);

    // Grid
    m_grid->setObjectName(QStringLiteral("ResultGrid"));
    m_grid->setModel(&m_results);
    m_grid->setItemDelegate(new HtmlItemDelegate(m_grid));
    m_grid->setSortingEnabled(true);
    m_grid->horizontalHeader()->setSortIndicatorShown(false);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->setVisible(false);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setDragEnabled(true);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->setStatusTip(QStringLiteral("Right-click a row to delete or copy it; click a header to sort"));
    const int widths[] = {90, 50, 50, 220, 200};
    for (int c = 0; c < 5; ++c)
        m_grid->setColumnWidth(c, widths[c]);

    auto* gridMenu = new QMenu(this);
    QAction* deleteAction =
        gridMenu->addAction(QStringLiteral("Delete"), this, &TDuvudaDuvedozoForm::DeleteRowClick);
    deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    QAction* copyTags =
        gridMenu->addAction(QStringLiteral("Copy w/Tags"), this, &TDuvudaDuvedozoForm::CopyWithTagsClick);
    copyTags->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    QAction* copyPlain =
        gridMenu->addAction(QStringLiteral("Copy wo/Tags"), this, &TDuvudaDuvedozoForm::CopyWithoutTagsClick);
    copyPlain->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    for (QAction* action : {deleteAction, copyTags, copyPlain}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        m_grid->addAction(action);
    }
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this, gridMenu](const QPoint& at) {
        const QModelIndex index = m_grid->indexAt(at);
        m_contextRow = index.isValid() ? index.row() : -1;
        gridMenu->exec(m_grid->viewport()->mapToGlobal(at));
        m_contextRow = -1;
    });

    m_hintLabel->setObjectName(QStringLiteral("HintLabel"));
    auto* statusBar = new QStatusBar;
    statusBar->setSizeGripEnabled(false);
    statusBar->addWidget(m_hintLabel, 1);
    ShowHint({});

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(statusBar);

    // Events
    connect(m_countryCombo, &QComboBox::currentIndexChanged, this, &TDuvudaDuvedozoForm::CountryComboChange);
    connect(m_engineList, &QListWidget::itemClicked, this, &TDuvudaDuvedozoForm::EngineListClick);
    connect(m_engineList, &QListWidget::itemSelectionChanged, this, &TDuvudaDuvedozoForm::UpdateGoEnabled);
    connect(m_engineLink, &QLabel::linkActivated, this,
            [](const QString& address) { DesktopLinks::openWebAddress(address); });
    connect(m_termCombo, &QComboBox::currentTextChanged, this, &TDuvudaDuvedozoForm::UpdateGoEnabled);
    connect(m_urlCombo, &QComboBox::currentTextChanged, this, &TDuvudaDuvedozoForm::UpdateGoEnabled);
    connect(m_depthSpin, &QSpinBox::valueChanged, this, &TDuvudaDuvedozoForm::UpdateGoEnabled);
    connect(m_goButton, &QPushButton::clicked, this, &TDuvudaDuvedozoForm::GoButtonClick);
    connect(m_stopButton, &QPushButton::clicked, this, &TDuvudaDuvedozoForm::StopButtonClick);
    connect(m_updateButton, &QPushButton::clicked, this, &TDuvudaDuvedozoForm::UpdateScriptsButtonClick);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_helpButton, &QPushButton::clicked, this,
            [this] { HelpForm::showTopic(HelpContexts::DuvudaDuvedozo, this); });
    connect(&m_results, &QAbstractItemModel::modelReset, this, &TDuvudaDuvedozoForm::UpdateResultCommands);
    connect(&m_results, &QAbstractItemModel::dataChanged, this, &TDuvudaDuvedozoForm::UpdateResultCommands);
    connect(&m_results, &QAbstractItemModel::rowsRemoved, this, &TDuvudaDuvedozoForm::UpdateResultCommands);

    // Drop targets: text dropped on the term or URL box fills it.
    for (QComboBox* combo : {m_termCombo, m_urlCombo}) {
        combo->lineEdit()->setAcceptDrops(false);
        combo->setAcceptDrops(true);
        combo->installEventFilter(this);
    }
    UpdateGoEnabled();
    UpdateResultCommands();
}

QString TDuvudaDuvedozoForm::FormIniPath() const
{
    return m_dm.Settings.ExeFolder + QStringLiteral("FORM.INI");
}

QString TDuvudaDuvedozoForm::ExportFolderPath() const
{
    QDir().mkpath(PPExportFolder);
    return PPExportFolder;
}

void TDuvudaDuvedozoForm::RememberFolderOf(const QString& file)
{
    PPExportFolder = AppFolders::withTrailingSlash(QFileInfo(file).absolutePath());
}

QString TDuvudaDuvedozoForm::statusText() const { return m_statusLabel->text(); }

void TDuvudaDuvedozoForm::ShowError(const QString& text)
{
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), text, true, {});
}

void TDuvudaDuvedozoForm::ShowStatus(const QString& text) { m_statusLabel->setText(text); }

void TDuvudaDuvedozoForm::ShowHint(const QString& hint)
{
    m_hintLabel->setText(hint.isEmpty() ? StandingHint : hint);
}

// Show ---------------------------------------------------------------------

void TDuvudaDuvedozoForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TDuvudaDuvedozoForm::FormShow()
{
    m_termHistory.load(FormIniPath(), TermSection);
    m_urlHistory.load(FormIniPath(), UrlSection);
    fillCombo(m_termCombo, m_termHistory);
    fillCombo(m_urlCombo, m_urlHistory);
    m_termCombo->setCurrentText(QString());
    m_urlCombo->setCurrentText(QString());
    {
        QSettings ini(FormIniPath(), QSettings::IniFormat);
        ini.beginGroup(GridSection);
        for (int c = 0; c < DuvudaResultRow::ColumnCount; ++c) {
            const int width = ini.value(QStringLiteral("Col%1").arg(c), 0).toInt();
            if (width > 0)
                m_grid->setColumnWidth(c, width);
        }
    }
    try {
        QuickHVDatabase.setDirectory(m_dm.Settings.DataFolder);
        QuickHVDatabase.connect();
        SE3Table.open();
        FillCountryCombo();
    } catch (const DatabaseError& error) {
        ShowError(QString::fromUtf8(error.what()).toHtmlEscaped());
    }
    UpdateGoEnabled();
    UpdateResultCommands();
}

void TDuvudaDuvedozoForm::done(int result)
{
    if (m_running) {
        // Closing during a run stops the run; the window stays open.
        m_abort = true;
        return;
    }
    if (isVisible())
        FormClose();
    QDialog::done(result);
}

void TDuvudaDuvedozoForm::FormClose()
{
    m_termHistory.save(FormIniPath(), TermSection);
    m_urlHistory.save(FormIniPath(), UrlSection);
    {
        QSettings ini(FormIniPath(), QSettings::IniFormat);
        ini.beginGroup(GridSection);
        for (int c = 0; c < DuvudaResultRow::ColumnCount; ++c)
            ini.setValue(QStringLiteral("Col%1").arg(c), m_grid->columnWidth(c));
    }
    m_placement->save();
    SE3Table.close();
    QuickHVQuery.close();
    PPTable.close();
    QuickHVDatabase.disconnect();
    m_dm.WriteSetting(QLatin1String(SettingsKeys::FileLocations), QStringLiteral("PPExportFolder"),
                      PPExportFolder);
}

// Engines -------------------------------------------------------------------

void TDuvudaDuvedozoForm::FillCountryCombo()
{
    const QSignalBlocker blocker(m_countryCombo);
    m_countryCombo->clear();
    m_countryCombo->addItem(QStringLiteral("All"));
    QuickHVQuery.close();
    QuickHVQuery.setSql(QStringLiteral("SELECT DISTINCT country FROM SE3 ORDER BY country"));
    QuickHVQuery.open();
    bool empty = false;
    for (QuickHVQuery.first(); !QuickHVQuery.eof(); QuickHVQuery.next()) {
        const QString country = QuickHVQuery.asString(QStringLiteral("country"));
        if (country.isEmpty())
            empty = true;
        else
            m_countryCombo->addItem(country);
    }
    QuickHVQuery.close();
    // engines without a country are listed on their own too, not only under "All"
    if (empty)
        m_countryCombo->addItem(QLatin1String(EngineFilter::NoValueEntry), true);
    m_countryCombo->setCurrentIndex(0);
    CountryComboChange();
}

void TDuvudaDuvedozoForm::CountryComboChange()
{
    const QString country = m_countryCombo->currentText();
    const bool noCountry = m_countryCombo->currentData().toBool();
    const QString sql = noCountry
        ? QStringLiteral("SELECT Name FROM SE3 WHERE Country IS NULL OR Country = '' ORDER BY Name NOCASE")
        : country == QLatin1String("All") || country.isEmpty()
        ? QStringLiteral("SELECT Name FROM SE3 ORDER BY Name NOCASE")
        : QStringLiteral("SELECT Name FROM SE3 WHERE Country = ")
            + SqlQuote::quoted(country, QLatin1Char('"')) + QStringLiteral(" ORDER BY Name NOCASE");
    m_engineList->clear();
    try {
        QuickHVQuery.close();
        QuickHVQuery.setSql(sql);
        QuickHVQuery.open();
        for (QuickHVQuery.first(); !QuickHVQuery.eof(); QuickHVQuery.next())
            m_engineList->addItem(QuickHVQuery.asString(QStringLiteral("Name")));
        QuickHVQuery.close();
    } catch (const DatabaseError& error) {
        ShowError(QString::fromUtf8(error.what()).toHtmlEscaped());
    }
    if (m_engineList->count() > 0) {
        m_engineList->setCurrentRow(0);
        ShowEngine(m_engineList->item(0)->text());
    } else {
        ShowEngine({});
    }
    UpdateGoEnabled();
}

void TDuvudaDuvedozoForm::EngineListClick()
{
    if (QListWidgetItem* item = m_engineList->currentItem())
        ShowEngine(item->text());
}

void TDuvudaDuvedozoForm::ShowEngine(const QString& name)
{
    if (name.isEmpty() || !SE3Table.isOpen() || !SE3Table.findKey({name})) {
        m_engineLink->clear();
        m_engineNotes->clear();
        return;
    }
    m_engineLink->setText(QStringLiteral("<a href=\"")
                          + SE3Table.asString(QStringLiteral("HomePage")).toHtmlEscaped()
                          + QStringLiteral("\">") + name.toHtmlEscaped() + QStringLiteral("</a>"));
    m_engineNotes->setPlainText(SE3Table.asString(QStringLiteral("Notes")));
}

QStringList TDuvudaDuvedozoForm::SelectedEngines() const
{
    QStringList names;
    for (int i = 0; i < m_engineList->count(); ++i) {
        if (m_engineList->item(i)->isSelected())
            names << m_engineList->item(i)->text();
    }
    return names;
}

// Enabling ------------------------------------------------------------------

void TDuvudaDuvedozoForm::UpdateGoEnabled()
{
    const bool ready = !m_termCombo->currentText().isEmpty() && !m_urlCombo->currentText().isEmpty()
        && m_depthSpin->value() >= 1 && !m_engineList->selectedItems().isEmpty();
    m_goButton->setEnabled(ready && !m_running);
}

void TDuvudaDuvedozoForm::UpdateResultCommands()
{
    const bool results = m_results.hasResults() && !m_running;
    for (QAction* action : m_resultActions)
        action->setEnabled(results);
}

void TDuvudaDuvedozoForm::SetInputsEnabled(bool enabled)
{
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_countryCombo, m_engineList, m_termCombo, m_urlCombo, m_depthSpin,
                                         m_anyMatchCheck, m_updateButton, m_closeButton})
        widget->setEnabled(enabled);
    for (QAction* action : m_fileActions)
        action->setEnabled(enabled);
    m_stopButton->setEnabled(!enabled);
}

// Go ------------------------------------------------------------------------

void TDuvudaDuvedozoForm::GoButtonClick()
{
    UpdateGoEnabled();
    if (!m_goButton->isEnabled())
        return;

    DuvudaSearchRequest request;
    request.term = m_termCombo->currentText();
    request.url = m_urlCombo->currentText();
    request.depth = m_depthSpin->value();
    request.anyMatch = m_anyMatchCheck->isChecked();
    request.engines = SelectedEngines();
    request.day = QDate::currentDate();
    m_termHistory.add(request.term);
    m_urlHistory.add(request.url);
    fillCombo(m_termCombo, m_termHistory);
    fillCombo(m_urlCombo, m_urlHistory);

    m_running = true;
    SetInputsEnabled(false);
    m_goButton->setEnabled(false);
    UpdateResultCommands();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Whatever ends the run, an exception included, the window is usable and
    // closable afterwards.
    const auto finished = qScopeGuard([this] {
        m_running = false;
        SetInputsEnabled(true);
        ShowStatus(QStringLiteral("Done..."));
        UpdateGoEnabled();
        UpdateResultCommands();
        QApplication::restoreOverrideCursor();
    });
    m_abort = false;
    m_progressBar->setValue(0);
    ShowStatus(QStringLiteral("Working..."));

    {
        PageFetcher fetcher(m_dm.Settings);
        // Keeps the window painted and Stop alive while a request waits; Stop
        // also cuts the transfer in flight short.
        fetcher.setKeepGoing([this] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            return !m_abort;
        });
        DuvudaSearchEvents events;
        events.engineStarted = [this](int, const QString& name) {
            const QList<QListWidgetItem*> found = m_engineList->findItems(name, Qt::MatchExactly);
            if (!found.isEmpty()) {
                m_engineList->setCurrentItem(found.first(), QItemSelectionModel::NoUpdate);
                m_engineList->scrollToItem(found.first());
                ShowEngine(name);
            }
        };
        events.status = [this](const QString& text) { ShowStatus(text); };
        events.progress = [this](int percent) {
            m_progressBar->setValue(percent);
            m_progressBar->repaint();
        };
        events.hit = [this](const DuvudaHit& hit) { m_results.appendRow(DuvudaCells::makeRow(hit)); };
        events.aborted = [this] { return m_abort; };
        try {
            DuvudaSearch(SE3Table, fetcher, m_dm.Settings.HTTPRetryTimes).run(request, events);
        } catch (const DatabaseError& error) {
            ShowStatus(QStringLiteral("Error: ") + QString::fromUtf8(error.what()));
        }
    }
}

void TDuvudaDuvedozoForm::StopButtonClick() { m_abort = true; }

void TDuvudaDuvedozoForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_goButton->isEnabled())
            GoButtonClick();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TDuvudaDuvedozoForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

bool TDuvudaDuvedozoForm::eventFilter(QObject* watched, QEvent* event)
{
    auto* combo = qobject_cast<QComboBox*>(watched);
    if (combo && (combo == m_termCombo || combo == m_urlCombo)) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasText() && combo->isEnabled()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString text = drop->mimeData()->text().section(QLatin1Char('\n'), 0, 0).trimmed();
            if (!text.isEmpty())
                combo->setCurrentText(text);
            drop->acceptProposedAction();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Update Scripts ------------------------------------------------------------

void TDuvudaDuvedozoForm::UpdateScriptsButtonClick()
{
    SE3Table.close();
    RunRemoteUpdateLibrary();
    try {
        SE3Table.open();
        FillCountryCombo();
    } catch (const DatabaseError& error) {
        ShowError(QString::fromUtf8(error.what()).toHtmlEscaped());
    }
}

// _RunRemoteUpdate(application, 0, 1) of CVDBRoutines.
void TDuvudaDuvedozoForm::RunRemoteUpdateLibrary()
{
    LibraryCalls(m_dm, qApp)
        .ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::SystemText)
        .RunRemoteUpdate(false, true);
}

// _RunPrint, _RunPreview or _RunReports of CVReports with the report file
// "DuroViz" and the report "DuvudaDuvedozo".
void TDuvudaDuvedozoForm::RunReportLibrary(const char* entryName)
{
    const QString reportFile = QStringLiteral("DuroViz");
    const QString report = QStringLiteral("DuvudaDuvedozo");
    LibraryCalls calls(m_dm, qApp);
    calls.ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::SystemText);
    if (qstrcmp(entryName, "_RunPrint") == 0)
        calls.RunPrint(reportFile, report);
    else if (qstrcmp(entryName, "_RunPreview") == 0)
        calls.RunPreview(reportFile, report);
    else
        calls.RunReports(reportFile, report);
}

// File ----------------------------------------------------------------------

bool TDuvudaDuvedozoForm::OpenResultsFile(const QString& path)
{
    const DuvudaResultFile::LoadResult loaded = DuvudaResultFile::load(path);
    if (!loaded.error.isEmpty()) {
        ShowError(loaded.error.toHtmlEscaped());
        return false;
    }
    m_results.setRows(loaded.rows);
    RememberFolderOf(path);
    return true;
}

bool TDuvudaDuvedozoForm::SaveResultsFile(const QString& path)
{
    const QString error = DuvudaResultFile::save(path, m_results.resultRows());
    if (!error.isEmpty()) {
        ShowError(error.toHtmlEscaped());
        return false;
    }
    RememberFolderOf(path);
    return true;
}

void TDuvudaDuvedozoForm::OpenResultsClick()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a Duvuda Duvedozo file"),
                                                      ExportFolderPath(), FileFilter);
    if (!path.isEmpty())
        OpenResultsFile(path);
}

void TDuvudaDuvedozoForm::SaveResultsClick()
{
    QFileDialog dialog(this, QStringLiteral("Save contents of Duvuda Duvedozo"), ExportFolderPath(),
                       FileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QLatin1String(DuvudaResultFile::Extension));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        SaveResultsFile(dialog.selectedFiles().first());
}

void TDuvudaDuvedozoForm::ClearResultsClick() { m_results.clear(); }

bool TDuvudaDuvedozoForm::EnsureExportTable()
{
    try {
        if (!QuickHVDatabase.tableExists(PPTable.tableName()))
            QuickHVDatabase.createTable(*Schema::table(PPTable.tableName()));
        return true;
    } catch (const DatabaseError& error) {
        ShowError(QString::fromUtf8(error.what()).toHtmlEscaped());
        return false;
    }
}

void TDuvudaDuvedozoForm::ExportClick()
{
    TDuvudaExportForm kindForm(this);
    if (kindForm.exec() != QDialog::Accepted || !EnsureExportTable())
        return;
    ExportData exportData;
    try {
        PPTable.open();
        DuvudaExport::fillTable(PPTable, m_results.resultRows(), kindForm.kind());
        exportData = ExportData::fromDataset(PPTable, PPTable.tableName());
        PPTable.close();
    } catch (const DatabaseError& error) {
        PPTable.close();
        ShowError(QString::fromUtf8(error.what()).toHtmlEscaped());
        return;
    }
    TExportWizardForm wizard(m_dm, exportData, QStringLiteral("Duvuda Duvedozo"),
                             ExportFolderPath() + QStringLiteral("DuroViz"), this);
    wizard.setDateSettings(
        ExportDateSettings::fromShortDateFormat(QLocale().dateFormat(QLocale::ShortFormat)));
    if (wizard.exec() == QDialog::Accepted && !wizard.exportedFile().isEmpty())
        RememberFolderOf(wizard.exportedFile());
}

void TDuvudaDuvedozoForm::PrintThroughReportLibrary(const char* entryName)
{
    try {
        DuvudaExport::fillReportTable(QuickHVDatabase, m_results.resultRows());
    } catch (const DatabaseError& error) {
        ShowError(QString::fromUtf8(error.what()).toHtmlEscaped());
        return;
    }
    RunReportLibrary(entryName);
}

void TDuvudaDuvedozoForm::PrintClick() { PrintThroughReportLibrary("_RunPrint"); }

void TDuvudaDuvedozoForm::PreviewClick() { PrintThroughReportLibrary("_RunPreview"); }

void TDuvudaDuvedozoForm::PrintStyleClick() { PrintThroughReportLibrary("_RunReports"); }

// Grid pop-up ---------------------------------------------------------------

void TDuvudaDuvedozoForm::DeleteRowClick()
{
    const int row = m_contextRow >= 0 ? m_contextRow : m_grid->currentIndex().row();
    if (row >= 0 && !m_results.rows().value(row).isBlank())
        m_results.removeResultRow(row);
}

void TDuvudaDuvedozoForm::CopyWithTagsClick()
{
    QGuiApplication::clipboard()->setText(
        m_results.cellsText(m_grid->selectionModel()->selectedIndexes(), true));
}

void TDuvudaDuvedozoForm::CopyWithoutTagsClick()
{
    QGuiApplication::clipboard()->setText(
        m_results.cellsText(m_grid->selectionModel()->selectedIndexes(), false));
}

} // namespace corvane
