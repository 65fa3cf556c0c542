#include "gui/discovery/STMixForm.h"

#include "core/datamodule/DM1.h"
#include "core/discovery/DetailRun.h"
#include "core/discovery/MergedData.h"
#include "core/discovery/MixHarvest.h"
#include "core/engine/PageFetcher.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/print/ReportTable.h"
#include "core/projects/AddItems.h"
#include "gui/discovery/STFilterForm.h"
#include "gui/projects/AddSTForm.h"
#include "gui/projects/AddURLForm.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

const QString ReportGroup = QStringLiteral("Rureder Orad");

QString centred(const QString& html) { return QStringLiteral("<P align=\"center\">%1</P>").arg(html); }

const char* const PageTitles[] = {"1. Search Engines and Seed", "2. URLs", "3. Detail Results",
                                  "4. Merged Data"};

// Tree branches of page 3.
const QString TitleBranch = QStringLiteral("Title -- ");
const QString DescriptionBranch = QStringLiteral("Description -- ");
const QString EnginesBranch = QStringLiteral("Search Engines");
const QString TagsBranch = QStringLiteral("Tag Keywords");
const QString DensityBranch = QStringLiteral("Keyword Density");

QStringList lines(const QString& memo) { return memo.isEmpty() ? QStringList() : memo.split(u'\n'); }

} // namespace

TSTMixForm::TSTMixForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::KWMixForm, HelpContexts::RurederOrad, parent,
                 FormPlacement::Keep::PositionOnly)
{
    setWindowTitle(QStringLiteral("Rureder Orad"));
    buildWindow();
    resize(860, 640);
    restorePlacement();
    FormShow();
}

TSTMixForm::~TSTMixForm() { m_urlModel.setDataset(nullptr); }

// Window --------------------------------------------------------------------

