#pragma once

#include "core/data/FieldDefs.h"
#include "core/data/TableDatabase.h"

#include <QString>
#include <QStringList>

namespace corvane {

class Connection;

// The file-level side of a table: "<Table>.dat" is an SQLite database that
// holds the table under its own name, its indexes under their index names,
// and the metadata table corvane_table(key, value). The key "password" holds
// the hex SHA-256 of the table's password when the table is protected.
namespace TableFile {

inline constexpr const char* MetaTable = "corvane_table";
inline constexpr const char* FileSuffix = ".dat";

QString passwordHash(const QString& password);

// The file of a table in a folder (which ends in "/"), matched without regard
// to case; empty when there is none.
QString findFile(const QString& folder, const QString& tableName);
// Every file that belongs to the table's name: "<name>.dat", its SQLite
// journals, and the ".idx"/".blb" companions, as far as they exist.
QStringList existingFiles(const QString& folder, const QString& tableName);

// Writes a new table file at path (which must not exist) in WAL mode.
void create(const QString& path, const TableDef& def, const QString& password, const LockSettings& lock);

// The CREATE statements for a table in the given schema (empty: unqualified).
QString createTableSql(const TableDef& def, const QString& schema = {});
QString createIndexSql(const TableDef& def, const IndexDef& index, const QString& schema = {});

// Reads the definition of an attached table back from its file.
TableDef readDef(Connection& connection, const QString& schema, const QString& tableName);

// The message of a unique-index violation, naming the index: SQLite reports
// "UNIQUE constraint failed: T.a, T.b" and the index is found by its columns.
QString keyViolationMessage(Connection& connection, const QString& sqliteMessage);

} // namespace TableFile
} // namespace corvane
