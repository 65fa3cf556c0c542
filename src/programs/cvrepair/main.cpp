// CVRepair: checks and repairs the table files of the data folder.
#include "core/datamodule/DM1.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/repair/RepairOptions.h"
#include "core/repair/RepairRun.h"
#include "gui/messages/MessageForm.h"
#include "gui/repair/RepairForm.h"
#include "gui/widgets/CorvaneApplication.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

using namespace corvane;
using namespace corvane::repair;

enum ExitCode { Sound = 0, DamageRemains = 1, BadCommandLine = 2, AlreadyRunning = 3, HarvesterSession = 4 };

int runHeadless(const RepairOptions& options, int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    const QString folder = resolveDataFolder(options.dataFolder, error);
    if (folder.isEmpty()) {
        err << "CVRepair: " << error << Qt::endl;
        return BadCommandLine;
    }
    const RepairRun::Mode mode =
        options.run == RepairOptions::Run::Repair ? RepairRun::Mode::Repair : RepairRun::Mode::Check;
    if (mode == RepairRun::Mode::Repair) {
        if (const QString refusal = RepairRun::repairRefusal(); !refusal.isEmpty()) {
            err << "CVRepair: " << refusal << Qt::endl;
            return HarvesterSession;
        }
    }
    RepairRun run(folder);
    if (const QString fault = run.folderFault(); !fault.isEmpty()) {
        err << "CVRepair: " << fault << Qt::endl;
        return BadCommandLine;
    }
    run.onTableDone = [&out](int, int, const TableResult& result) {
        out << result.tableName << ": " << result.resultText();
        if (result.outcome != TableResult::Outcome::Sound)
            out << " - " << result.details();
        out << Qt::endl;
    };
    const RunSummary summary(run.run(mode));
    out << summary.text() << Qt::endl;
    return summary.damageRemains() ? DamageRemains : Sound;
}

int runWindow(const RepairOptions& options, int argc, char** argv)
{
    CorvaneApplication app(argc, argv);
    TDM1 dataModule;
    DM1 = &dataModule;
    TMessageForm messages(dataModule);
    QString error;
    const QString folder = resolveDataFolder(options.dataFolder, error);
    if (folder.isEmpty()) {
        dataModule.ShowMessageBox(MessageButtons::Ok, QStringLiteral("Error"),
                                  QStringLiteral("<P ALIGN=\"CENTER\">") + error.toHtmlEscaped()
                                      + QStringLiteral("</P>"),
                                  true, {});
        return BadCommandLine;
    }
    TRepairForm form(folder, options.autoStart, options.closeWhenDone);
    form.show();
    const int code = app.exec();
    DM1 = nullptr;
    if (code != 0)
        return code;
    return RunSummary(form.results()).damageRemains() ? DamageRemains : Sound;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const RepairOptions options = RepairOptions::parse(arguments);
    if (options.run == RepairOptions::Run::Help) {
        QTextStream(stdout) << RepairOptions::usageText();
        return Sound;
    }
    if (!options.error.isEmpty()) {
        QTextStream(stderr) << "CVRepair: " << options.error << "\n\n" << RepairOptions::usageText();
        return BadCommandLine;
    }

    // Held for the whole run: Corvane stays minimised while it exists.
    NamedMutex running{QLatin1String(MutexNames::CVRepair)};
    if (running.alreadyExisted() || !running.isOwned()) {
        QTextStream(stderr) << "CVRepair: another CVRepair is running.\n";
        return AlreadyRunning;
    }
    return options.run == RepairOptions::Run::Window ? runWindow(options, argc, argv)
                                                     : runHeadless(options, argc, argv);
}
