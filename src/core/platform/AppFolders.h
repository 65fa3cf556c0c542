#pragma once

#include <QString>

namespace corvane {

// Where things live. The program folder (ExeFolder) is a writable folder for
// the program's own files and comes from the settings; binaries and run-time
// modules are found beside the running executable.
namespace AppFolders {

// Folder of the running executable, ending in "/".
QString binariesFolder();

// Full path of a program or module that ships beside the executable.
QString binaryPath(const QString& fileName);

// Appends "/" when missing; an empty text stays empty.
QString withTrailingSlash(const QString& folder);

// The user's documents folder, ending in "/".
QString documentsFolder();

} // namespace AppFolders
} // namespace corvane
