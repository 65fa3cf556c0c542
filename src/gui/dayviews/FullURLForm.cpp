#include "gui/dayviews/FullURLForm.h"

#include "core/data/DatabaseError.h"
#include "core/data/SqlQuote.h"
#include "core/datamodule/DM1.h"
#include "core/dayviews/FullUrlQuery.h"
#include "core/export/ExportData.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/settings/Settings.h"
#include "gui/charts/ChartWindowSupport.h"
#include "gui/export/ExportWizardForm.h"
#include "gui/widgets/BrowserPane.h"
#include "gui/widgets/DesktopLinks.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <stdexcept>

namespace corvane {

namespace {

constexpr int LinkRole = Qt::UserRole + 1;
const QString ColumnSection = QStringLiteral("URLFullPath");
const QString SupportAddress = QStringLiteral("mailto:support@corvane.org?subject=Full%20URL%20inaccuracies");

// Grid columns after the fixed first one, with the grouping entry each shows.
const char* const GridColumns[] = {"Full Path", "URL", "Search Engine", "Search Term", "Rank", "Page"};
const char* const ResultColumns[] = {"MemoFoundLink", "URL", "SearchEngine", "SearchTerm", "Rank", "Page"};

QString centred(const QString& text)
{
    return QStringLiteral("<P align=\"center\">") + text + QStringLiteral("</P>");
}

} // namespace

TFullURLForm::TFullURLForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, FormSections::CVFullURL, HelpContexts::FullUrl, parent)
    , m_result(&dataModule.General)
    , m_projects(new QComboBox)
    , m_date(new QDateEdit)
    , m_grouping(new QListWidget)
    , m_lists(new QStackedWidget)
    , m_grid(new QTreeView)
    , m_model(new QStandardItemModel(this))
    , m_integrated(new QCheckBox(QStringLiteral("Integrated Browser")))
    , m_address(new QLineEdit)
    , m_browser(new BrowserPane)
    , m_status(new QLabel)
    , m_records(new QLabel(QStringLiteral("0 Records")))
    , m_browserStatus(new QLabel)
    , m_bytes(new QLabel)
{
    OneLineNames::apply(*m_grid);
    OneLineNames::apply(*m_projects);
    setObjectName(QStringLiteral("FullURLForm"));
    setWindowTitle(QStringLiteral("URL Full Path"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(1200, 800);

    auto* menuBar = new QMenuBar;
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open Settings..."), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                    &TFullURLForm::Open1Click);
    file->addAction(QStringLiteral("&Save Settings..."), QKeySequence(Qt::CTRL | Qt::Key_S), this,
                    &TFullURLForm::Save1Click);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xport..."), QKeySequence(Qt::CTRL | Qt::Key_X), this,
                    &TFullURLForm::Export1Click);
    file->addAction(QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                    &TFullURLForm::Print1Click);
    file->addAction(QStringLiteral("Pre&view..."), this, &TFullURLForm::Preview1Click);
    file->addAction(QStringLiteral("Print &Design..."), this, &TFullURLForm::Design1Click);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &QDialog::reject);

    auto* intro =
        new QLabel(QStringLiteral("Use URL Full Path to identify the exact pages that are represented in the "
                                  "ranking results.  Hint; when dealing with large projects, queries will "
                                  "display faster when Inludes are checked."));
    intro->setWordWrap(true);

    // Left: project, day, grouping order, the three check lists.
    m_projects->setObjectName(QStringLiteral("ComboBox1"));
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    m_grouping->setObjectName(QStringLiteral("ListBox1"));
    m_grouping->addItems(FullUrlQuery::defaultGrouping());
    m_grouping->setCurrentRow(0);
    m_grouping->setMaximumHeight(m_grouping->sizeHintForRow(0) * 6 + 8);
    auto* up = new QPushButton(QStringLiteral("Up"));
    auto* down = new QPushButton(QStringLiteral("Down"));
    auto* orderButtons = new QVBoxLayout;
    orderButtons->addWidget(up);
    orderButtons->addWidget(down);
    orderButtons->addStretch(1);
    auto* orderRow = new QHBoxLayout;
    orderRow->addWidget(m_grouping, 1);
    orderRow->addLayout(orderButtons);
    auto* orderBox = new QGroupBox(QStringLiteral("Grouping"));
    orderBox->setLayout(orderRow);

    const char* const listNames[] = {"Search Term", "Search Engine", "URL"};
    auto* listRadios = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        m_listButtons[i] = new QRadioButton(QLatin1String(listNames[i]));
        listRadios->addWidget(m_listButtons[i]);
        m_checkLists[i] = new QListWidget;
        OneLineNames::apply(*m_checkLists[i]);
        m_checkLists[i]->setObjectName(QStringLiteral("CheckList%1").arg(i));
        m_lists->addWidget(m_checkLists[i]);
        connect(m_listButtons[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                m_lists->setCurrentIndex(i);
        });
    }
    m_listButtons[0]->setChecked(true);
    auto* clearCurrent = new QPushButton(QStringLiteral("Clear Current"));
    auto* clearAll = new QPushButton(QStringLiteral("Clear All"));
    auto* clearRow = new QHBoxLayout;
    clearRow->addWidget(clearCurrent);
    clearRow->addWidget(clearAll);
    auto* includeBox = new QGroupBox(QStringLiteral("Includes"));
    auto* includeLayout = new QVBoxLayout(includeBox);
    includeLayout->addLayout(listRadios);
    includeLayout->addWidget(m_lists, 1);
    includeLayout->addLayout(clearRow);

    auto* run = new QPushButton(QStringLiteral("Run"));
    run->setObjectName(QStringLiteral("RunButton"));
    auto* expand = new QPushButton(QStringLiteral("Expand All"));
    auto* collapse = new QPushButton(QStringLiteral("Collapse All"));
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(run);
    runRow->addWidget(expand);
    runRow->addWidget(collapse);

    auto* inaccuracies = new QLabel(
        QStringLiteral("Report inaccuracies -- <a href=\"%1\">click here</a>").arg(SupportAddress));
    inaccuracies->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(inaccuracies, &QLabel::linkActivated, this,
            [](const QString& link) { DesktopLinks::openAddress(link); });

    auto* choices = new QFormLayout;
    choices->addRow(QStringLiteral("Project"), m_projects);
    choices->addRow(QStringLiteral("Date"), m_date);
    auto* left = new QVBoxLayout;
    left->addLayout(choices);
    left->addWidget(orderBox);
    left->addWidget(includeBox, 1);
    left->addLayout(runRow);
    left->addWidget(inaccuracies);
    auto* leftPanel = new QWidget;
    leftPanel->setLayout(left);
    leftPanel->setMinimumWidth(280);
    leftPanel->setMaximumWidth(360);

    // Right: the grid above the browser.
    m_grid->setObjectName(QStringLiteral("FullURLGrid"));
    m_grid->setModel(m_model);
    m_grid->setUniformRowHeights(true);
    m_grid->setAlternatingRowColors(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_model->setColumnCount(7);
    connect(m_grid, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { OpenLink(index.data(LinkRole).toString()); });

    m_integrated->setObjectName(QStringLiteral("IntegratedBrowser"));
    m_integrated->setChecked(m_dm.Settings.FullPathBrowser);
    m_address->setObjectName(QStringLiteral("AddressBox"));
    m_address->setPlaceholderText(QStringLiteral("Address"));
    auto* goButton = new QPushButton(QStringLiteral("Go/Refresh"));
    goButton->setAutoDefault(false);
    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(m_integrated);
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(goButton);
    auto* browserPanel = new QWidget;
    auto* browserLayout = new QVBoxLayout(browserPanel);
    browserLayout->setContentsMargins(0, 0, 0, 0);
    browserLayout->addLayout(addressRow);
    browserLayout->addWidget(m_browser, 1);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_grid);
    splitter->addWidget(browserPanel);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 340});

    auto* body = new QHBoxLayout;
    body->addWidget(leftPanel);
    body->addWidget(splitter, 1);

    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(createHelpButton());
    bottom->addWidget(close);

    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    m_status->setObjectName(QStringLiteral("ProgressPanel"));
    m_status->setMinimumWidth(200);
    m_records->setObjectName(QStringLiteral("RecordsPanel"));
    m_records->setMinimumWidth(110);
    m_browserStatus->setObjectName(QStringLiteral("BrowserStatus"));
    m_bytes->setObjectName(QStringLiteral("BytesPanel"));
    m_bytes->setMinimumWidth(110);
    status->addWidget(m_status);
    status->addWidget(m_records);
    status->addWidget(m_browserStatus, 1);
    status->addWidget(m_bytes);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(intro);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    layout->addWidget(status);

    for (QPushButton* button : {up, down, clearCurrent, clearAll, run, expand, collapse})
        button->setAutoDefault(false);
    connect(up, &QPushButton::clicked, this, &TFullURLForm::UpButtonClick);
    connect(down, &QPushButton::clicked, this, &TFullURLForm::DownButtonClick);
    connect(clearCurrent, &QPushButton::clicked, this, &TFullURLForm::ClearCurrentClick);
    connect(clearAll, &QPushButton::clicked, this, &TFullURLForm::ClearAllClick);
    connect(run, &QPushButton::clicked, this, &TFullURLForm::RunButtonClick);
    connect(expand, &QPushButton::clicked, this, &TFullURLForm::ExpandAllClick);
    connect(collapse, &QPushButton::clicked, this, &TFullURLForm::CollapseAllClick);
    connect(goButton, &QPushButton::clicked, this, &TFullURLForm::AddressGoClick);
    connect(m_address, &QLineEdit::returnPressed, this, &TFullURLForm::AddressGoClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_projects, &QComboBox::currentIndexChanged, this, &TFullURLForm::ComboBox1Change);
    connect(m_browser, &BrowserPane::statusTextChanged, m_browserStatus, &QLabel::setText);
    connect(m_browser, &BrowserPane::bytesReceivedChanged, this,
            [this](qint64 bytes) { m_bytes->setText(QString::number(bytes) + QStringLiteral(" bytes")); });
    connect(m_browser, &BrowserPane::urlChanged, this, [this](const QUrl& url) {
        if (!url.isEmpty())
            m_address->setText(url.toDisplayString());
    });

    restorePlacement();
    RestoreColumnWidths();
    ChartWindowSupport::fillProjects(m_dm, *m_projects, m_dm.Settings.Project);
    ComboBox1Change();
}

