#pragma once

#include <QKeySequence>
#include <QList>

namespace corvane {

class TMainRankForm;

// One command of the main window: where it shows in the menu bar and in the
// task bar, and the handler both call. A command without a menu shows in the
// task bar only, one without a task-bar group in the menu bar only.
struct MainCommand
{
    using Handler = void (TMainRankForm::*)();

    const char* name;     // the menu entry's object name, after its handler ("Harvester1")
    const char* menu;     // the menu's object name (MainMenus), or nullptr
    const char* menuText; // with its accelerator
    QKeySequence shortcut;
    const char* group;    // the task-bar group's object name (TaskBarGroups), or nullptr
    const char* taskText; // the task bar's own wording
    Handler handler;
    bool separatorBefore = false; // in the menu
};

// A menu of the menu bar or a group of the task bar: object name and title.
struct CommandPlace
{
    const char* name;
    const char* title;
};

// The main window's commands in menu order; the task bar lists a group's
// commands in the same order.
struct MainCommandTable
{
    static const QList<MainCommand>& commands();
    static const QList<CommandPlace>& menus();
    static const QList<CommandPlace>& taskBarGroups();
};

} // namespace corvane
