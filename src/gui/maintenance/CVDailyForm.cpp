#include "gui/maintenance/CVDailyForm.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/data/SqlQuote.h"
#include "core/data/TableDatabase.h"
#include "core/help/HelpContexts.h"
#include "core/platform/Registry.h"
#include "core/settings/Settings.h"
#include "gui/help/HelpForm.h"
#include "gui/widgets/BrowserPane.h"
#include "gui/widgets/FormPlacement.h"
#include "gui/widgets/OneLineNames.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QString NoData =
    QStringLiteral("No data exists for this project.  Has Harvester been run for this project?");

QString startupKey() { return SettingsKeys::path(QLatin1String(SettingsKeys::StartupSettings)); }

int storedIndex(const QString& text, int count)
{
    const std::optional<int> value = SettingText::toInteger(text);
    return value && *value >= 0 && *value < count ? *value : 0;
}

} // namespace

QString TCVDailyForm::defaultInformation()
{
    return QStringLiteral(
        "Daily Results will show ranking values from a single day for the selected project.  Use "
        "Detail Chart or Grid for refined and versatile displays.  If results are too large, "
        "consider using multiple projects instead of just this one.");
}

TCVDailyForm::TCVDailyForm(QWidget* parent)
    : QDialog(parent)
    , m_projects(new QComboBox)
    , m_dates(new QComboBox)
    , m_groupBy(new QComboBox)
    , m_thenBy(new QComboBox)
    , m_showIndex(new QCheckBox(QStringLiteral("Show Index")))
    , m_run(new QPushButton(QStringLiteral("Run")))
    , m_print(new QPushButton(QStringLiteral("Print...")))
    , m_close(new QPushButton(QStringLiteral("Close")))
    , m_label(new QLabel)
    , m_information(new QLabel(defaultInformation()))
    , m_browser(new BrowserPane)
{
    OneLineNames::apply(*m_projects);
    setObjectName(QStringLiteral("CVDailyForm"));
    setWindowTitle(QStringLiteral("Daily Results"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(980, 720);

    const Registry registry;
    const RegistryKey locations(registry, SettingsKeys::path(QLatin1String(SettingsKeys::FileLocations)));
    m_dataFolder = locations.readString(QStringLiteral("DataFolder"));
    m_programFolder = locations.readString(QStringLiteral("ExeFolder"));
    m_placement = new FormPlacement(this, QLatin1String(FormSections::DailyForm),
                                    m_programFolder + QStringLiteral("FORM.INI"));

    m_projects->setObjectName(QStringLiteral("ProjectList"));
    m_projects->setMinimumWidth(200);
    m_projects->setStatusTip(QStringLiteral("The project whose rankings are shown"));
    m_dates->setObjectName(QStringLiteral("DateList"));
    m_dates->setStatusTip(QStringLiteral("The day of the rankings; only days with rankings are listed"));
    m_groupBy->setObjectName(QStringLiteral("GroupByList"));
    m_groupBy->addItems(DailyResults::groupChoices());
    m_groupBy->setStatusTip(QStringLiteral("The main groups of the page"));
    m_thenBy->setObjectName(QStringLiteral("ThenByList"));
    m_thenBy->setStatusTip(QStringLiteral("The groups within each main group"));

    const char* const orderTexts[] = {"Order By Rank", "Order By 1st Column", "Order By Page"};
    auto* orders = new QButtonGroup(this);
    auto* orderBox = new QGroupBox;
    auto* orderLayout = new QVBoxLayout(orderBox);
    for (int i = 0; i < 3; ++i) {
        m_orders[i] = new QRadioButton(QLatin1String(orderTexts[i]));
        m_orders[i]->setObjectName(QStringLiteral("Order%1").arg(i));
        orders->addButton(m_orders[i], i);
        orderLayout->addWidget(m_orders[i]);
    }
    m_orders[0]->setStatusTip(QStringLiteral("Each group lists its lines by position"));
    m_orders[1]->setStatusTip(QStringLiteral("Each group lists its lines by name"));
    m_orders[2]->setStatusTip(QStringLiteral("Each group lists its lines by result page"));
    m_showIndex->setObjectName(QStringLiteral("ShowIndex"));
    m_showIndex->setStatusTip(
        QStringLiteral("A list of the main groups, linked to each, at the top of the page"));
    orderLayout->addWidget(m_showIndex);

    auto* choices = new QFormLayout;
    choices->addRow(QStringLiteral("Project"), m_projects);
    choices->addRow(QStringLiteral("Date"), m_dates);
    choices->addRow(QStringLiteral("Group by"), m_groupBy);
    choices->addRow(QStringLiteral("Then by"), m_thenBy);

    m_run->setObjectName(QStringLiteral("RunButton"));
    m_run->setStatusTip(QStringLiteral("Builds the page of the chosen day"));
    m_print->setObjectName(QStringLiteral("PrintButton"));
    m_print->setStatusTip(QStringLiteral("A print preview of the page, from which it prints"));
    m_close->setObjectName(QStringLiteral("CloseButton"));
    auto* help = new QPushButton(QStringLiteral("?"));
    help->setFixedWidth(32);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpForm::showTopic(HelpContexts::DailyResults, this); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_run);
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    auto* lower = new QHBoxLayout;
    lower->addWidget(help);
    lower->addWidget(m_close);
    buttons->addLayout(lower);

    m_label->setObjectName(QStringLiteral("LabelLine"));
    m_label->setStyleSheet(QStringLiteral("font-weight: bold; color: #1f4e8c;"));
    m_information->setObjectName(QStringLiteral("Information"));
    m_information->setWordWrap(true);
    m_information->setMinimumWidth(240);
    m_information->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_information->setStyleSheet(QStringLiteral("color: #444;"));

    auto* top = new QHBoxLayout;
    top->addLayout(choices, 2);
    top->addWidget(orderBox);
    top->addWidget(m_information, 2);
    top->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_label);
    layout->addWidget(m_browser, 1);

    for (QPushButton* button : {m_run, m_print, m_close})
        button->setAutoDefault(false);
    m_print->setEnabled(false);

    connect(m_projects, &QComboBox::currentIndexChanged, this, &TCVDailyForm::ProjectChange);
    connect(m_dates, &QComboBox::currentIndexChanged, this, &TCVDailyForm::UpdateRun);
    connect(m_groupBy, &QComboBox::currentIndexChanged, this, &TCVDailyForm::GroupByChange);
    connect(m_thenBy, &QComboBox::currentIndexChanged, this, &TCVDailyForm::UpdateRun);
    connect(m_run, &QPushButton::clicked, this, &TCVDailyForm::RunButtonClick);
    connect(m_print, &QPushButton::clicked, this, &TCVDailyForm::PrintButtonClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    // The stored choices.
    const RegistryKey startup(registry, startupKey());
    {
        const QSignalBlocker hold(m_groupBy);
        m_groupBy->setCurrentIndex(storedIndex(startup.readString(QStringLiteral("DailyGroup1")), 3));
    }
    m_thenBy->addItems(DailyResults::thenByChoices(m_groupBy->currentText()));
    m_thenBy->setCurrentIndex(storedIndex(startup.readString(QStringLiteral("DailyGroup2")), 2));
    const std::optional<int> storedOrder =
        SettingText::toInteger(startup.readString(QStringLiteral("DailyOrder")));
    m_orders[storedOrder && *storedOrder >= 0 && *storedOrder <= 2 ? *storedOrder : 0]->setChecked(true);
    m_showIndex->setChecked(SettingText::toFlag(startup.readString(QStringLiteral("DailyShow"))));
    m_placement->restore();
    UpdateRun();
}

TCVDailyForm::~TCVDailyForm() = default;

void TCVDailyForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

bool TCVDailyForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_information->setText(tip.isEmpty() ? defaultInformation() : tip);
        return true;
    }
    return QDialog::event(event);
}