TFullURLForm::~TFullURLForm() { m_result.close(); }

void TFullURLForm::done(int result)
{
    m_dm.WriteSetting(QLatin1String(SettingsKeys::StartupSettings), QStringLiteral("FullPathBrowser"),
                      SettingText::fromFlag(m_integrated->isChecked()));
    m_dm.Settings.FullPathBrowser = m_integrated->isChecked();
    StoreColumnWidths();
    ToolWindow::done(result);
}

QListWidget* TFullURLForm::list(List which) const { return m_checkLists[static_cast<int>(which)]; }
QString TFullURLForm::project() const { return m_projects->currentText(); }
void TFullURLForm::setDate(const QDate& day) { m_date->setDate(day); }
QDate TFullURLForm::date() const { return m_date->date(); }
QString TFullURLForm::recordsText() const { return m_records->text(); }
QString TFullURLForm::statusText() const { return m_status->text(); }
QString TFullURLForm::browserStatusText() const { return m_browserStatus->text(); }
QString TFullURLForm::bytesText() const { return m_bytes->text(); }
int TFullURLForm::visibleList() const { return m_lists->currentIndex(); }
void TFullURLForm::showList(List which) { m_listButtons[static_cast<int>(which)]->setChecked(true); }

void TFullURLForm::setProject(const QString& project)
{
    const int index = m_projects->findText(project, Qt::MatchExactly);
    if (index == m_projects->currentIndex())
        ComboBox1Change();
    else
        m_projects->setCurrentIndex(index);
}

