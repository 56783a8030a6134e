// A SQLite VFS over the default one that fails the n-th file operation of a kind, for the storage
// fault loop: reads, writes, syncs, file locks and truncates are counted over every file SQLite
// opens (databases and their logs), and the chosen one answers with an I/O error or a full disk.
// While it lives it is the default VFS of the process; the one before comes back when it goes. Not
// thread-safe: one test at a time.
#pragma once

#include <array>

struct sqlite3_vfs;

namespace testing_support {

class FaultyVfs {
  public:
    enum Operation { kRead, kWrite, kSync, kLock, kTruncate, kOperations };

    FaultyVfs();
    ~FaultyVfs();
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // From now on, the `n`-th operation of `kind` fails (n 0: none), with SQLITE_FULL for a write
    // when `diskFull`, else the kind's I/O error; the counts start again.
    void FailAt(Operation kind, int n, bool diskFull = false);
    int count(Operation kind) const { return counts_[kind]; }
    bool failed() const { return failed_; }

    // For the shim's methods.
    int Count(Operation kind);  // SQLITE_OK, or the error of the chosen operation

  private:
    sqlite3_vfs* base_;
    std::array<int, kOperations> counts_{};
    Operation failKind_ = kRead;
    int failAt_ = 0;
    bool diskFull_ = false;
    bool failed_ = false;
};

}  // namespace testing_support