void TCVDailyForm::FormShow()
{
    m_label->setText(QStringLiteral("Filling projects"));
    QStringList projects;
    try {
        Session session(QStringLiteral("DailyFormSession"));
        Database database(QStringLiteral("DailyFormDatabase"), &session);
        database.setDirectory(m_dataFolder);
        database.connect();
        Query query(&database, QStringLiteral("SELECT Name FROM CVProject"));
        query.open();
        for (query.first(); !query.eof(); query.next())
            projects << query.asString(QStringLiteral("Name"));
    } catch (const DatabaseError& e) {
        m_label->setText(e.message());
        return;
    }
    projects.sort(Qt::CaseInsensitive);
    {
        const QSignalBlocker hold(m_projects);
        m_projects->clear();
        m_projects->addItems(projects);
        m_projects->setCurrentIndex(m_projects->findText(m_projectName, Qt::MatchExactly));
    }
    m_label->clear();
    FillDates();
}

void TCVDailyForm::ProjectChange() { FillDates(); }

void TCVDailyForm::FillDates()
{
    const QSignalBlocker hold(m_dates);
    m_dates->clear();
    const QString project = m_projects->currentText();
    if (project.isEmpty()) {
        UpdateRun();
        return;
    }
    m_label->setText(QStringLiteral("Filling dates"));
    try {
        Session session(QStringLiteral("DailyFormSession"));
        Database database(QStringLiteral("DailyFormDatabase"), &session);
        database.setDirectory(m_dataFolder);
        database.connect();
        Query query(&database,
                    QStringLiteral("SELECT DISTINCT xDate FROM CVRANK WHERE Project = ")
                        + SqlQuote::quoted(project));
        query.open();
        const QLocale locale;
        for (query.first(); !query.eof(); query.next()) {
            const QDate day = query.asDate(QStringLiteral("xDate"));
            m_dates->addItem(locale.toString(day, QLocale::ShortFormat), day);
        }
    } catch (const DatabaseError& e) {
        m_label->setText(e.message());
        UpdateRun();
        return;
    }
    if (m_dates->count() > 0) {
        m_label->clear();
        m_dates->setCurrentIndex(m_dates->count() - 1);
    } else {
        m_label->setText(NoData);
    }
    UpdateRun();
}