QStringList TFullURLForm::grouping() const
{
    QStringList order;
    for (int i = 0; i < m_grouping->count(); ++i)
        order << m_grouping->item(i)->text();
    return order;
}

void TFullURLForm::setGrouping(const QStringList& order)
{
    m_grouping->clear();
    m_grouping->addItems(order);
    m_grouping->setCurrentRow(0);
}

QStringList TFullURLForm::items(List which) const
{
    QStringList texts;
    for (int i = 0; i < list(which)->count(); ++i)
        texts << list(which)->item(i)->text();
    return texts;
}

QStringList TFullURLForm::checkedItems(List which) const
{
    QStringList texts;
    for (int i = 0; i < list(which)->count(); ++i)
        if (list(which)->item(i)->checkState() == Qt::Checked)
            texts << list(which)->item(i)->text();
    return texts;
}

bool TFullURLForm::checkItem(List which, const QString& text, bool checked)
{
    for (int i = 0; i < list(which)->count(); ++i)
        if (list(which)->item(i)->text() == text) {
            list(which)->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
            return true;
        }
    return false;
}

void TFullURLForm::ShowCentred(const QString& title, const QString& text)
{
    m_dm.ShowMessageBox(MessageButtons::Ok, title, centred(text), true, {});
}

void TFullURLForm::ComboBox1Change()
{
    for (QListWidget* checkList : m_checkLists)
        checkList->clear();
    const QString name = project();
    if (name.isEmpty())
        return;
    const struct
    {
        List which;
        const char* statement;
        const char* column;
    } sources[] = {{List::Terms, "SELECT Virtual FROM CVST WHERE Project = ", "Virtual"},
                   {List::Engines, "SELECT Name FROM CVSE3 WHERE Project = ", "Name"},
                   {List::Urls, "SELECT Name FROM CVURL WHERE Project = ", "Name"}};
    for (const auto& source : sources) {
        Query query(&m_dm.General, QLatin1String(source.statement) + SqlQuote::quoted(name));
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            auto* item =
                new QListWidgetItem(query.asString(QLatin1String(source.column)), list(source.which));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    Query projectRow(&m_dm.General,
                     QStringLiteral("SELECT LastRun, FullURLData FROM CVProject WHERE Name = ")
                         + SqlQuote::quoted(name));
    projectRow.open();
    const QDate lastRun =
        projectRow.eof() ? QDate() : projectRow.value(QStringLiteral("LastRun")).toDateTime().date();
    m_date->setDate(lastRun.isValid() ? lastRun : QDate::currentDate());
    if (!projectRow.eof() && !projectRow.asBoolean(QStringLiteral("FullURLData")))
        ShowCentred(QStringLiteral("Full URL"),
                    QStringLiteral("Full URL Data is not enabled in this project.<BR>Use "
                                   "the project Wizard to enable it and rerun Harvester."));
}

void TFullURLForm::UpButtonClick()
{
    const int row = m_grouping->currentRow();
    if (row <= 0)
        return;
    m_grouping->insertItem(row - 1, m_grouping->takeItem(row));
    m_grouping->setCurrentRow(row - 1);
}

void TFullURLForm::DownButtonClick()
{
    const int row = m_grouping->currentRow();
    if (row < 0 || row >= m_grouping->count() - 1)
        return;
    m_grouping->insertItem(row + 1, m_grouping->takeItem(row));
    m_grouping->setCurrentRow(row + 1);
}

void TFullURLForm::ClearCurrentClick()
{
    QListWidget* current = m_checkLists[m_lists->currentIndex()];
    for (int i = 0; i < current->count(); ++i)
        current->item(i)->setCheckState(Qt::Unchecked);
}

void TFullURLForm::ClearAllClick()
{
    for (QListWidget* checkList : m_checkLists)
        for (int i = 0; i < checkList->count(); ++i)
            checkList->item(i)->setCheckState(Qt::Unchecked);
}

void TFullURLForm::ExpandAllClick() { m_grid->expandAll(); }
void TFullURLForm::CollapseAllClick() { m_grid->collapseAll(); }

void TFullURLForm::SetStatus(const QString& text)
{
    m_status->setText(text);
    m_runStatuses << text;
    m_status->repaint();
}

FullUrlSettings TFullURLForm::currentSettings() const
{
    FullUrlSettings settings;
    settings.project = project();
    settings.day = date();
    settings.selection.terms = checkedItems(List::Terms);
    settings.selection.engines = checkedItems(List::Engines);
    settings.selection.urls = checkedItems(List::Urls);
    settings.selection.grouping = grouping();
    return settings;
}

void TFullURLForm::RunButtonClick() { RunQuery(); }

void TFullURLForm::RunQuery()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([this] {
        QApplication::restoreOverrideCursor();
        m_status->clear();
    });
    m_runStatuses.clear();
    const FullUrlSettings settings = currentSettings();
    m_statement = FullUrlQuery::statement(settings.selection);
    m_resultProject = settings.project;
    try {
        SetStatus(QStringLiteral("Querying..."));
        m_result.close();
        m_result.setSql(FullUrlQuery::runnableStatement(settings.selection, settings.project, settings.day));
        m_result.open();
        SetStatus(QStringLiteral("Creating Report Table..."));
        FullUrlQuery::copyToReport(m_dm.General, m_result);
    } catch (const DatabaseError& error) {
        m_result.close();
        m_model->removeRows(0, m_model->rowCount());
        m_records->setText(QStringLiteral("0 Records"));
        ShowCentred(QStringLiteral("Error"), error.message().toHtmlEscaped());
        return;
    }
    SetStatus(QStringLiteral("Populating Screen..."));
    FillGrid();
}

