#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The shell's "open" verb: start a program in a working folder without
// waiting for it or checking its result, or open an address or mail link in
// the desktop's handler.
namespace ShellOpen {

bool openProgram(const QString& program, const QStringList& arguments,
                 const QString& workingFolder);

bool openAddress(const QString& address);

} // namespace ShellOpen
} // namespace corvane
