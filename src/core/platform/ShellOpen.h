#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The shell's "open" verb for programs: start a program in a working folder
// without waiting for it or checking its result. Addresses and mail links are
// opened by gui/widgets/DesktopLinks.
namespace ShellOpen {

bool openProgram(const QString& program, const QStringList& arguments, const QString& workingFolder);

} // namespace ShellOpen
} // namespace corvane
