// Corvane: the program's entry.
#include "core/datamodule/DM1.h"
#include "core/platform/MutexNames.h"
#include "core/platform/NamedMutex.h"
#include "core/settings/StartUp.h"
#include "gui/mainwindow/MainRankForm.h"
#include "gui/messages/MessageForm.h"
#include "gui/widgets/CorvaneApplication.h"

#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    using namespace corvane;

    // One copy at a time: a second start ends silently.
    NamedMutex instance(QLatin1String(MutexNames::Corvane));
    if (instance.alreadyExisted() || !instance.isOwned())
        return 0;

    int exitCode = 0;
    {
        CorvaneApplication app(argc, argv);
        try {
            auto dataModule = std::make_unique<TDM1>();
            DM1 = dataModule.get();
            // Before the main window, whose construction may already have
            // something to say.
            TMessageForm messageForm(*dataModule);
            TMainRankForm mainForm(*dataModule);
            mainForm.show();
            exitCode = app.exec();
        } catch (const DatabaseError& e) {
            CorvaneApplication::showException(e.message());
        } catch (const std::exception& e) {
            CorvaneApplication::showException(QString::fromLocal8Bit(e.what()));
        }
    }
    instance.release();
    return exitCode;
}
