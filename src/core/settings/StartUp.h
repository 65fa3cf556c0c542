#pragma once

#include <QString>

namespace corvane {

struct SettingsRecord;

namespace StartUp {

// Deletes the "*.dat" and then the "*.idx" files that a crashed run left in
// the program folder, unless Harvester is running (it holds its mutex) or the
// program folder is the data folder, whose tables are never touched.
// Returns the number of files deleted.
int RemoveLeftoverTableFiles(const SettingsRecord& settings);

} // namespace StartUp
} // namespace corvane
