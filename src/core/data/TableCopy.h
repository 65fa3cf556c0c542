#pragma once

// Copying a whole table file with SQLite's online backup.
//
// The source is read inside one read transaction, so the copy is the table
// as it stood at one moment even while another program writes to it (the
// files are in WAL mode: the writer goes on, the copy keeps its snapshot).
// When the file itself holds exactly that snapshot and no checkpoint can
// change it until the read transaction ends (the wal-index says every frame
// of the log is in the file), its bytes are copied; otherwise SQLite's online
// backup copies it page by page. The copy never runs a checkpoint itself.
// The source is checked first like any opening of the table: a file that is
// no table file, or a protected table whose password the source session does
// not know, throws before anything is written.
//
// The copy is always written into a temporary file beside the target first.
// Only a complete copy takes the target's place:
//  - Replace::ByRename renames the temporary file over the target; for a
//    folder no program works in (a backup folder).
//  - Replace::InPlace is for a live target (a data folder). When no other
//    connection has the target open, it is locked so that none can begin and
//    the complete copy is renamed over it. Otherwise the copy is written into
//    the target inside one write transaction, so every connection of every
//    program sees either the old or the new table and never half of it. A
//    target that does not exist yet is simply renamed into place.
// On failure the target is as it was and the temporary file is gone.

#include <QString>

#include <functional>

namespace corvane {

class Database;

namespace TableCopy {

enum class Replace { ByRename, InPlace };

// Called with the percentage of the table copied so far.
using Progress = std::function<void(int percent)>;

// Copies table tableName of source into target's folder under the same name
// (keeping the spelling of a table file already there). Throws DatabaseError
// naming the table.
void copy(const Database& source, const QString& tableName, const Database& target, Replace replace,
          const Progress& progress = {});

} // namespace TableCopy
} // namespace corvane