void TSTMixForm::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    m_pageTitle = new QLabel(this);
    QFont titleFont = m_pageTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    m_pageTitle->setFont(titleFont);
    layout->addWidget(m_pageTitle);

    m_pages = new QTabWidget(this);
    m_pages->addTab(buildSeedPage(), QLatin1String(PageTitles[SeedPage]));
    m_pages->addTab(buildUrlPage(), QLatin1String(PageTitles[UrlPage]));
    m_pages->addTab(buildDetailPage(), QLatin1String(PageTitles[DetailPage]));
    m_pages->addTab(buildMergedPage(), QLatin1String(PageTitles[MergedPage]));
    connect(m_pages, &QTabWidget::currentChanged, this, &TSTMixForm::PageChanged);
    layout->addWidget(m_pages, 3);

    m_log = new QListWidget(this);
    OneLineNames::apply(*m_log);
    m_log->setObjectName(QStringLiteral("LogList"));
    m_log->setMinimumHeight(90);
    layout->addWidget(m_log, 1);

    auto* buttons = new QHBoxLayout;
    m_filters = new QPushButton(QStringLiteral("Filters..."), this);
    m_print = new QPushButton(QStringLiteral("Print"), this);
    m_pageSetup = new QPushButton(QStringLiteral("Page Setup..."), this);
    m_preview = new QPushButton(QStringLiteral("Preview..."), this);
    m_abortButton = new QPushButton(QStringLiteral("Abort"), this);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {m_filters, m_print, m_pageSetup, m_preview})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_abortButton);
    buttons->addWidget(m_close);
    buttons->addWidget(createHelpButton());
    layout->addLayout(buttons);
    for (QPushButton* b : {m_filters, m_print, m_pageSetup, m_preview, m_abortButton, m_close})
        b->setAutoDefault(false);

    connect(m_filters, &QPushButton::clicked, this, &TSTMixForm::FiltersClick);
    connect(m_print, &QPushButton::clicked, this, &TSTMixForm::PrintClick);
    connect(m_pageSetup, &QPushButton::clicked, this, &TSTMixForm::PageSetupClick);
    connect(m_preview, &QPushButton::clicked, this, &TSTMixForm::PreviewClick);
    connect(m_abortButton, &QPushButton::clicked, this, &TSTMixForm::AbortClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TSTMixForm::buildSeedPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Seed (F10 adds a word from the dictionary)"), page));
    m_seed = new QLineEdit(page);
    m_seed->setObjectName(QStringLiteral("SeedEdit"));
    m_seed->installEventFilter(this);
    layout->addWidget(m_seed);
    layout->addWidget(new QLabel(QStringLiteral("Search Engines"), page));
    m_engines = new QListWidget(page);
    OneLineNames::apply(*m_engines);
    m_engines->setObjectName(QStringLiteral("EngineList"));
    layout->addWidget(m_engines, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_competitors = new QPushButton(QStringLiteral("Virtual Competitors"), page);
    m_competitors->setAutoDefault(false);
    row->addWidget(m_competitors);
    layout->addLayout(row);

    connect(m_seed, &QLineEdit::textChanged, this, &TSTMixForm::UpdateCommands);
    connect(m_engines, &QListWidget::itemChanged, this, &TSTMixForm::UpdateCommands);
    connect(m_competitors, &QPushButton::clicked, this, &TSTMixForm::VirtualCompetitorsClick);
    return page;
}

QWidget* TSTMixForm::buildUrlPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_urlGrid = new QTableView(page);
    OneLineNames::apply(*m_urlGrid);
    m_urlGrid->setObjectName(QStringLiteral("UrlGrid"));
    m_urlGrid->setModel(&m_urlModel);
    m_urlGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_urlGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_urlGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_urlGrid->verticalHeader()->hide();
    m_urlGrid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_urlGrid->horizontalHeader()->setStretchLastSection(false);
    m_urlGrid->horizontalHeader()->setSectionsClickable(true);
    m_urlGrid->setToolTip(QStringLiteral("Click a column heading to sort by it"));
    connect(m_urlGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        m_sortByName = section == 0;
        ReloadUrls();
    });
    layout->addWidget(m_urlGrid, 1);

    auto* add = new QHBoxLayout;
    add->addWidget(new QLabel(QStringLiteral("http://"), page));
    m_urlEdit = new QLineEdit(page);
    m_urlEdit->setObjectName(QStringLiteral("UrlEdit"));
    add->addWidget(m_urlEdit, 1);
    add->addWidget(new QLabel(QStringLiteral("Count"), page));
    m_countSpin = new QSpinBox(page);
    m_countSpin->setRange(1, 999);
    add->addWidget(m_countSpin);
    m_addUrl = new QPushButton(QStringLiteral("Add"), page);
    m_deleteUrl = new QPushButton(QStringLiteral("Delete"), page);
    add->addWidget(m_addUrl);
    add->addWidget(m_deleteUrl);
    layout->addLayout(add);

    auto* options = new QHBoxLayout;
    m_badLinks = new QCheckBox(QStringLiteral("Delete Bad Links"), page);
    options->addWidget(m_badLinks);
    options->addSpacing(12);
    options->addWidget(new QLabel(QStringLiteral("Minimum Word Density"), page));
    m_minDens = new QSpinBox(page);
    m_minDens->setRange(MixSettings::MinDensLow, MixSettings::MinDensHigh);
    options->addWidget(m_minDens);
    options->addSpacing(12);
    options->addWidget(new QLabel(QStringLiteral("Pass On Pages Greater Than (bytes)"), page));
    m_passSize = new QSpinBox(page);
    m_passSize->setRange(MixSettings::PassSizeLow, MixSettings::PassSizeHigh);
    m_passSize->setGroupSeparatorShown(true);
    options->addWidget(m_passSize);
    options->addStretch(1);
    layout->addLayout(options);

    auto* commands = new QHBoxLayout;
    m_addToUrlList = new QPushButton(QStringLiteral("Add to Project URL List..."), page);
    m_detail = new QPushButton(QStringLiteral("Detail"), page);
    commands->addWidget(m_addToUrlList);
    commands->addStretch(1);
    commands->addWidget(m_detail);
    layout->addLayout(commands);
    for (QPushButton* b : {m_addUrl, m_deleteUrl, m_addToUrlList, m_detail})
        b->setAutoDefault(false);

    connect(m_addUrl, &QPushButton::clicked, this, &TSTMixForm::AddUrlClick);
    connect(m_deleteUrl, &QPushButton::clicked, this, &TSTMixForm::DeleteUrlClick);
    connect(m_addToUrlList, &QPushButton::clicked, this, &TSTMixForm::AddToUrlListClick);
    connect(m_detail, &QPushButton::clicked, this, &TSTMixForm::DetailClick);
    return page;
}