void TFullURLForm::FillGrid()
{
    m_grid->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { m_grid->setUpdatesEnabled(true); });
    m_model->removeRows(0, m_model->rowCount());

    // Column titles, the primary grouping marked.
    const QString primary = grouping().value(0);
    int primaryColumn = 0;
    m_model->setHorizontalHeaderItem(0, new QStandardItem(QString()));
    for (int c = 0; c < 6; ++c) {
        const QString title = QLatin1String(GridColumns[c]);
        auto* header =
            new QStandardItem(title == primary ? QStringLiteral("**") + title + QStringLiteral("**") : title);
        if (title == primary) {
            header->setForeground(QBrush(Qt::red));
            primaryColumn = c;
        }
        m_model->setHorizontalHeaderItem(c + 1, header);
    }

    QFont linkFont = m_grid->font();
    linkFont.setUnderline(true);
    const QBrush linkColour(QColor(0x1a, 0x4f, 0xb0));
    QStandardItem* root = m_model->invisibleRootItem();
    QStandardItem* node = nullptr;
    QString previous;
    int count = 0;
    for (m_result.first(); !m_result.eof(); m_result.next()) {
        QList<QStandardItem*> row;
        row.reserve(7);
        row << new QStandardItem;
        QString key;
        for (int c = 0; c < 6; ++c) {
            const QString field = QLatin1String(ResultColumns[c]);
            auto* item = new QStandardItem;
            if (c >= 4) {
                item->setData(m_result.asInteger(field), Qt::DisplayRole);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            } else {
                item->setText(m_result.asString(field));
            }
            if (c == 0 && !item->text().isEmpty()) {
                item->setData(item->text(), LinkRole);
                item->setFont(linkFont);
                item->setForeground(linkColour);
            }
            if (c == primaryColumn)
                key = item->text();
            row << item;
        }
        ++count;
        if (!node || key.compare(previous, Qt::CaseInsensitive) != 0) {
            root->appendRow(row);
            node = row.first();
            previous = key;
        } else {
            node->appendRow(row);
        }
    }
    m_result.first();
    // Group nodes show how many rows they hold.
    for (int r = 0; r < root->rowCount(); ++r) {
        QStandardItem* first = root->child(r, 0);
        if (first->rowCount() > 0)
            first->setText(QStringLiteral("%1 rows").arg(first->rowCount() + 1));
    }
    m_grid->collapseAll();
    if (m_grid->header()->sectionSize(1) < 80)
        m_grid->resizeColumnToContents(1);
    m_records->setText(QString::number(count) + QStringLiteral(" records"));
}

