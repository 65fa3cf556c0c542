// Corvane: the program's entry.
#include "core/datamodule/DM1.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/settings/ProfileSetup.h"
#include "core/settings/StartUp.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/messages/MessageForm.h"
#include "gui/widgets/CorvaneApplication.h"
#include "gui/widgets/InstanceChannel.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <exception>
#include <memory>

namespace {

const char* const Usage =
    "Usage: Corvane [--help]\n"
    "Opens Corvane's main window on the profile of the settings store ($CORVANE_REGISTRY, else\n"
    "$XDG_CONFIG_HOME/Corvane/registry.reg). Only one copy runs at a time: a second start brings\n"
    "the running copy's window to the front, says so on stderr and ends with exit status 0.\n"
    "Qt's own options (such as -platform) are accepted.\n"
    "  --help   show this text\n";

} // namespace

int main(int argc, char** argv)
{
    using namespace corvane;

    // Help needs no display; everything else is checked once Qt has taken its own options.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--help") == 0 || qstrcmp(argv[i], "-h") == 0) {
            QTextStream(stdout) << Usage;
            return 0;
        }
    }

    int exitCode = 0;
    {
        CorvaneApplication app(argc, argv);
        const QStringList extra = QCoreApplication::arguments().mid(1);
        if (!extra.isEmpty()) {
            QTextStream(stderr) << "Corvane: unknown argument \"" << extra.first() << "\"\n" << Usage;
            return 2;
        }
        // One copy at a time: a second start raises the first one's window and ends.
        NamedMutex instance{QLatin1String(MutexNames::Corvane)};
        if (instance.alreadyExisted() || !instance.isOwned()) {
            QTextStream err(stderr);
            err << "Corvane is already running.\n";
            if (!InstanceChannel::askToRaise())
                err << "Its window could not be brought to the front.\n";
            return 0;
        }
        // A user's first start creates the profile before the data module reads it.
        if (const auto first = ProfileSetup::createOnFirstStart(); !first.error.isEmpty())
            CorvaneApplication::showException(first.error);
        try {
            auto dataModule = std::make_unique<TDM1>();
            DM1 = dataModule.get();
            // Before the main window, whose construction may already have
            // something to say.
            TMessageForm messageForm(*dataModule);
            TMainRankForm mainForm(*dataModule);
            mainForm.show();
            InstanceChannel channel;
            if (!channel.listen(&mainForm))
                QTextStream(stderr) << "Corvane: a second start cannot reach this window: "
                                    << channel.errorString() << "\n";
            exitCode = app.exec();
        } catch (const DatabaseError& e) {
            CorvaneApplication::showException(e.message());
        } catch (const std::exception& e) {
            CorvaneApplication::showException(QString::fromLocal8Bit(e.what()));
        }
        instance.release();
    }
    return exitCode;
}
