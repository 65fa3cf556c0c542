#include "gui/settings/MiscSettingsForm.h"

#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "core/outside/LibraryCalls.h"
#include "core/platform/AppFolders.h"
#include "core/platform/Registry.h"
#include "core/settings/MiscSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

const char* const LongHintProperty = "longHint";

QSpinBox* newSpin(QWidget* parent, int minimum, int maximum)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(minimum, maximum);
    spin->setAccelerated(true);
    return spin;
}

} // namespace

QString TMiscSettingsForm::DefaultDescription()
{
    return QStringLiteral(
        "Connection Settings defines various aspects of how Harvester will run.  This does not "
        "include which Search Engines, URLs and Search Terms to scan.");
}

TMiscSettingsForm::TMiscSettingsForm(TDM1& dataModule, QWidget* parent)
    : ToolWindow(dataModule, nullptr, HelpContexts::MiscellaneousSettings, parent)
    , ESSpinThrottle(newSpin(this, MiscSettings::ThrottleMinimum, MiscSettings::ThrottleMaximum))
    , ESSpinConnections(newSpin(this, MiscSettings::ConnectionsMinimum, MiscSettings::ConnectionsMaximum))
    , DisorderlyCheck(new QCheckBox(QStringLiteral("Disorderly Scan"), this))
    , RandBrowseCheck(new QCheckBox(QStringLiteral("Random Browser Content"), this))
    , AutoCloseCheck(new QCheckBox(QStringLiteral("Shutdown Harvester Automatically"), this))
    , CacheChartsCheck(new QCheckBox(QStringLiteral("Cache Charts After Harvester Is Run"), this))
    , LogRetentionCheck(new QCheckBox(QStringLiteral("Log Retention (days)"), this))
    , LogRetentionSpin(newSpin(this, MiscSettings::RetentionMinimum, MiscSettings::RetentionMaximum))
    , DataRetentionCheck(new QCheckBox(QStringLiteral("Data Retention (days)"), this))
    , DataRetentionSpin(newSpin(this, MiscSettings::RetentionMinimum, MiscSettings::RetentionMaximum))
    , RecommendedGrid(new QTableWidget(4, 2, this))
    , Description(new QLabel(this))
    , AdvThrottleButton(new QPushButton(QStringLiteral("Advanced Throttle..."), this))
    , StuntButton(new QPushButton(QStringLiteral("Set Stunt Values..."), this))
    , EngIncButton(new QPushButton(QStringLiteral("Engine Increment..."), this))
    , HelpButton(createHelpButton())
    , SetButton(new QPushButton(QStringLiteral("Set"), this))
    , CloseButton(new QPushButton(QStringLiteral("Close"), this))
    , m_moduleFolder(AppFolders::binariesFolder())
{
    setWindowTitle(QStringLiteral("Miscellaneous Settings"));
    ESSpinThrottle->setObjectName(QStringLiteral("ESSpinThrottle"));
    ESSpinConnections->setObjectName(QStringLiteral("ESSpinConnections"));

    // Harvester's run
    auto* runBox = new QGroupBox(QStringLiteral("Harvester"), this);
    auto* numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("Throttle"), ESSpinThrottle);
    numbers->addRow(QStringLiteral("Connections"), ESSpinConnections);
    auto* runLayout = new QVBoxLayout(runBox);
    runLayout->addLayout(numbers);
    for (QCheckBox* check : {DisorderlyCheck, RandBrowseCheck, AutoCloseCheck, CacheChartsCheck})
        runLayout->addWidget(check);
    runLayout->addStretch(1);

    // Record retention
    auto* keepBox = new QGroupBox(QStringLiteral("Record Retention"), this);
    auto* keepLayout = new QGridLayout(keepBox);
    keepLayout->addWidget(LogRetentionCheck, 0, 0);
    keepLayout->addWidget(LogRetentionSpin, 0, 1);
    keepLayout->addWidget(DataRetentionCheck, 1, 0);
    keepLayout->addWidget(DataRetentionSpin, 1, 1);
    keepLayout->setColumnStretch(0, 1);

    // Recommended connections, read only
    auto* recommendedBox = new QGroupBox(QStringLiteral("Recommended Connections"), this);
    RecommendedGrid->setHorizontalHeaderLabels({QStringLiteral("Type"), QStringLiteral("Recommended")});
    const char* const rows[][2] = {
        {"Modem", "2 - 6"}, {"ISDN", "5 - 8"}, {"Cable/DSL", "7 - 18"}, {"T-1 or Better", "12+"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c)
            RecommendedGrid->setItem(r, c, new QTableWidgetItem(QLatin1String(rows[r][c])));
    RecommendedGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RecommendedGrid->setSelectionMode(QAbstractItemView::NoSelection);
    RecommendedGrid->setFocusPolicy(Qt::NoFocus);
    RecommendedGrid->verticalHeader()->hide();
    RecommendedGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    RecommendedGrid->horizontalHeader()->setStretchLastSection(true);
    RecommendedGrid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    RecommendedGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RecommendedGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int gridHeight =
        RecommendedGrid->horizontalHeader()->sizeHint().height() + 2 * RecommendedGrid->frameWidth();
    for (int r = 0; r < 4; ++r)
        gridHeight += RecommendedGrid->verticalHeader()->sectionSizeHint(r);
    RecommendedGrid->setFixedHeight(gridHeight);
    RecommendedGrid->setMinimumWidth(RecommendedGrid->horizontalHeader()->length()
                                     + 2 * RecommendedGrid->frameWidth());
    auto* recommendedLayout = new QVBoxLayout(recommendedBox);
    recommendedLayout->addWidget(RecommendedGrid);
    recommendedLayout->addStretch(1);

    // The library's finer settings
    auto* libraryButtons = new QVBoxLayout;
    for (QPushButton* button : {AdvThrottleButton, StuntButton, EngIncButton}) {
        button->setAutoDefault(false);
        libraryButtons->addWidget(button);
    }

    Description->setWordWrap(true);
    Description->setTextFormat(Qt::PlainText);
    Description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Description->setFrameShape(QFrame::StyledPanel);
    Description->setMargin(6);
    Description->setMinimumHeight(Description->fontMetrics().lineSpacing() * 3 + 16);
    Description->setText(DefaultDescription());

    auto* left = new QVBoxLayout;
    left->addWidget(runBox, 1);
    left->addWidget(keepBox);
    auto* right = new QVBoxLayout;
    right->addWidget(recommendedBox);
    right->addLayout(libraryButtons);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    HelpButton->setToolTip(QStringLiteral("Help on the miscellaneous settings"));
    HelpButton->setFixedWidth(HelpButton->fontMetrics().horizontalAdvance(QStringLiteral("??")) + 24);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HelpButton);
    buttons->addStretch(1);
    buttons->addWidget(SetButton);
    buttons->addWidget(CloseButton);
    for (QPushButton* button : {HelpButton, SetButton, CloseButton})
        button->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(Description);
    layout->addLayout(buttons);

    setHint(
        ESSpinThrottle, QStringLiteral("Throttle"),
        QStringLiteral("Slows Harvester down: 1 is full speed, 10 the slowest. Each engine's wait between "
                       "requests is multiplied by this number. Off while the advanced throttle is on."));
    setHint(ESSpinConnections, QStringLiteral("Connections"),
            QStringLiteral("How many search engines Harvester asks at the same time. See the recommended "
                           "connections for your line."));
    setHint(DisorderlyCheck, QStringLiteral("Disorderly Scan"),
            QStringLiteral("Harvester works through the search terms in a random order instead of the list's "
                           "order."));
    setHint(RandBrowseCheck, QStringLiteral("Random Browser Content"),
            QStringLiteral("Harvester varies the browser details it sends with each request."));
    setHint(AutoCloseCheck, QStringLiteral("Shutdown Harvester Automatically"),
            QStringLiteral("Harvester's window closes by itself when its sessions are done."));
    setHint(
        CacheChartsCheck, QStringLiteral("Cache Charts After Harvester Is Run"),
        QStringLiteral("After each session Harvester rebuilds the project's saved charts, so they open at "
                       "once."));
    for (QWidget* control :
         {static_cast<QWidget*>(LogRetentionCheck), static_cast<QWidget*>(LogRetentionSpin)})
        setHint(control, QStringLiteral("Log Retention (days)"),
                QStringLiteral("When checked, Harvester removes log records older than this many days."));
    for (QWidget* control :
         {static_cast<QWidget*>(DataRetentionCheck), static_cast<QWidget*>(DataRetentionSpin)})
        setHint(control, QStringLiteral("Data Retention (days)"),
                QStringLiteral("When checked, Harvester removes rank records older than this many days."));
    setHint(AdvThrottleButton, QStringLiteral("Advanced Throttle"),
            QStringLiteral("Sets a throttle for each hour of the day instead of one for the whole day."));
    setHint(StuntButton, QStringLiteral("Set Stunt Values"),
            QStringLiteral("Sets each search engine's wait between two requests."));
    setHint(EngIncButton, QStringLiteral("Engine Increment"),
            QStringLiteral("Sets how many results each search engine gives per page."));

    fill(MiscSettings::fromRecord(m_dm.Settings));
    ESSpinThrottle->setEnabled(!m_dm.Settings.AdvThrottle);

    for (QSpinBox* spin : {ESSpinThrottle, ESSpinConnections, LogRetentionSpin, DataRetentionSpin})
        connect(spin, &QSpinBox::valueChanged, this, &TMiscSettingsForm::controlChanged);
    for (QCheckBox* check : {DisorderlyCheck, RandBrowseCheck, AutoCloseCheck, CacheChartsCheck,
                             LogRetentionCheck, DataRetentionCheck})
        connect(check, &QCheckBox::toggled, this, &TMiscSettingsForm::controlChanged);
    connect(SetButton, &QPushButton::clicked, this, &TMiscSettingsForm::SetButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(AdvThrottleButton, &QPushButton::clicked, this, &TMiscSettingsForm::AdvThrottleClick);
    connect(StuntButton, &QPushButton::clicked, this, &TMiscSettingsForm::SetStuntValuesClick);
    connect(EngIncButton, &QPushButton::clicked, this, &TMiscSettingsForm::EngineIncrementClick);
    SetButton->setEnabled(false);
}