void TFullURLForm::OpenLink(const QString& address)
{
    if (address.isEmpty())
        return;
    if (m_integrated->isChecked()) {
        if (DesktopLinks::isWebAddress(address)) {
            m_address->setText(address);
            m_browser->navigate(BrowserPane::addressFromText(address));
        }
    } else {
        DesktopLinks::openWebAddress(address);
    }
}

void TFullURLForm::AddressGoClick() { m_browser->navigateTo(m_address->text()); }

void TFullURLForm::StoreColumnWidths() const
{
    QSettings ini(m_dm.Settings.ExeFolder + QStringLiteral("FORM.INI"), QSettings::IniFormat);
    ini.beginGroup(ColumnSection);
    for (int c = 0; c < m_model->columnCount(); ++c)
        ini.setValue(QStringLiteral("Column%1").arg(c), m_grid->header()->sectionSize(c));
    ini.endGroup();
}

void TFullURLForm::RestoreColumnWidths()
{
    QSettings ini(m_dm.Settings.ExeFolder + QStringLiteral("FORM.INI"), QSettings::IniFormat);
    ini.beginGroup(ColumnSection);
    const int defaults[] = {95, 250, 70, 150, 130, 45, 45};
    for (int c = 0; c < 7; ++c) {
        const int width = ini.value(QStringLiteral("Column%1").arg(c), defaults[c]).toInt();
        m_grid->header()->resizeSection(c, width > 8 ? width : defaults[c]);
    }
    ini.endGroup();
}

