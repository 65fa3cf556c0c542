#include "gui/settings/AdvThrottleForm.h"

#include "core/platform/Registry.h"
#include "core/settings/EngineValues.h"
#include "core/settings/Settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvane {

namespace {

QString networkKey() { return SettingsKeys::path(QLatin1String(SettingsKeys::Network)); }

} // namespace

TAdvThrottleForm::TAdvThrottleForm(QWidget* parent)
    : QDialog(parent)
    , EnableCheck(new QCheckBox(QStringLiteral("Use the advanced throttle"), this))
{
    setWindowTitle(QStringLiteral("Advanced Throttle"));
    const Registry registry;
    const RegistryKey network(registry, networkKey());
    const std::optional<int> throttle =
        SettingText::toInteger(network.readString(QStringLiteral("Throttle")));
    const QList<int> factors = AdvancedThrottle::parse(
        network.readString(QStringLiteral("AdvThrottleSchedule")), throttle.value_or(1));

    auto* note =
        new QLabel(QStringLiteral("Harvester slows down by the factor of the hour it runs in: 1 is full "
                                  "speed, 10 the slowest. While the advanced throttle is on, the "
                                  "Throttle of the miscellaneous settings is not used."),
                   this);
    note->setWordWrap(true);

    auto* hoursBox = new QGroupBox(QStringLiteral("Throttle by hour"), this);
    auto* grid = new QGridLayout(hoursBox);
    constexpr int Rows = 6;
    for (int hour = 0; hour < AdvancedThrottle::Hours; ++hour) {
        auto* spin = new QSpinBox(hoursBox);
        spin->setRange(1, 10);
        spin->setValue(factors.at(hour));
        spin->setObjectName(QStringLiteral("Hour%1").arg(hour));
        auto* label = new QLabel(QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0')), hoursBox);
        label->setBuddy(spin);
        const int column = (hour / Rows) * 2;
        grid->addWidget(label, hour % Rows, column);
        grid->addWidget(spin, hour % Rows, column + 1);
        m_hours << spin;
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TAdvThrottleForm::OkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(EnableCheck, &QCheckBox::toggled, this, &TAdvThrottleForm::enableHours);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(EnableCheck);
    layout->addWidget(hoursBox, 1);
    layout->addWidget(buttons);

    EnableCheck->setChecked(network.readString(QStringLiteral("AdvThrottle")) == QLatin1String("true"));
    enableHours();
}

void TAdvThrottleForm::enableHours()
{
    for (QSpinBox* spin : m_hours)
        spin->setEnabled(EnableCheck->isChecked());
}

void TAdvThrottleForm::OkClick()
{
    QList<int> factors;
    for (QSpinBox* spin : m_hours)
        factors << spin->value();
    Registry registry;
    writeSetting(registry, QLatin1String(SettingsKeys::Network), QStringLiteral("AdvThrottleSchedule"),
                 AdvancedThrottle::format(factors));
    writeSetting(registry, QLatin1String(SettingsKeys::Network), QStringLiteral("AdvThrottle"),
                 SettingText::fromFlag(EnableCheck->isChecked()));
    accept();
}

} // namespace corvane