void TMiscSettingsForm::setHint(QWidget* control, const QString& shortHint, const QString& longHint)
{
    control->setToolTip(shortHint);
    control->setProperty(LongHintProperty, longHint);
    control->installEventFilter(this);
}

bool TMiscSettingsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter)
        Description->setText(watched->property(LongHintProperty).toString());
    else if (event->type() == QEvent::Leave)
        Description->setText(DefaultDescription());
    return ToolWindow::eventFilter(watched, event);
}

void TMiscSettingsForm::changeEvent(QEvent* event)
{
    // Coming back to the dialog, "Set" is off unless something waits to be
    // written: a change made before switching away is not dropped silently.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        SetButton->setEnabled(m_unsaved);
    ToolWindow::changeEvent(event);
}

void TMiscSettingsForm::fill(const MiscSettings& s)
{
    ESSpinThrottle->setValue(s.Throttle);
    ESSpinConnections->setValue(s.Connections);
    DisorderlyCheck->setChecked(s.Disorderly);
    RandBrowseCheck->setChecked(s.RandBrowse);
    AutoCloseCheck->setChecked(s.AutoCloseHV);
    CacheChartsCheck->setChecked(s.CacheCharts);
    LogRetentionCheck->setChecked(s.ClearLogRecs);
    LogRetentionSpin->setValue(s.LogRecsDays);
    DataRetentionCheck->setChecked(s.ClearRankRecs);
    DataRetentionSpin->setValue(s.RankRecDays);
    m_randScan = s.RandScan;
    m_lastRun = s.LastRun;
    enableRetentionSpins();
}

