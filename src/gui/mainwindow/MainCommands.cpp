#include "gui/mainwindow/MainCommands.h"

#include "gui/mainwindow/MainRankForm.h"

namespace corvane {

const QList<CommandPlace>& MainCommandTable::menus()
{
    static const QList<CommandPlace> places{
        {"File1", "&File"},
        {"Settings1", "&Settings"},
        {"Tools1", "&Tools"},
        {"ChartViews1", "&Chart Views"},
        {"TableViews1", "T&able Views"},
        {"Utilities1", "&Utilities"},
        {"Help1", "&Help"},
    };
    return places;
}

const QList<CommandPlace>& MainCommandTable::taskBarGroups()
{
    static const QList<CommandPlace> places{
        {"JvXPBar1", "Current Display"},  {"JvXPBar2", "Project"},   {"JvXPBar3", "Tools"},
        {"JvXPBar4", "Charts && Tables"}, {"JvXPBar5", "Utilities"}, {"JvXPBar6", "Help"},
        {"JvXPBar7", "Settings"},
    };
    return places;
}

const QList<MainCommand>& MainCommandTable::commands()
{
    using F = TMainRankForm;
    const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
    static const QList<MainCommand> table{
        // name                  menu           menu text                      shortcut
        //                       task-bar group and text                       handler
        {"ProjectWizard1", "File1", "Project &Wizard...", ctrl(Qt::Key_W), "JvXPBar2", "Project Wizard...",
         &F::ProjectWizard1Click},
        {"Refresh1", "File1", "&Refresh/Load Page", ctrl(Qt::Key_R), "JvXPBar1", "Load/Refresh Page",
         &F::Refresh1Click},
        {"TopTenStyles1", nullptr, nullptr, {}, "JvXPBar1", "Top 10 Chart Styles...", &F::TopTenStyles1Click},
        {"Exit1", "File1", "E&xit", QKeySequence(Qt::ALT | Qt::Key_X), "JvXPBar1", "Exit Application",
         &F::Exit1Click, true},

        {"MiscSettings1", "Settings1", "&Miscellaneous Settings...", ctrl(Qt::Key_M), "JvXPBar7",
         "Miscellaneous Settings...", &F::MiscSettings1Click},
        {"ScheduleHarvester1", "Settings1", "&Schedule Harvester...", ctrl(Qt::Key_S), nullptr, nullptr,
         &F::ScheduleHarvester1Click},
        {"Notification1", "Settings1", "&Notification...", ctrl(Qt::Key_N), nullptr, nullptr,
         &F::Notification1Click},
        {"SearchEngineAPI1",
         "Settings1",
         "Search Engine &API...",
         {},
         nullptr,
         nullptr,
         &F::SearchEngineAPI1Click},

        {"Harvester1", "Tools1", "&Harvester...", ctrl(Qt::Key_P), "JvXPBar3", "Harvester...",
         &F::Harvester1Click},
        {"DuvudaDuvedozo1", "Tools1", "&Duvuda Duvedozo...", ctrl(Qt::Key_K), "JvXPBar3",
         "Duvuda Duvedozo...", &F::DuvudaDuvedozo1Click},
        {"RurederOrad1", "Tools1", "&Rureder Orad...", ctrl(Qt::Key_F), "JvXPBar3", "Rureder Orad...",
         &F::RurederOrad1Click},

        {"DetailChart1", "ChartViews1", "&Detail Chart...", ctrl(Qt::Key_D), "JvXPBar4", "Detail Chart...",
         &F::DetailChart1Click},
        {"DailyResults1", "ChartViews1", "Dail&y Results...", ctrl(Qt::Key_Y), "JvXPBar4", "Daily Results...",
         &F::DailyResults1Click},
        {"GainsLosses1", "ChartViews1", "&Gains and Losses...", ctrl(Qt::Key_G), "JvXPBar4",
         "Gains && Losses...", &F::GainsLosses1Click},
        {"Scores1", "ChartViews1", "S&cores...", ctrl(Qt::Key_C), "JvXPBar4", "Scores...", &F::Scores1Click},

        {"FullURL1", "TableViews1", "Full &URL...", ctrl(Qt::Key_U), "JvXPBar4", "Full URL...",
         &F::FullURL1Click},
        {"DayGlance1", "TableViews1", "D&ay at a Glance...", ctrl(Qt::Key_A), "JvXPBar4",
         "Day at a Glance...", &F::DayGlance1Click},
        {"DataQuery1", "TableViews1", "Data &Query...", ctrl(Qt::Key_Q), "JvXPBar4", "Data Query...",
         &F::DataQuery1Click},
        {"SearchEngines1", "TableViews1", "Search &Engines...", ctrl(Qt::Key_E), "JvXPBar4",
         "Search Engines...", &F::SearchEngines1Click},

        {"LogFile1", "Utilities1", "&Log File...", {}, "JvXPBar5", "Log File...", &F::LogFile1Click},
        {"TableRepair1",
         "Utilities1",
         "&Table Repair...",
         {},
         "JvXPBar5",
         "Table Repair...",
         &F::TableRepair1Click},
        {"RemoteScriptUpdate1",
         "Utilities1",
         "&Remote Script Update...",
         {},
         "JvXPBar5",
         "Remote Script Update...",
         &F::RemoteScriptUpdate1Click},
        {"Backup1", "Utilities1", "&Backup...", {}, "JvXPBar5", "Backup...", &F::Backup1Click},
        {"ScriptCheck1",
         "Utilities1",
         "&Script Check...",
         {},
         "JvXPBar5",
         "Script Check...",
         &F::ScriptCheck1Click},

        {"Contents1", "Help1", "&Corvane Contents...", QKeySequence(Qt::Key_F1), "JvXPBar6",
         "Corvane Contents...", &F::Contents1Click},
        {"Hints1", "Help1", "&Hints...", {}, "JvXPBar6", "Hints...", &F::Hints1Click},
        {"ShowMessages1",
         "Help1",
         "&Show Messages...",
         {},
         "JvXPBar6",
         "Show Messages...",
         &F::ShowMessages1Click},
        {"About1", "Help1", "Help &About...", {}, "JvXPBar6", "About...", &F::About1Click},
    };
    return table;
}

} // namespace corvane