QWidget* TSTMixForm::buildDetailPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_tree = new QTreeWidget(page);
    OneLineNames::apply(*m_tree);
    m_tree->setObjectName(QStringLiteral("DetailTree"));
    m_tree->setHeaderHidden(true);
    layout->addWidget(m_tree, 1);
    auto* row = new QHBoxLayout;
    m_filterEdit = new QLineEdit(page);
    m_filterEdit->setObjectName(QStringLiteral("FilterEdit"));
    m_filterEdit->setPlaceholderText(QStringLiteral("Word to leave out of the keyword lists"));
    row->addWidget(m_filterEdit, 1);
    m_addToFilter = new QPushButton(QStringLiteral("Add to Filter"), page);
    m_addTermFromDetail = new QPushButton(QStringLiteral("Add to Search Term List..."), page);
    row->addWidget(m_addToFilter);
    row->addStretch(1);
    row->addWidget(m_addTermFromDetail);
    layout->addLayout(row);
    for (QPushButton* b : {m_addToFilter, m_addTermFromDetail})
        b->setAutoDefault(false);
    connect(m_addToFilter, &QPushButton::clicked, this, &TSTMixForm::AddToFilterClick);
    connect(m_addTermFromDetail, &QPushButton::clicked, this, &TSTMixForm::AddToTermListClick);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TSTMixForm::UpdateCommands);
    return page;
}

QWidget* TSTMixForm::buildMergedPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_merged = new QTableWidget(0, 3, page);
    m_merged->setObjectName(QStringLiteral("MergedGrid"));
    m_merged->setHorizontalHeaderLabels(
        {QStringLiteral("Tag Count"), QStringLiteral("Density Count"), QStringLiteral("Search Term")});
    m_merged->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_merged->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_merged->verticalHeader()->hide();
    m_merged->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_merged->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_merged, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_addTermFromMerged = new QPushButton(QStringLiteral("Add to Search Term List..."), page);
    m_addTermFromMerged->setAutoDefault(false);
    row->addWidget(m_addTermFromMerged);
    layout->addLayout(row);
    connect(m_addTermFromMerged, &QPushButton::clicked, this, &TSTMixForm::AddToTermListClick);
    connect(m_merged, &QTableWidget::itemSelectionChanged, this, &TSTMixForm::UpdateCommands);
    return page;
}

void TSTMixForm::FormShow()
{
    m_settings = MixSettings::load(m_dm.registry());
    m_badLinks->setChecked(m_settings.BadLinks);
    m_minDens->setValue(m_settings.MinDens);
    m_passSize->setValue(m_settings.PassSize);
    try {
        m_engines->clear();
        for (const QString& name : MixHarvest::OfferedEngines(m_dm.SE3Table)) {
            auto* item = new QListWidgetItem(name, m_engines);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        m_dm.MixTable.open();
        m_dm.PhraseTable.open();
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
    }
    ReloadUrls();
    FillDetailTree();
    showPage(SeedPage);
    PageChanged(SeedPage);
}

void TSTMixForm::FormClose()
{
    ApplySettingsFromControls();
    m_settings.save(m_dm.registry());
}

void TSTMixForm::ApplySettingsFromControls()
{
    m_settings.BadLinks = m_badLinks->isChecked();
    m_settings.MinDens = m_minDens->value();
    m_settings.PassSize = m_passSize->value();
}

void TSTMixForm::done(int result)
{
    if (m_running) {
        // The run ends at its next check; the window closes then.
        m_abort = true;
        m_closeWhenDone = true;
        return;
    }
    FormClose();
    ToolWindow::done(result);
}

bool TSTMixForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_seed && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F10) {
        DictionaryWord();
        return true;
    }
    return ToolWindow::eventFilter(watched, event);
}

