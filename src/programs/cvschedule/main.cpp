// CVSchedule: the scheduled mining tasks of the Corvane profile. Each task is
// a line of the user's crontab that runs Harvester on its projects; the
// window adds, edits and deletes them, --list prints them.
#include "core/data/DatabaseError.h"
#include "core/datamodule/DM1.h"
#include "core/platform/TabFields.h"
#include "core/schedule/TaskSchedule.h"
#include "gui/messages/MessageForm.h"
#include "gui/schedule/ScheduleForm.h"
#include "gui/widgets/CorvaneApplication.h"

#include <QCoreApplication>
#include <QTextStream>

#include <stdexcept>

namespace {

using namespace corvane;

const char* const Usage = R"(Usage: CVSchedule [--list | --help]
Schedules Harvester to mine Corvane projects. Each task is a line of your crontab
("crontab -l") that ends in "# Corvane task: <name>" and runs Harvester with the
task's projects; the Schedule table of the data folder lists the same tasks.

Without arguments the window "Corvane Project Scheduler" opens.
  --list   prints each task on a line: name, days and time, projects
           (separated by tabs; the projects by ", "; a backslash, tab or line
           break inside a name written as \\, \t or \n)
  --help   prints this text

The environment variable CORVANE_CRONTAB names a plain file to use instead of
the crontab. Exit status: 0 done, 1 bad arguments, 2 the crontab or the data
folder could not be read.
)";

int listTasks(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    try {
        TDM1 dm;
        DM1 = &dm;
        dm.LoadSettings();
        dm.General.setReadOnly(true);
        dm.SE3.setReadOnly(true);
        dm.OpenDatabases();
        TaskSchedule schedule(dm.General);
        schedule.load();
        for (const ScheduledTask& task : schedule.tasks()) {
            const std::optional<CronTime> when = CronTime::parse(task.when);
            QStringList projects;
            for (const QString& project : task.projects)
                projects << TabFields::field(project);
            out << TabFields::field(task.name) << '\t' << (when ? when->description() : task.when) << '\t'
                << projects.join(QStringLiteral(", ")) << '\n';
        }
        DM1 = nullptr;
    } catch (const DatabaseError& e) {
        err << "CVSchedule: " << e.message() << '\n';
        return 2;
    } catch (const std::runtime_error& e) {
        err << "CVSchedule: " << e.what() << '\n';
        return 2;
    }
    return 0;
}

int runWindow(int argc, char** argv)
{
    CorvaneApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("CVSchedule"));
    TDM1 dm;
    DM1 = &dm;
    TMessageForm messages(dm);
    dm.LoadSettings();
    try {
        dm.OpenDatabases();
    } catch (const DatabaseError& e) {
        dm.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                          QStringLiteral("<P align=\"center\">") + e.message().toHtmlEscaped()
                              + QStringLiteral("</P>"),
                          true, {});
        DM1 = nullptr;
        return 2;
    }
    int code = 0;
    {
        TScheduleForm form(dm);
        form.show();
        QObject::connect(&form, &QDialog::finished, &app, &QCoreApplication::quit);
        code = app.exec();
    }
    dm.CloseDatabases();
    DM1 = nullptr;
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argc > 2
        || (!first.isEmpty() && first != QLatin1String("--help") && first != QLatin1String("-h")
            && first != QLatin1String("--list"))) {
        QTextStream(stderr) << "CVSchedule: unknown argument \""
                            << (argc > 2 && first == QLatin1String("--list") ? QString::fromLocal8Bit(argv[2])
                                                                             : first)
                            << "\"\n\n"
                            << Usage;
        return 1;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        QTextStream(stdout) << Usage;
        return 0;
    }
    if (first == QLatin1String("--list"))
        return listTasks(argc, argv);
    return runWindow(argc, argv);
}