void TFullURLForm::Save1Click()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save URL Full Path Settings"),
                                                      QString(), QStringLiteral("Full URL Settings (*.ufp)"));
    if (path.isEmpty())
        return;
    SaveSettings(path.endsWith(QLatin1String(".ufp"), Qt::CaseInsensitive) ? path
                                                                           : path + QStringLiteral(".ufp"));
}

void TFullURLForm::SaveSettings(const QString& filePath)
{
    try {
        FullUrlSettingsFile::write(filePath, currentSettings());
    } catch (const std::runtime_error& error) {
        ShowCentred(QStringLiteral("Error"), QString::fromLocal8Bit(error.what()).toHtmlEscaped());
    }
}

void TFullURLForm::Open1Click()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open URL Full Path Settings"),
                                                      QString(), QStringLiteral("Full URL Settings (*.ufp)"));
    if (!path.isEmpty())
        OpenSettings(path);
}

bool TFullURLForm::OpenSettings(const QString& filePath)
{
    FullUrlSettings settings;
    try {
        settings = FullUrlSettingsFile::read(filePath);
    } catch (const std::runtime_error& error) {
        ShowCentred(QStringLiteral("Error"),
                    QString(QDir::toNativeSeparators(filePath)
                            + QStringLiteral(" is not a Full URL settings file: ")
                            + QString::fromLocal8Bit(error.what()))
                        .toHtmlEscaped());
        return false;
    }
    if (m_projects->findText(settings.project, Qt::MatchExactly) < 0) {
        const MessageAnswer answer = m_dm.ShowMessageBox(
            MessageButtons::YesNo, QStringLiteral("Warning"),
            centred(QStringLiteral("Project in this setting no longer exists. Do you wish to delete it?")),
            true, {});
        if (answer == MessageAnswer::Yes)
            QFile::remove(filePath);
        return false;
    }
    setProject(settings.project);
    m_date->setDate(settings.day);
    setGrouping(settings.selection.grouping);
    const struct
    {
        List which;
        const QStringList* names;
        const char* word;
    } lists[] = {{List::Terms, &settings.selection.terms, "Search Term "},
                 {List::Engines, &settings.selection.engines, "Search Engine "},
                 {List::Urls, &settings.selection.urls, "URL "}};
    for (const auto& entry : lists)
        for (const QString& name : *entry.names)
            if (!checkItem(entry.which, name))
                ShowCentred(QStringLiteral("Warning"),
                            QLatin1String(entry.word) + name.toHtmlEscaped()
                                + QStringLiteral(" not found.<BR>Resaving will correct the problem."));
    RunQuery();
    return true;
}

void TFullURLForm::Export1Click()
{
    if (!m_result.isOpen())
        return;
    m_grid->expandAll();
    const QString folder = QDir::currentPath();
    ExportData exported = ExportData::fromDataset(m_result, QStringLiteral("FullURL"));
    m_result.first();
    for (ExportColumn& column : exported.columns)
        if (column.name.compare(QLatin1String("MemoFoundLink"), Qt::CaseInsensitive) == 0)
            column.name = QStringLiteral("FoundLink");
    TExportWizardForm wizard(m_dm, std::move(exported), QStringLiteral("Project ") + m_resultProject,
                             QStringLiteral("FullURL"), this);
    wizard.exec();
    QDir::setCurrent(folder);
}

// 0 print, 1 preview, 2 design, with the report "FullURL".
void TFullURLForm::RunReportLibrary(int mode)
{
    if (!m_result.isOpen())
        return;
    try {
        FullUrlQuery::copyToReport(m_dm.General, m_result);
    } catch (const DatabaseError& error) {
        ShowCentred(QStringLiteral("Error"), error.message().toHtmlEscaped());
        return;
    }
    LibraryCalls calls(m_dm, qApp);
    calls.ReportFailuresAs(QStringLiteral("Error"), LibraryCalls::FailureText::SystemText);
    const QString report = QStringLiteral("FullURL");
    if (mode == 0)
        calls.RunPrint(m_resultProject, report);
    else if (mode == 1)
        calls.RunPreview(m_resultProject, report);
    else
        calls.RunReports(m_resultProject, report);
}

void TFullURLForm::Print1Click() { RunReportLibrary(0); }
void TFullURLForm::Preview1Click() { RunReportLibrary(1); }
void TFullURLForm::Design1Click() { RunReportLibrary(2); }

} // namespace corvane
