#include "gui/schedule/ScheduleTaskForm.h"

#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "gui/widgets/OneLineNames.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace corvane {

namespace {

const char* const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

} // namespace

TScheduleTaskForm::TScheduleTaskForm(TDM1& dataModule, TaskSchedule& schedule, const ScheduledTask* task,
                                     const QStringList& projects, QWidget* parent)
    : QDialog(parent)
    , m_dm(dataModule)
    , m_schedule(schedule)
    , NameEdit(new QLineEdit(this))
    , ProjectList(new QListWidget(this))
    , TimeEdit(new QLineEdit(this))
    , CustomNote(new QLabel(this))
{
    OneLineNames::apply(*ProjectList);
    setWindowTitle(task ? QStringLiteral("Edit Scheduled Task") : QStringLiteral("New Scheduled Task"));
    NameEdit->setMaxLength(TaskSchedule::MaximumNameLength);
    TimeEdit->setPlaceholderText(QStringLiteral("HH:MM"));
    TimeEdit->setMaximumWidth(TimeEdit->fontMetrics().horizontalAdvance(QStringLiteral("00:000")) + 24);

    // The projects of the profile, then any the task names that no longer exist.
    QStringList names = projects;
    if (task)
        for (const QString& p : task->projects)
            if (!names.contains(p))
                names << p;
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, ProjectList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }

    auto* dayRow = new QHBoxLayout;
    // Monday first, as a week is shown here.
    for (int i = 1; i <= 7; ++i) {
        const int day = i % 7;
        m_days[day] = new QCheckBox(QLatin1String(DayNames[day]), this);
        dayRow->addWidget(m_days[day]);
    }
    dayRow->addStretch(1);

    CustomNote->setWordWrap(true);
    CustomNote->setTextFormat(Qt::PlainText);
    CustomNote->hide();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Task Name"), NameEdit);
    form->addRow(QStringLiteral("Projects"), ProjectList);
    form->addRow(QStringLiteral("Days"), dayRow);
    form->addRow(QStringLiteral("Time"), TimeEdit);
    form->addRow(QString(), CustomNote);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TScheduleTaskForm::OkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(buttons);

    if (task) {
        m_replacing = task->name;
        NameEdit->setText(task->name);
        checkProjects(task->projects);
        const std::optional<CronTime> when = CronTime::parse(task->when);
        if (when && when->isWeekly()) {
            for (int d = 0; d < 7; ++d)
                m_days[d]->setChecked(when->days().test(d));
            TimeEdit->setText(when->timeOfDay().toString(QStringLiteral("HH:mm")));
        } else {
            m_customWhen = task->when;
            CustomNote->setText(
                QStringLiteral("This task runs at the cron time \"%1\". It stays so unless you "
                               "choose days and a time.")
                    .arg(task->when));
            CustomNote->show();
        }
    } else {
        for (int d = 1; d <= 5; ++d)
            m_days[d]->setChecked(true);
        TimeEdit->setText(QStringLiteral("03:00"));
    }
    resize(440, 420);
}

void TScheduleTaskForm::checkProjects(const QStringList& names)
{
    for (int i = 0; i < ProjectList->count(); ++i) {
        QListWidgetItem* item = ProjectList->item(i);
        item->setCheckState(names.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
}

ScheduledTask TScheduleTaskForm::typedTask(QString& fault) const
{
    ScheduledTask task;
    task.name = NameEdit->text().trimmed();
    for (int i = 0; i < ProjectList->count(); ++i)
        if (ProjectList->item(i)->checkState() == Qt::Checked)
            task.projects << ProjectList->item(i)->text();
    CronTime::Days days;
    for (int d = 0; d < 7; ++d)
        days.set(d, m_days[d]->isChecked());
    if (!m_customWhen.isEmpty() && days.none() && TimeEdit->text().trimmed().isEmpty()) {
        task.when = m_customWhen;
        return task;
    }
    const std::optional<QTime> time = CronTime::parseTimeOfDay(TimeEdit->text());
    if (!time) {
        fault = QStringLiteral("The time \"%1\" does not parse. Enter hours (0-23) and minutes as HH:MM, for "
                               "example 03:30.")
                    .arg(TimeEdit->text().trimmed());
        return task;
    }
    if (days.none()) {
        fault = QStringLiteral("Please choose at least one day for the task.");
        return task;
    }
    task.when = CronTime::weekly(days, *time)->text();
    return task;
}

void TScheduleTaskForm::OkClick()
{
    QString fault;
    const ScheduledTask task = typedTask(fault);
    if (fault.isEmpty())
        fault = m_schedule.problem(task, m_replacing);
    if (fault.isEmpty()) {
        try {
            fault = m_schedule.save(task, m_replacing);
        } catch (const DatabaseError& e) {
            fault = e.message();
        } catch (const std::runtime_error& e) {
            fault = QString::fromLocal8Bit(e.what());
        }
    }
    if (!fault.isEmpty()) {
        m_dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Scheduled Task"),
                            QStringLiteral("<P align=\"center\">") + fault.toHtmlEscaped()
                                + QStringLiteral("</P>"),
                            true, {});
        return;
    }
    accept();
}

} // namespace corvane
