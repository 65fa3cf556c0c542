// Test helper: holds a write transaction on a table file for a while, as
// another program would. Usage: table_locker <file> <sql> <milliseconds>
// Prints "locked" once the transaction holds the write lock.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: table_locker <file> <sql> <milliseconds>\n");
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "open: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    char* error = nullptr;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, &error) != SQLITE_OK
        || sqlite3_exec(db, argv[2], nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "write: %s\n", error ? error : "?");
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[3])));
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "commit: %s\n", error ? error : "?");
        return 1;
    }
    sqlite3_close(db);
    std::printf("done\n");
    return 0;
}