MiscSettings TMiscSettingsForm::typed() const
{
    MiscSettings s;
    s.Throttle = ESSpinThrottle->value();
    s.Connections = ESSpinConnections->value();
    s.Disorderly = DisorderlyCheck->isChecked();
    s.RandBrowse = RandBrowseCheck->isChecked();
    s.AutoCloseHV = AutoCloseCheck->isChecked();
    s.CacheCharts = CacheChartsCheck->isChecked();
    s.ClearLogRecs = LogRetentionCheck->isChecked();
    s.LogRecsDays = LogRetentionSpin->value();
    s.ClearRankRecs = DataRetentionCheck->isChecked();
    s.RankRecDays = DataRetentionSpin->value();
    s.RandScan = m_randScan;
    s.LastRun = m_lastRun;
    return s;
}

void TMiscSettingsForm::enableRetentionSpins()
{
    LogRetentionSpin->setEnabled(LogRetentionCheck->isChecked());
    DataRetentionSpin->setEnabled(DataRetentionCheck->isChecked());
}

void TMiscSettingsForm::controlChanged()
{
    enableRetentionSpins();
    m_unsaved = true;
    SetButton->setEnabled(true);
}

void TMiscSettingsForm::SetButtonClick()
{
    const MiscSettings values = typed();
    if (SystemEdition::warnsHighConnections(SystemEdition::shortName(SystemEdition::current()),
                                            values.Connections))
        m_dm.ShowMessageBox(
            MessageButtons::Ok, QStringLiteral("Note"),
            QStringLiteral("<P align=\"center\">You have set a high value for connections.<BR>It "
                           "is recommended you read the Help under \"Settings\" | "
                           "\"Miscellaneous Settings\"<BR>regarding adjustments you may need "
                           "to make.</P>"),
            m_dm.MessageSwitch(QStringLiteral("HighConnect")), QStringLiteral("HighConnect"));
    values.write(m_dm.Settings, [this](const QString& key, const QString& name, const QString& text) {
        return m_dm.WriteSetting(key, name, text);
    });
    m_unsaved = false;
    SetButton->setEnabled(false);
}

void TMiscSettingsForm::AdvThrottleClick()
{
    LibraryCalls(m_dm, qApp, m_moduleFolder).RunAdvThrottle();
    // The library leaves its choice in the store; only the exact text "true" sets it.
    const QString text =
        RegistryKey(m_dm.registry(), SettingsKeys::path(QLatin1String(SettingsKeys::Network)))
            .readString(QStringLiteral("AdvThrottle"));
    m_dm.Settings.AdvThrottle = text == QLatin1String("true");
    ESSpinThrottle->setEnabled(!m_dm.Settings.AdvThrottle);
}

void TMiscSettingsForm::SetStuntValuesClick()
{
    LibraryCalls(m_dm, qApp, m_moduleFolder).RunSetStuntValues();
}

void TMiscSettingsForm::EngineIncrementClick() { LibraryCalls(m_dm, qApp, m_moduleFolder).RunEngInc(); }

} // namespace corvane