void TSTMixForm::DictionaryWord()
{
    m_seed->setText(Dictionary::withRandomWord(m_dm.Settings.DataFolder, m_seed->text()));
}

void TSTMixForm::showPage(Page page) { m_pages->setCurrentIndex(page); }

TSTMixForm::Page TSTMixForm::currentPage() const { return Page(m_pages->currentIndex()); }

void TSTMixForm::PageChanged(int page)
{
    m_pageTitle->setText(QLatin1String(PageTitles[std::clamp(page, 0, 3)]));
    if (page == MergedPage && !m_running)
        FillMergedGrid();
    UpdateCommands();
}

void TSTMixForm::UpdateCommands()
{
    const bool idle = !m_running;
    m_competitors->setEnabled(idle && !m_seed->text().trimmed().isEmpty() && !CheckedEngines().isEmpty());
    const bool haveUrls = m_urlModel.rowCount() > 0;
    const bool urlsSelected = m_urlGrid->selectionModel() && m_urlGrid->selectionModel()->hasSelection();
    m_detail->setEnabled(idle && haveUrls);
    m_addUrl->setEnabled(idle);
    m_deleteUrl->setEnabled(idle && urlsSelected);
    m_addToUrlList->setEnabled(idle && urlsSelected);
    m_addToFilter->setEnabled(idle);
    m_addTermFromDetail->setEnabled(idle && currentPage() == DetailPage && !SelectedTerms().isEmpty());
    m_addTermFromMerged->setEnabled(idle && currentPage() == MergedPage && !SelectedTerms().isEmpty());
    const bool printable = currentPage() != SeedPage;
    for (QPushButton* b : {m_print, m_pageSetup, m_preview})
        b->setEnabled(idle && printable);
    m_filters->setEnabled(idle);
    m_abortButton->setEnabled(m_running);
    m_seed->setEnabled(idle);
    m_engines->setEnabled(idle);
    m_pages->tabBar()->setEnabled(idle);
}

void TSTMixForm::SetRunning(bool running)
{
    m_running = running;
    if (running) {
        m_abort = false;
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    UpdateCommands();
}

void TSTMixForm::Log(const QString& line)
{
    m_log->addItem(line);
    m_log->scrollToBottom();
}

void TSTMixForm::ShowError(const QString& text)
{
    m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"), centred(text), true, {});
}

void TSTMixForm::CheckEngines(const QStringList& names)
{
    for (int i = 0; i < m_engines->count(); ++i)
        m_engines->item(i)->setCheckState(names.contains(m_engines->item(i)->text()) ? Qt::Checked
                                                                                     : Qt::Unchecked);
}

QStringList TSTMixForm::CheckedEngines() const
{
    QStringList names;
    for (int i = 0; i < m_engines->count(); ++i)
        if (m_engines->item(i)->checkState() == Qt::Checked)
            names << m_engines->item(i)->text();
    return names;
}

// Page 1: the harvest -----------------------------------------------------

void TSTMixForm::VirtualCompetitorsClick()
{
    UpdateCommands();
    if (!m_competitors->isEnabled())
        return;
    m_log->clear();
    SetRunning(true);
    const auto finished = qScopeGuard([this] {
        SetRunning(false);
        ReloadUrls();
        if (m_closeWhenDone)
            done(QDialog::Rejected);
    });
    try {
        PageFetcher fetcher(m_dm.Settings);
        fetcher.setKeepGoing([this] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            return !m_abort;
        });
        MixEvents events;
        events.log = [this](const QString& line) { Log(line); };
        events.aborted = [this] { return m_abort; };
        m_urlModel.setDataset(nullptr);
        const int found =
            MixHarvest::Run(m_dm.SE3Table, m_dm.MixTable, fetcher, m_seed->text(), CheckedEngines(), events);
        Log(QStringLiteral("%1 URLs collected").arg(found));
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
        return;
    }
    if (!m_abort)
        showPage(UrlPage);
}

