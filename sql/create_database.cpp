#include "create_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/fault.h"
#include "db/types.h"

namespace sql {

namespace {

void Fail(const std::string& path, const std::string& why) {
    std::remove(path.c_str());
    throw base::Fault(db::kProviderError, "Cannot create database " + path + ": " + why);
}

}  // namespace

void CreateDatabase(const std::string& path, std::string_view script) {
    // O_EXCL makes "refuse an existing file" hold even against a file created meanwhile.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        throw base::Fault(db::kProviderError,
                          "Cannot create database " + path + ": " + std::strerror(errno));
    ::close(fd);

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        Fail(path, why);
    }
    std::string text = "PRAGMA journal_mode=WAL; BEGIN; " + std::string(script) + "\n; COMMIT;";
    char* error = nullptr;
    int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, &error);
    std::string why = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        std::remove((path + "-wal").c_str());
        std::remove((path + "-shm").c_str());
        Fail(path, why);
    }
}

}  // namespace sql
