#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QSpinBox;

namespace corvane {

// "Advanced Throttle" of the settings library: switches the hourly throttle
// on or off and edits its 24 factors (1 = full speed, up to 10). OK writes
// Network's AdvThrottleSchedule and AdvThrottle ("true"/"false"); Cancel
// writes nothing.
class TAdvThrottleForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAdvThrottleForm(QWidget* parent = nullptr);

    QCheckBox* enableCheck() const { return EnableCheck; }
    QSpinBox* hourSpin(int hour) const { return m_hours.at(hour); }

    void OkClick();

private:
    void enableHours();

    QCheckBox* EnableCheck;
    QList<QSpinBox*> m_hours;
};

} // namespace corvane