void TSTMixForm::AbortClick()
{
    if (!m_running)
        return;
    m_abort = true; // the run logs "Aborting" when it stops
}

// Page 2: the URLs ---------------------------------------------------------

void TSTMixForm::ReloadUrls()
{
    m_urlModel.setDataset(nullptr);
    try {
        m_urlQuery = std::make_unique<Query>(
            &m_dm.General,
            m_sortByName ? QStringLiteral("SELECT Name, URLCount FROM CVMix ORDER BY Name, URLCount")
                         : QStringLiteral("SELECT Name, URLCount FROM CVMix ORDER BY URLCount DESC, Name"));
        m_urlQuery->open();
        m_urlModel.setDataset(m_urlQuery.get());
        m_urlModel.setCaption(QStringLiteral("Name"), QStringLiteral("URL"));
        m_urlModel.setCaption(QStringLiteral("URLCount"), QStringLiteral("Count"));
        m_urlModel.reload();
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
    }
    if (m_urlModel.columnCount() == 2) {
        m_urlGrid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        m_urlGrid->setColumnWidth(1, 70);
    }
    m_urlGrid->scrollToTop();
    if (m_urlGrid->selectionModel())
        connect(m_urlGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &TSTMixForm::UpdateCommands, Qt::UniqueConnection);
    UpdateCommands();
}

QStringList TSTMixForm::SelectedUrls() const
{
    QStringList urls;
    if (!m_urlGrid->selectionModel())
        return urls;
    for (const QModelIndex& index : m_urlGrid->selectionModel()->selectedRows(0))
        urls << index.data().toString();
    return urls;
}

void TSTMixForm::AddUrlClick()
{
    QString typed = m_urlEdit->text().trimmed();
    if (typed.isEmpty()) {
        ShowError(QStringLiteral("An address must be entered."));
        return;
    }
    if (!typed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && !typed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        typed.prepend(QStringLiteral("http://"));
    const QString name = typed.toLower();
    if (name.size() > MixHarvest::MaxUrl) {
        ShowError(QStringLiteral("An address may have at most %1 characters.").arg(MixHarvest::MaxUrl));
        return;
    }
    try {
        Table& mix = m_dm.MixTable;
        mix.open();
        if (mix.findKey({name})) {
            ShowError(QStringLiteral("This item is already in the list.<BR>No action taken."));
            return;
        }
        mix.append();
        mix.setValue(QStringLiteral("Name"), name);
        mix.setValue(QStringLiteral("URLCount"), m_countSpin->value());
        mix.setValue(QStringLiteral("SE"), QString());
        mix.post();
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
        return;
    }
    m_urlEdit->clear();
    ReloadUrls();
}

void TSTMixForm::DeleteUrlClick()
{
    const QStringList urls = SelectedUrls();
    if (urls.isEmpty())
        return;
    try {
        Table& mix = m_dm.MixTable;
        mix.open();
        for (const QString& url : urls)
            if (mix.findKey({url}))
                mix.remove();
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
    }
    ReloadUrls();
    FillDetailTree();
}

void TSTMixForm::AddToUrlListClick()
{
    const QStringList urls = SelectedUrls();
    if (urls.isEmpty())
        return;
    TAddURLForm form(m_dm, urls, this);
    form.exec();
}

void TSTMixForm::DetailClick()
{
    UpdateCommands();
    if (!m_detail->isEnabled())
        return;
    ApplySettingsFromControls();
    m_log->clear();
    SetRunning(true);
    const auto finished = qScopeGuard([this] {
        SetRunning(false);
        ReloadUrls();
        FillDetailTree();
        if (m_closeWhenDone)
            done(QDialog::Rejected);
    });
    DetailOptions options;
    options.minDens = m_settings.MinDens;
    options.passSize = m_settings.PassSize;
    options.deleteBadLinks = m_settings.BadLinks;
    options.connections = std::max(1, m_dm.Settings.Connections);
    for (const QString& word : TermFilters::load(m_dm.Settings.DataFolder))
        options.filter.insert(word.toLower());
    MixEvents events;
    events.log = [this](const QString& line) { Log(line); };
    events.aborted = [this] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return m_abort;
    };
    try {
        m_urlModel.setDataset(nullptr);
        const DetailCounts counts =
            DetailRun::Run(m_dm.MixTable, m_dm.PhraseTable, m_dm.Settings, options, events);
        Log(QStringLiteral("%1 pages read, %2 could not be used").arg(counts.read).arg(counts.failed));
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
        return;
    }
    if (!m_abort)
        showPage(DetailPage);
}

