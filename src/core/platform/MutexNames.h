#pragma once

namespace corvane::MutexNames {

// The named mutexes by which Corvane, Harvester and the repair program keep
// out of each other's way. "Exists" means another process holds it.
inline constexpr const char* Corvane = "Corvane.Mutex";     // Corvane, whole run
inline constexpr const char* Harvester = "Harvester.Mutex"; // Harvester while it runs
inline constexpr const char* NoCV = "NoCV.Mutex";           // Harvester while a session runs
inline constexpr const char* NoHV = "NoHV.Mutex";           // Corvane while a guarded tool is open
inline constexpr const char* CVRepair = "CVRepair.Mutex";   // the repair program while it runs

} // namespace corvane::MutexNames
