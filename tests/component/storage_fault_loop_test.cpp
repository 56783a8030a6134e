// The storage failing under SQLite: a read, write, sync, lock or truncate of the database's files
// fails (an I/O error, or a full disk for a write), at each point of a call in turn. Each run
// must end with a reply or a failed call, never a crash; the database stays sound; no record is
// reported written that is not in it, none in it is reported not written; and the same call on
// the same database works afterwards. The tests take every third point;
// WAGELINK_FAULT_LOOPS=full (scripts/fault-loops.sh) every one.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "base/fault.h"
#include "large_demo.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/faulty_vfs.h"
#include "support/pages.h"
#include "support/temp_dir.h"
#include "xml/document.h"

namespace {

using testing_support::FaultyVfs;

constexpr int kItems = 20, kPersons = 10, kPageSize = 5;

int Stride() {
    const char* loops = std::getenv("WAGELINK_FAULT_LOOPS");
    return loops && std::string(loops) == "full" ? 1 : 3;
}

std::map<int, std::string> Codes(const std::string& reply) {
    std::map<int, std::string> codes;
    xml::Document doc;
    if (!doc.Load(reply)) return codes;
    for (xml::Element result : doc.Root().Children("result"))
        codes[std::stoi(result.GetAttribute("n"))] = result.GetAttribute("code");
    return codes;
}

std::string Called(com::IDispatch* server, const std::string& request, const std::string& path) {
    auto login = testing_support::NewLogin("Provider=SQLite;Data Source=" + path);
    try {
        return testing_support::Transact(server, request, login.get());
    } catch (const base::Fault& fault) {
        return "fault: " + fault.description();
    }
}

// One call under the loop: its template database, the run, and the judgement of what it left
// (`complete`: the run met no fault, so everything must have been done).
struct Call {
    const char* name;
    std::string file;
    std::function<std::string(const std::string& path)> run;
    std::function<void(const std::string& path, const std::string& reply, bool complete)> check;
};

class StorageFaultLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        sql::WriteLargeDemoDatabase(dir.File("items.db"), kItems, 12);
        sql::WriteEnrolmentDemoDatabase(dir.File("persons.db"), kPersons, 3);
    }

    void Loop(const Call& call) {
        const std::string path = dir.File("run.db");
        int points = 0, runs = 0;
        for (int kind = 0; kind < FaultyVfs::kOperations; ++kind) {
            auto operation = static_cast<FaultyVfs::Operation>(kind);
            Fresh(call);
            vfs.FailAt(operation, 0);
            call.check(path, call.run(path), true);
            const int count = vfs.count(operation);
            points += count;
            for (int n = 1; n <= count; n += Stride()) {
                for (bool diskFull : {false, true}) {
                    if (diskFull && operation != FaultyVfs::kWrite) continue;
                    SCOPED_TRACE(std::string(call.name) + ": operation " + std::to_string(kind) +
                                 (diskFull ? " (disk full)" : "") + " number " + std::to_string(n) +
                                 " of " + std::to_string(count) + " fails");
                    Fresh(call);
                    vfs.FailAt(operation, n, diskFull);
                    const std::string reply = call.run(path);
                    const bool failed = vfs.failed();
                    vfs.FailAt(operation, 0);
                    EXPECT_EQ(
                        testing_support::ScalarText(
                            *testing_support::ConnectTo("Provider=SQLite;Data Source=" + path),
                            "PRAGMA integrity_check"),
                        "ok");
                    call.check(path, reply, !failed);
                    call.check(path, call.run(path), true);  // the same call again works
                    ++runs;
                }
            }
        }
        std::cout << call.name << ": " << points << " file operations, " << runs << " faults\n";
    }

    void Fresh(const Call& call) {
        vfs.FailAt(FaultyVfs::kRead, 0);
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(dir.File(std::string("run.db") + suffix));
        std::filesystem::copy_file(dir.File(call.file), dir.File("run.db"));
    }

    testing_support::TempDir dir{"/dev/shm"};
    FaultyVfs vfs;
};

std::string ScalarOf(const std::string& path, const std::string& sql) {
    return testing_support::ScalarText(
        *testing_support::ConnectTo("Provider=SQLite;Data Source=" + path), sql);
}

