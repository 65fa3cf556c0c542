#pragma once

#include <QString>
#include <QStringList>

namespace corvane::repair {

// The command line of CVRepair. Corvane starts it with the two switches
// "false" "false"; see usageText().
struct RepairOptions
{
    enum class Run { Window, Check, Repair, Help };

    Run run = Run::Window;
    bool autoStart = false;     // first switch: check and repair as soon as the window opens
    bool closeWhenDone = false; // second switch: close the window when a run leaves no damage
    QString dataFolder;         // --data; empty: the settings store's DataFolder
    QString error;              // what is wrong with the command line; empty when nothing

    // Reads the arguments after the program name. A switch may come quoted
    // ("\"false\""), and both switches may come as one argument.
    static RepairOptions parse(const QStringList& arguments);
    static QString usageText();
};

// The data folder to work on: the one given, else "File Locations" /
// "DataFolder" of the settings store. Empty, with error set, when there is
// none or it does not exist. Always ends with "/".
QString resolveDataFolder(const QString& given, QString& error);

} // namespace corvane::repair
