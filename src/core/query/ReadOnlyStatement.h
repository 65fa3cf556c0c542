#pragma once

#include <QString>

namespace corvane {

class Database;

// The guard in front of statements a user may edit by hand (the query
// window's): only a single statement that reads may run.
namespace ReadOnlyStatement {

// The message for a statement that would change data.
QString refusal();

// Translates the dialect statement and prepares it on a connection of its
// own, without running it. Throws DatabaseError (NotEditable, with refusal())
// when it is not a single statement that only reads: DELETE, UPDATE, INSERT,
// DROP, ATTACH, SELECT ... INTO, a WITH that writes, a second statement after
// a semicolon. Throws the engine's DatabaseError when it cannot be prepared.
void check(Database& database, const QString& dialectSql);

} // namespace ReadOnlyStatement
} // namespace corvane