TEST_F(StorageFaultLoop, ItemImport) {
    const std::string request = sql::LargeDemoItemRequest(
        0, kItems, {{"奖金", 0, [](int n) { return std::to_string(1000 + n); }}});
    Loop({"item import", "items.db",
          [&](const std::string& path) {
              return Called(testing_support::NewSalaryItem().get(), request, path);
          },
          [&](const std::string& path, const std::string& reply, bool complete) {
              std::map<int, std::string> codes = Codes(reply);
              for (int n = 0; n < kItems; ++n) {
                  const bool written =
                      ScalarOf(path,
                               "select count(*) from WA_GZData where iMonth = 11 and "
                               "cPsn_Num = '" +
                                   sql::LargeDemoPersonCode(n) +
                                   "' and F_9 = " + std::to_string(1000 + n)) == "1";
                  EXPECT_EQ(written, codes[n + 1] == "0")
                      << "record " << n + 1 << ": " << codes[n + 1] << " in " << reply;
                  if (complete) {
                      EXPECT_TRUE(written) << reply;
                  }
              }
          }});
}

TEST_F(StorageFaultLoop, PersonImport) {
    const std::string request = sql::EnrolmentRequest(0, kPersons, 3);
    Loop({"person import", "persons.db",
          [&](const std::string& path) {
              return Called(testing_support::NewSalaryPerson().get(), request, path);
          },
          [&](const std::string& path, const std::string& reply, bool complete) {
              std::map<int, std::string> codes = Codes(reply);
              for (int n = 0; n < kPersons; ++n) {
                  const std::string code = sql::EnrolmentPersonCode(n);
                  const std::string roster =
                      ScalarOf(path, "select count(*) from WA_psn where cPsn_Num = '" + code + "'");
                  EXPECT_EQ(roster, ScalarOf(path,
                                             "select count(*) from WA_GZData where "
                                             "cPsn_Num = '" +
                                                 code + "'"))
                      << "person " << n + 1 << " half enrolled";
                  // Run again on the same database, an enrolled person is a duplicate (101).
                  if (!complete || codes[n + 1] != "101") {
                      EXPECT_EQ(roster == "1", codes[n + 1] == "0")
                          << "person " << n + 1 << ": " << codes[n + 1] << " in " << reply;
                  }
                  if (complete) {
                      EXPECT_EQ(roster, "1") << reply;
                  }
              }
          }});
}

// The exports: a paged item export, a kest export and a roster export.
TEST_F(StorageFaultLoop, Exports) {
    struct Export {
        const char* name;
        bool person;
        std::string request;
        std::size_t records;
    };
    const Export kExports[] = {
        {"paged item export", false,
         "<vkinterface roottag='salaryitem' proc='QUERY' paginate='" + std::to_string(kPageSize) +
             "'><salaryitem><field name='cPsn_Num' operation='like' value='B'/></salaryitem>"
             "</vkinterface>",
         kItems},
        {"kest export", false,
         "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem type='kest'>"
         "<field name='cPsn_Num' operation='like' value='B'/></salaryitem></vkinterface>",
         kItems},
        {"roster export", true,
         "<vkinterface roottag='salaryperson' proc='QUERY' paginate='0'><salaryperson><field "
         "name='cPsn_Num' operation='like' value='B'/></salaryperson></vkinterface>",
         kItems},
    };
    for (const Export& e : kExports) {
        std::vector<testing_support::Page> pages;
        Loop({e.name, "items.db",
              [&](const std::string& path) {
                  auto server = e.person ? testing_support::NewSalaryPerson()
                                         : testing_support::NewSalaryItem();
                  auto collector = testing_support::PageCollector::Create();
                  testing_support::HoldCaller(server.get(), *collector.get());
                  std::string reply = Called(server.get(), e.request, path);
                  pages = collector->pages;
                  return reply;
              },
              [&](const std::string&, const std::string& reply, bool complete) {
                  const char* tag = e.person ? "salaryperson" : "salaryitem";
                  std::size_t records = 0;
                  for (const testing_support::Page& page : pages) {
                      EXPECT_EQ(testing_support::RecordCount(page.xml, tag),
                                std::size_t(kPageSize));
                      records += kPageSize;
                  }
                  const bool answered =
                      reply.rfind("fault: ", 0) != 0 && reply.rfind("<reply code=", 0) != 0;
                  if (answered && pages.empty()) records = testing_support::RecordCount(reply, tag);
                  if (answered || complete) {
                      EXPECT_EQ(records, e.records) << reply;
                  }
              }});
    }
}

}  // namespace
