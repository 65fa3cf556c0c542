#pragma once

// An in-memory SQLite database with the program's SQL functions, for the
// targets that prepare the statements they build.

#include "core/data/Connection.h"

#include "FuzzInput.h"

#include <sqlite3.h>

namespace corvane::fuzz {

// Opened on the first call with `createSql` run in it, and kept for the
// whole run.
inline sqlite3* memoryDatabase(const char* createSql)
{
    static sqlite3* db = [createSql] {
        sqlite3* opened = nullptr;
        if (sqlite3_open(":memory:", &opened) != SQLITE_OK)
            fail("cannot open an in-memory database");
        Connection::registerFunctions(opened);
        if (sqlite3_exec(opened, createSql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("cannot create the tables of the in-memory database");
        return opened;
    }();
    return db;
}

} // namespace corvane::fuzz
