#include "gui/schedule/ScheduleForm.h"

#include "core/data/DatabaseError.h"
#include "core/data/Dataset.h"
#include "core/datamodule/DM1.h"
#include "core/help/HelpContexts.h"
#include "gui/schedule/ScheduleTaskForm.h"
#include "gui/widgets/OneLineNames.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace corvane {

namespace {

const char* const ScheduleFormSection = "ScheduleForm";

QString warningText(SchedulerService::Status status)
{
    switch (status) {
    case SchedulerService::Status::Running: break;
    case SchedulerService::Status::Stopped:
        return QStringLiteral("<B>No cron daemon is running.</B> The tasks below are kept, but none of them "
                              "runs until the system's cron service is started.");
    case SchedulerService::Status::Unknown:
        return QStringLiteral("<B>Corvane was unable to determine if your Scheduling Service is running.</B> "
                              "The tasks run only while a cron daemon runs.");
    }
    return {};
}

QStringList profileProjects(Database& db)
{
    QStringList names;
    if (!db.tableExists(QStringLiteral("CVProject")))
        return names;
    Query rows(&db, QStringLiteral("SELECT Name FROM CVProject ORDER BY Name"));
    rows.open();
    for (rows.first(); !rows.eof(); rows.next())
        names << rows.asString(QStringLiteral("Name"));
    rows.close();
    return names;
}

} // namespace

TScheduleForm::TScheduleForm(TDM1& dataModule, const SchedulerService& service, QWidget* parent)
    : ToolWindow(dataModule, ScheduleFormSection, HelpContexts::HarvesterSessions, parent)
    , m_schedule(dataModule.General)
    , ServiceWarning(new QLabel(this))
    , TaskGrid(new QTableWidget(0, 4, this))
    , AddButton(new QPushButton(QStringLiteral("Add..."), this))
    , EditButton(new QPushButton(QStringLiteral("Edit..."), this))
    , DeleteButton(new QPushButton(QStringLiteral("Delete"), this))
    , HelpButton(createHelpButton())
    , CloseButton(new QPushButton(QStringLiteral("Close"), this))
{
    OneLineNames::apply(*TaskGrid);
    setWindowTitle(QStringLiteral("Corvane Project Scheduler"));

    const QString warning = warningText(service.status());
    ServiceWarning->setText(warning);
    ServiceWarning->setWordWrap(true);
    ServiceWarning->setStyleSheet(QStringLiteral(
        "QLabel { color: #8A1F11; background: #FDECEA; border: 1px solid #E6A39A; padding: 6px; }"));
    ServiceWarning->setVisible(!warning.isEmpty());

    TaskGrid->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Projects"),
                                         QStringLiteral("Days and Time"), QStringLiteral("Next Run")});
    TaskGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TaskGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    TaskGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    TaskGrid->verticalHeader()->hide();
    TaskGrid->setWordWrap(true);
    TaskGrid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    TaskGrid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(TaskGrid, &QTableWidget::itemSelectionChanged, this, &TScheduleForm::enableButtons);
    connect(TaskGrid, &QTableWidget::cellDoubleClicked, this, [this] { EditClick(); });

    HelpButton->setFixedWidth(HelpButton->fontMetrics().horizontalAdvance(QStringLiteral("??")) + 24);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HelpButton);
    buttons->addStretch(1);
    for (QPushButton* b : {AddButton, EditButton, DeleteButton, CloseButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(AddButton, &QPushButton::clicked, this, &TScheduleForm::AddClick);
    connect(EditButton, &QPushButton::clicked, this, &TScheduleForm::EditClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TScheduleForm::DeleteClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ServiceWarning);
    layout->addWidget(TaskGrid, 1);
    layout->addLayout(buttons);

    resize(720, 380);
    restorePlacement();
    Reload();
}

void TScheduleForm::showError(const QString& text)
{
    m_dm.ShowMessageBox(
        MessageButtons::Ok, QStringLiteral("Error"),
        QStringLiteral("<P align=\"center\">") + text.toHtmlEscaped() + QStringLiteral("</P>"), true, {});
}

void TScheduleForm::Reload()
{
    try {
        m_schedule.load();
    } catch (const std::runtime_error& e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    fillGrid();
}

void TScheduleForm::fillGrid()
{
    const QDateTime now = m_now.isValid() ? m_now : QDateTime::currentDateTime();
    TaskGrid->setRowCount(0);
    for (const ScheduledTask& task : m_schedule.tasks()) {
        const int row = TaskGrid->rowCount();
        TaskGrid->insertRow(row);
        const std::optional<CronTime> when = CronTime::parse(task.when);
        const QDateTime next = when ? when->nextRun(now) : QDateTime();
        const QString cells[] = {
            task.name, task.projects.join(QStringLiteral(", ")), when ? when->description() : task.when,
            next.isValid() ? next.toString(QStringLiteral("ddd yyyy-MM-dd HH:mm")) : QString()};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 1)
                item->setToolTip(task.projects.join(QLatin1Char('\n')));
            TaskGrid->setItem(row, c, item);
        }
    }
    TaskGrid->resizeColumnToContents(0);
    TaskGrid->resizeColumnToContents(2);
    TaskGrid->resizeColumnToContents(3);
    if (TaskGrid->rowCount() > 0)
        TaskGrid->selectRow(0);
    enableButtons();
}

void TScheduleForm::enableButtons()
{
    const bool selected = !TaskGrid->selectionModel()->selectedRows().isEmpty();
    EditButton->setEnabled(selected);
    DeleteButton->setEnabled(selected);
}

void TScheduleForm::showTaskEditor(const ScheduledTask* task)
{
    QStringList projects;
    try {
        projects = profileProjects(m_dm.General);
    } catch (const DatabaseError& e) {
        showError(e.message());
    }
    // A copy: saving re-reads the schedule, which the pointer points into.
    std::optional<ScheduledTask> editing;
    if (task)
        editing = *task;
    TScheduleTaskForm editor(m_dm, m_schedule, editing ? &*editing : nullptr, projects, this);
    if (onEditorShown)
        onEditorShown(editor);
    if (editor.exec() == QDialog::Accepted)
        fillGrid();
}

void TScheduleForm::AddClick() { showTaskEditor(nullptr); }

void TScheduleForm::EditClick()
{
    const int row = TaskGrid->currentRow();
    if (row < 0 || row >= m_schedule.tasks().size())
        return;
    showTaskEditor(&m_schedule.tasks().at(row));
}

void TScheduleForm::DeleteClick()
{
    const int row = TaskGrid->currentRow();
    if (row < 0 || row >= m_schedule.tasks().size())
        return;
    const QString name = m_schedule.tasks().at(row).name;
    if (m_dm.ShowMessageBox(MessageButtons::YesNo, QStringLiteral("Confirm"),
                            QStringLiteral("<P align=\"center\">Delete the scheduled task <B>")
                                + name.toHtmlEscaped() + QStringLiteral("</B>?</P>"),
                            true, {})
        != MessageAnswer::Yes)
        return;
    try {
        m_schedule.remove(name);
    } catch (const DatabaseError& e) {
        showError(e.message());
    } catch (const std::runtime_error& e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    fillGrid();
}

} // namespace corvane