// Page 3: detail -----------------------------------------------------------

void TSTMixForm::FillDetailTree()
{
    m_tree->clear();
    try {
        Table& mix = m_dm.MixTable;
        mix.open();
        for (mix.first(); !mix.eof(); mix.next()) {
            auto* site = new QTreeWidgetItem(m_tree, {mix.asString(QStringLiteral("Name"))});
            new QTreeWidgetItem(site, {TitleBranch + mix.asString(QStringLiteral("MetaTitle"))});
            new QTreeWidgetItem(site, {DescriptionBranch + mix.asString(QStringLiteral("MetaDesc"))});
            const struct
            {
                const QString& branch;
                const char* column;
            } lists[] = {{EnginesBranch, "SE"}, {TagsBranch, "MetaST"}, {DensityBranch, "KWDensity"}};
            for (const auto& list : lists) {
                auto* branch = new QTreeWidgetItem(site, {list.branch});
                for (const QString& line : lines(mix.asString(QLatin1String(list.column))))
                    new QTreeWidgetItem(branch, {line});
            }
        }
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
    }
}

QStringList TSTMixForm::SelectedTerms() const
{
    QStringList terms;
    if (currentPage() == DetailPage) {
        const QTreeWidgetItem* item = m_tree->currentItem();
        if (!item || !item->parent())
            return terms;
        const QString branch = item->parent()->text(0);
        if (branch == TagsBranch)
            terms << item->text(0);
        else if (branch == DensityBranch)
            terms << item->text(0).section(QStringLiteral(")->"), 1);
    } else if (currentPage() == MergedPage) {
        for (const QModelIndex& index : m_merged->selectionModel()->selectedRows(2))
            terms << index.data().toString();
    }
    terms.removeAll(QString());
    return terms;
}

void TSTMixForm::AddToFilterClick()
{
    QString word = m_filterEdit->text().trimmed();
    if (word.isEmpty() && currentPage() == DetailPage) {
        const QStringList highlighted = SelectedTerms();
        if (!highlighted.isEmpty())
            word = highlighted.first();
    }
    if (const QString fault = TermFilters::wordFault(word); !fault.isEmpty()) {
        ShowError(fault);
        return;
    }
    const QString folder = m_dm.Settings.DataFolder;
    QStringList words = TermFilters::load(folder);
    if (words.contains(word, Qt::CaseInsensitive)) {
        ShowError(QStringLiteral("Item already exists in filter.<BR>No action taken."));
        return;
    }
    words << word;
    QString error;
    if (!TermFilters::save(folder, words, &error)) {
        ShowError(error.toHtmlEscaped());
        return;
    }
    m_filterEdit->clear();
    Log(QStringLiteral("\"%1\" added to the filter").arg(word));
}

