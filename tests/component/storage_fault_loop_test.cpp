// The storage failing under SQLite: a read, write, sync, file lock or truncate of the database's
// files fails (an I/O error, or a full disk for a write), at each point of a call in turn. Each
// run must end with a reply or a failed call, never a crash; the database stays sound; no record
// is reported written that is not in it, none in it is reported not written; and the same call
// on the same database works afterwards. The tests take every third point;
// WAGELINK_FAULT_LOOPS=full (scripts/fault-loops.sh) every one.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "large_demo.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/fault_loop.h"
#include "support/faulty_vfs.h"
#include "support/pages.h"
#include "support/temp_dir.h"

namespace {

using testing_support::FaultyVfs;

using testing_support::LoopCall;

class StorageFaultLoop : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::WriteLoopDatabases(dir); }

    void Loop(const LoopCall& call) {
        const std::string connection = "Provider=SQLite;Data Source=" + dir.File("run.db");
        int points = 0, runs = 0;
        for (int kind = 0; kind < FaultyVfs::kOperations; ++kind) {
            auto operation = static_cast<FaultyVfs::Operation>(kind);
            Fresh(call);
            vfs.FailAt(operation, 0);
            const std::string uncut = call.run(connection);
            const int count = vfs.count(operation);
            call.check(connection, uncut, true, false);
            points += count;
            for (int n = 1; n <= count; n += testing_support::LoopStride(3)) {
                for (bool diskFull : {false, true}) {
                    if (diskFull && operation != FaultyVfs::kWrite) continue;
                    SCOPED_TRACE(call.name + ": operation " + std::to_string(kind) +
                                 (diskFull ? " (disk full)" : "") + " number " + std::to_string(n) +
                                 " of " + std::to_string(count) + " fails");
                    Fresh(call);
                    vfs.FailAt(operation, n, diskFull);
                    const std::string reply = call.run(connection);
                    const bool failed = vfs.failed();
                    vfs.FailAt(operation, 0);
                    EXPECT_EQ(testing_support::ScalarText(*testing_support::ConnectTo(connection),
                                                          "PRAGMA integrity_check"),
                              "ok");
                    call.check(connection, reply, !failed, false);
                    call.check(connection, call.run(connection), true, true);
                    ++runs;
                }
            }
        }
        std::cout << call.name << ": " << points << " file operations, " << runs << " faults\n";
    }

    void Fresh(const LoopCall& call) {
        vfs.FailAt(FaultyVfs::kRead, 0);
        testing_support::FreshLoopDatabase(dir, call.file);
    }

    testing_support::TempDir dir{"/dev/shm"};
    FaultyVfs vfs;
};

TEST_F(StorageFaultLoop, ItemImport) {
    Loop(testing_support::LoopItemImport());
}

TEST_F(StorageFaultLoop, PersonImport) {
    Loop(testing_support::LoopPersonImport());
}

TEST_F(StorageFaultLoop, Exports) {
    for (const LoopCall& call : testing_support::LoopExports()) Loop(call);
}

}  // namespace