void TCVDailyForm::GroupByChange()
{
    {
        const QSignalBlocker hold(m_thenBy);
        m_thenBy->clear();
        m_thenBy->addItems(DailyResults::thenByChoices(m_groupBy->currentText()));
        m_thenBy->setCurrentIndex(0);
    }
    UpdateRun();
}

void TCVDailyForm::UpdateRun()
{
    m_run->setEnabled(!m_building && !m_projects->currentText().isEmpty() && m_dates->currentIndex() >= 0
                      && m_groupBy->currentIndex() >= 0 && m_thenBy->currentIndex() >= 0);
}

bool TCVDailyForm::runEnabled() const { return m_run->isEnabled(); }
QString TCVDailyForm::labelLine() const { return m_label->text(); }
QString TCVDailyForm::informationText() const { return m_information->text(); }

int TCVDailyForm::order() const
{
    for (int i = 0; i < 3; ++i)
        if (m_orders[i]->isChecked())
            return i;
    return 0;
}

DailyResults::Input TCVDailyForm::input() const
{
    DailyResults::Input input;
    input.project = m_projects->currentText();
    input.dateText = m_dates->currentText();
    input.day = m_dates->currentData().toDate();
    input.groupBy = m_groupBy->currentText();
    input.thenBy = m_thenBy->currentText();
    input.detailName = DailyResults::detail(input.groupBy, input.thenBy);
    input.order = order();
    input.showIndex = m_showIndex->isChecked();
    input.dataFolder = m_dataFolder;
    input.programFolder = m_programFolder;
    return input;
}

void TCVDailyForm::SetBusy(bool busy)
{
    m_building = busy;
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_projects, m_dates, m_groupBy, m_thenBy, m_close, m_print,
                                         m_showIndex, m_orders[0], m_orders[1], m_orders[2]})
        control->setEnabled(!busy);
    UpdateRun();
}

void TCVDailyForm::RunButtonClick()
{
    if (!runEnabled())
        return;
    m_label->setText(QStringLiteral("Creating report...please wait"));
    SetBusy(true);
    m_print->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto* worker = new DailyThread(input());
    connect(worker, &DailyThread::finishedBuilding, this, &TCVDailyForm::DailyFinished);
    worker->start(QThread::LowPriority);
}

void TCVDailyForm::DailyFinished(const QString& error)
{
    if (error.isEmpty()) {
        m_browser->navigate(QUrl::fromLocalFile(m_programFolder + QLatin1String(DailyResults::PageFile)));
        m_label->clear();
    } else {
        m_label->setText(QStringLiteral("The page could not be built: ") + error);
    }
    SetBusy(false);
    m_print->setEnabled(error.isEmpty());
    QApplication::restoreOverrideCursor();
}

void TCVDailyForm::PrintButtonClick() { m_browser->printPreview(this); }

void TCVDailyForm::WriteSettings()
{
    Registry registry;
    const QString key = startupKey();
    registry.writeString(key, QStringLiteral("DailyGroup1"),
                         SettingText::fromInteger(m_groupBy->currentIndex()));
    registry.writeString(key, QStringLiteral("DailyGroup2"),
                         SettingText::fromInteger(std::max(0, m_thenBy->currentIndex())));
    registry.writeString(key, QStringLiteral("DailyOrder"), SettingText::fromInteger(order()));
    registry.writeString(key, QStringLiteral("DailyShow"), SettingText::fromFlag(m_showIndex->isChecked()));
}

void TCVDailyForm::done(int result)
{
    // Close is disabled while the worker runs; Escape and the title bar wait too.
    if (m_building)
        return;
    WriteSettings();
    m_placement->save();
    QDialog::done(result);
}

} // namespace corvane
