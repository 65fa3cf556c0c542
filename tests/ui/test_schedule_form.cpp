// CVSchedule's window on a crontab file: the list of tasks, adding, editing
// and deleting through the task editor, the refusals, and the warning about a
// cron daemon that does not run.
#include "core/datamodule/DM1.h"
#include "core/projects/ProjectStore.h"
#include "gui/schedule/ScheduleForm.h"
#include "gui/schedule/ScheduleTaskForm.h"

#include "UiTestSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace corvane;

namespace {

const QString Cafe = QStringLiteral("Café\"A&B\"<b>");
const QString Quotes = QStringLiteral("O'Brien's\"best\"");

// A fake process table: one process of the given name.
QString processTable(QTemporaryDir& dir, const char* command)
{
    QDir().mkpath(dir.filePath(QStringLiteral("1")));
    QFile comm(dir.filePath(QStringLiteral("1/comm")));
    comm.open(QIODevice::WriteOnly);
    comm.write(command);
    comm.write("\n");
    QFile stat(dir.filePath(QStringLiteral("1/stat")));
    stat.open(QIODevice::WriteOnly);
    stat.write(QByteArray("1 (") + command + ") S 0 1 1 0");
    return dir.path();
}

QStringList gridRows(QTableWidget* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells << grid->item(r, c)->text();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

class ScheduleProfile
{
public:
    ScheduleProfile()
    {
        qputenv("CORVANE_CRONTAB", m_crontabDir.filePath(QStringLiteral("crontab")).toUtf8());
        ready = profile.ready();
        dm = profile.makeDataModule();
        dm->LoadSettings();
        dm->OpenDatabases();
        ProjectStore store(dm->General);
        store.addProject(Cafe, 30, true, false);
        store.addProject(Quotes, 30, true, false);
    }
    ~ScheduleProfile() { qunsetenv("CORVANE_CRONTAB"); }

    QByteArray crontab() const
    {
        QFile f(m_crontabDir.filePath(QStringLiteral("crontab")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    test::UiProfile profile;
    std::unique_ptr<TDM1> dm;
    bool ready = false;

private:
    QTemporaryDir m_crontabDir;
};

// Fills the editor in when it opens, presses OK and leaves it to the test to
// see whether it closed.
void fillEditor(TScheduleForm& form, const QString& name, const QStringList& projects, const QList<int>& days,
                const QString& time, bool* closed = nullptr)
{
    form.onEditorShown = [=](TScheduleTaskForm& editor) {
        QTimer::singleShot(0, &editor, [=, &editor] {
            editor.nameEdit()->setText(name);
            editor.checkProjects(projects);
            for (int d = 0; d < 7; ++d)
                editor.dayCheck(d)->setChecked(days.contains(d));
            editor.timeEdit()->setText(time);
            editor.OkClick();
            if (closed)
                *closed = !editor.isVisible();
            if (editor.isVisible())
                editor.reject();
        });
    };
}

} // namespace

class TestScheduleForm : public QObject
{
    Q_OBJECT

private slots:
    void addEditAndDeleteTasks()
    {
        ScheduleProfile p;
        QVERIFY(p.ready);
        QTemporaryDir proc;
        TScheduleForm form(*p.dm, SchedulerService(processTable(proc, "cron")));
        form.setClock(QDateTime(QDate(2026, 12, 6), QTime(12, 0)));
        QCOMPARE(form.windowTitle(), QStringLiteral("Corvane Project Scheduler"));
        QVERIFY(form.serviceWarning()->isHidden());
        QCOMPARE(form.taskGrid()->rowCount(), 0);
        QVERIFY(!form.editButton()->isEnabled());

        bool closed = false;
        fillEditor(form, QStringLiteral("Nightly"), {Cafe, Quotes}, {1, 2, 3, 4, 5}, QStringLiteral("3:30"),
                   &closed);
        form.AddClick();
        QVERIFY(closed);
        fillEditor(form, QStringLiteral("Weekend"), {Quotes}, {0, 6}, QStringLiteral("21:00"), &closed);
        form.AddClick();
        QCOMPARE(gridRows(form.taskGrid()),
                 (QStringList{QStringLiteral("Nightly|") + Cafe + QStringLiteral(", ") + Quotes
                                  + QStringLiteral("|Mon, Tue, Wed, Thu, Fri at 03:30"),
                              QStringLiteral("Weekend|") + Quotes + QStringLiteral("|Sat, Sun at 21:00")}));
        QCOMPARE(form.taskGrid()->item(0, 3)->text(), QStringLiteral("Mon 2026-12-07 03:30"));
        QCOMPARE(form.taskGrid()->item(1, 3)->text(), QStringLiteral("Sun 2026-12-06 21:00"));
        QVERIFY(p.crontab().contains("# Corvane task: Weekend\n"));

        // Refusals keep the editor open and change nothing.
        const QByteArray before = p.crontab();
        const struct
        {
            QString name;
            QStringList projects;
            QList<int> days;
            QString time;
            QString message;
        } refusals[] = {
            {QString(),
             {Cafe},
             {1},
             QStringLiteral("04:00"),
             QStringLiteral("Please enter a name for the task.")},
            {QStringLiteral("nightly"),
             {Cafe},
             {1},
             QStringLiteral("04:00"),
             QStringLiteral("There is already a task named &quot;Nightly&quot;.")},
            {QStringLiteral("Late"),
             {Cafe},
             {1},
             QStringLiteral("25:00"),
             QStringLiteral("The time &quot;25:00&quot; does not parse.")},
            {QStringLiteral("Late"),
             {},
             {1},
             QStringLiteral("04:00"),
             QStringLiteral("Please choose at least one project for the task.")},
            {QStringLiteral("Late"),
             {Cafe},
             {},
             QStringLiteral("04:00"),
             QStringLiteral("Please choose at least one day for the task.")},
        };
        for (const auto& r : refusals) {
            p.profile.messages.clear();
            fillEditor(form, r.name, r.projects, r.days, r.time, &closed);
            form.AddClick();
            QVERIFY(!closed);
            QCOMPARE(p.profile.messages.size(), 1);
            QVERIFY2(p.profile.messages[0].startsWith(QStringLiteral("Scheduled Task: ")),
                     qPrintable(p.profile.messages[0]));
            QVERIFY2(p.profile.messages[0].contains(r.message), qPrintable(p.profile.messages[0]));
            QCOMPARE(p.crontab(), before);
        }

        // Edit: the second task gets a new name and time, in its place.
        form.taskGrid()->selectRow(1);
        form.onEditorShown = [](TScheduleTaskForm& editor) {
            QTimer::singleShot(0, &editor, [&editor] {
                QCOMPARE(editor.nameEdit()->text(), QStringLiteral("Weekend"));
                QVERIFY(editor.dayCheck(0)->isChecked());
                QVERIFY(editor.dayCheck(6)->isChecked());
                QVERIFY(!editor.dayCheck(1)->isChecked());
                QCOMPARE(editor.timeEdit()->text(), QStringLiteral("21:00"));
                editor.nameEdit()->setText(QStringLiteral("Sunday <i>"));
                editor.dayCheck(6)->setChecked(false);
                editor.OkClick();
            });
        };
        form.EditClick();
        QCOMPARE(form.taskGrid()->item(1, 0)->text(), QStringLiteral("Sunday <i>"));
        QCOMPARE(form.taskGrid()->item(1, 2)->text(), QStringLiteral("Sun at 21:00"));
        QVERIFY(!p.crontab().contains("Weekend"));

        // A second window reads the same tasks back.
        TScheduleForm again(*p.dm, SchedulerService(proc.path()));
        QCOMPARE(gridRows(again.taskGrid()), gridRows(form.taskGrid()));

        // Delete asks first; the message presenter answers OK, not Yes: nothing goes.
        form.taskGrid()->selectRow(0);
        form.DeleteClick();
        QCOMPARE(form.taskGrid()->rowCount(), 2);
        p.dm->setMessagePresenter([](MessageButtons, const QString&, const QString&, const QString&) {
            return MessageAnswer::Yes;
        });
        form.DeleteClick();
        QCOMPARE(form.taskGrid()->rowCount(), 1);
        QCOMPARE(form.taskGrid()->item(0, 0)->text(), QStringLiteral("Sunday <i>"));
        QVERIFY(!p.crontab().contains("Nightly"));
    }

    void warnsWhenNoCronDaemonRuns()
    {
        ScheduleProfile p;
        QVERIFY(p.ready);
        QTemporaryDir proc;
        TScheduleForm stopped(*p.dm, SchedulerService(processTable(proc, "bash")));
        QVERIFY(!stopped.serviceWarning()->isHidden());
        QVERIFY(stopped.serviceWarning()->text().contains(QStringLiteral("No cron daemon is running.")));
        TScheduleForm unknown(*p.dm, SchedulerService(proc.filePath(QStringLiteral("missing"))));
        QVERIFY(unknown.serviceWarning()->text().contains(QStringLiteral("unable to determine")));
    }
};

QTEST_MAIN(TestScheduleForm)
#include "test_schedule_form.moc"
