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

// One call under the loop: its template database, the run, and the judgement of what it left
// (`complete`: the run met no fault; `again`: the same call ran before on this database).
struct Call {
    const char* name;
    std::string file;
    std::function<std::string(const std::string& connection)> run;
    std::function<void(const std::string& connection, const std::string& reply, bool complete,
                       bool again)>
        check;
};

class StorageFaultLoop : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::WriteLoopDatabases(dir); }

    void Loop(const Call& call) {
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
                    SCOPED_TRACE(std::string(call.name) + ": operation " + std::to_string(kind) +
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

    void Fresh(const Call& call) {
        vfs.FailAt(FaultyVfs::kRead, 0);
        testing_support::FreshLoopDatabase(dir, call.file);
    }

    testing_support::TempDir dir{"/dev/shm"};
    FaultyVfs vfs;
};

TEST_F(StorageFaultLoop, ItemImport) {
    const std::string request = testing_support::LoopItemRequest();
    Loop({"item import", "items.db",
          [&](const std::string& connection) {
              return testing_support::CallWithLogin(testing_support::NewSalaryItem().get(), request,
                                                    connection);
          },
          [&](const std::string& connection, const std::string& reply, bool complete, bool) {
              testing_support::ExpectItemsAsReplied(connection, reply, complete);
          }});
}

TEST_F(StorageFaultLoop, PersonImport) {
    const std::string request = testing_support::LoopPersonRequest();
    Loop({"person import", "persons.db",
          [&](const std::string& connection) {
              return testing_support::CallWithLogin(testing_support::NewSalaryPerson().get(),
                                                    request, connection);
          },
          [&](const std::string& connection, const std::string& reply, bool complete, bool again) {
              testing_support::ExpectPersonsAsReplied(connection, reply, complete, again);
          }});
}

// The exports deliver whole pages and, when they answer, every record.
TEST_F(StorageFaultLoop, Exports) {
    for (const testing_support::LoopExport& e : testing_support::LoopExports()) {
        std::vector<testing_support::Page> pages;
        Loop({e.name, "items.db",
              [&](const std::string& connection) {
                  return testing_support::RunLoopExport(e, connection, pages);
              },
              [&](const std::string&, const std::string& reply, bool complete, bool) {
                  testing_support::ExpectExportWhole(e, reply, pages, complete);
              }});
    }
}

}  // namespace