void TSTMixForm::AddToTermListClick()
{
    for (const QString& term : SelectedTerms()) {
        TAddSTForm form(m_dm, this);
        form.TermLabel->setText(term);
        form.exec();
    }
}

// Page 4: merged data ------------------------------------------------------

void TSTMixForm::FillMergedGrid()
{
    QList<MergedRow> rows;
    try {
        rows = MergedData::FromTables(m_dm.MixTable, m_dm.PhraseTable);
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
    }
    m_merged->clearContents();
    m_merged->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const MergedRow& row = rows.at(r);
        const QStringList cells{QString::number(row.tagCount), QString::number(row.densityCount), row.term};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (c < 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_merged->setItem(r, c, item);
        }
    }
    m_merged->resizeColumnToContents(0);
    m_merged->resizeColumnToContents(1);
}

// Filters and reports ------------------------------------------------------

void TSTMixForm::FiltersClick()
{
    TSTFilterForm form(m_dm, this);
    form.exec();
}

bool TSTMixForm::FillReportTable()
{
    try {
        Query query(&m_dm.General);
        switch (currentPage()) {
        case UrlPage:
            ReportTable::recreateFromQuery(
                query,
                m_sortByName
                    ? QStringLiteral("SELECT Name AS URL, URLCount AS Count INTO CVReportTemp FROM CVMix "
                                     "ORDER BY Name, URLCount")
                    : QStringLiteral("SELECT Name AS URL, URLCount AS Count INTO CVReportTemp FROM CVMix "
                                     "ORDER BY URLCount, Name"));
            return true;
        case DetailPage:
            ReportTable::recreateFromQuery(
                query,
                QStringLiteral("SELECT Name AS URL, URLCount AS Count, MetaTitle AS Title, MetaDesc AS "
                               "Description, MetaST AS Keywords, KWDensity AS Density INTO CVReportTemp "
                               "FROM CVMix ORDER BY Name"));
            return true;
        case MergedPage: {
            const QStringList headers{QStringLiteral("Tag Count"), QStringLiteral("Density Count"),
                                      QStringLiteral("Search Term")};
            QList<FieldDef> fields;
            fields << FieldDef{headers.at(0), FieldType::Integer, 0, false}
                   << FieldDef{headers.at(1), FieldType::Integer, 0, false}
                   << FieldDef{headers.at(2), FieldType::String, 255, false};
            ReportTable::recreate(m_dm.General, fields);
            Table report(&m_dm.General, QLatin1String(ReportTable::Name));
            report.open();
            for (const MergedRow& row : MergedData::FromTables(m_dm.MixTable, m_dm.PhraseTable)) {
                report.append();
                report.setValue(headers.at(0), row.tagCount);
                report.setValue(headers.at(1), row.densityCount);
                report.setValue(headers.at(2), row.term);
                report.post();
            }
            return true;
        }
        case SeedPage: break;
        }
    } catch (const DatabaseError& error) {
        ShowError(error.message().toHtmlEscaped());
    }
    return false;
}

void TSTMixForm::RunReportLibrary(const char* entryName)
{
    if (!FillReportTable())
        return;
    const char* reports[] = {"", "VADozeURL", "VADozeDetail", "VADozeMerged"};
    const QString report = QLatin1String(reports[currentPage()]);
    LibraryCalls calls(m_dm, qApp);
    calls.ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::CentredSystemText);
    if (qstrcmp(entryName, "_RunPrint") == 0)
        calls.RunPrint(ReportGroup, report);
    else if (qstrcmp(entryName, "_RunPreview") == 0)
        calls.RunPreview(ReportGroup, report);
    else
        calls.RunReports(ReportGroup, report);
}

void TSTMixForm::PrintClick() { RunReportLibrary("_RunPrint"); }
void TSTMixForm::PageSetupClick() { RunReportLibrary("_RunReports"); }
void TSTMixForm::PreviewClick() { RunReportLibrary("_RunPreview"); }

} // namespace corvane
