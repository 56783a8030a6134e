// The link to the server cut before and after each statement of a call in turn, and the call
// run again from the start each time: no record is reported written that is not in the database,
// none that is in it is reported not written (a cut while a COMMIT is on its way included), a
// person is enrolled with both rows or neither, an export delivers every page or fails, and the
// next call works. The tests cut at every third statement; WAGELINK_FAULT_LOOPS=full (as
// scripts/fault-loops.sh sets it) at every one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>

#include "base/fault.h"
#include "large_demo.h"
#include "server_database.h"
#include "support/dispatch.h"
#include "support/fault_loop.h"
#include "support/fault_proxy.h"
#include "support/pages.h"
#include "support/server_db.h"
#include "support/temp_dir.h"
#include "xml/document.h"

namespace {

using testing_support::FaultProxy;
using When = FaultProxy::When;

using testing_support::kLoopItems;
using testing_support::kLoopPageSize;

// One call under the loop: how to put its database back, run it and judge what it left.
struct Call {
    std::function<std::string(com::IDispatch* login)> run;  // the reply, or "fault: ..."
    std::function<void()> reset;
    std::function<void(const std::string& reply)> check;
};

class LinkFaultLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_TEST_SERVER();
        testing_support::WriteLoopDatabases(dir);
    }
    // Runs `call` uncut (counting its statements), then cut at each point in turn.
    void Loop(const char* name, const std::string& file, const Call& call) {
        server = std::make_unique<testing_support::ServerDb>();
        sql::CopyPayrollRows(dir.File(file), server->ConnectionString());
        FaultProxy proxy(server->Port());
        auto login = testing_support::NewLogin(server->ConnectionStringVia(proxy.port()));
        call.reset();
        proxy.CutAtStatement(0, When::kBefore);
        call.check(call.run(login.get()));
        const int points = proxy.statements();
        int cuts = 0;
        for (int n = 1; n <= points; n += testing_support::LoopStride(3)) {
            for (When when : {When::kBefore, When::kAfter}) {
                SCOPED_TRACE(std::string(name) + ": cut " +
                             (when == When::kBefore ? "before" : "after") + " statement " +
                             std::to_string(n) + " of " + std::to_string(points));
                call.reset();
                const int before = proxy.cuts();
                proxy.CutAtStatement(n, when);
                call.check(call.run(login.get()));
                EXPECT_EQ(proxy.cuts(), before + 1) << "the point was not reached";
                ++cuts;
            }
        }
        call.reset();
        proxy.CutAtStatement(0, When::kBefore);
        call.check(call.run(login.get()));  // and the call after the loop works
        std::cout << name << ": " << points << " statements, " << cuts << " cuts\n";
    }
    testing_support::TempDir dir;
    std::unique_ptr<testing_support::ServerDb> server;
};

TEST_F(LinkFaultLoop, ItemImport) {
    const std::string request = testing_support::LoopItemRequest();
    Loop("item import", "items.db",
         {[&](com::IDispatch* login) {
              return testing_support::CallOrFault(testing_support::NewSalaryItem().get(), request,
                                                  login);
          },
          [&] { server->Connect()->Execute("update WA_GZData set F_9 = NULL"); },
          [&](const std::string& reply) {
              testing_support::ExpectItemsAsReplied(server->ConnectionString(), reply, false);
          }});
}

TEST_F(LinkFaultLoop, PersonImport) {
    const std::string request = testing_support::LoopPersonRequest();
    Loop("person import", "persons.db",
         {[&](com::IDispatch* login) {
              return testing_support::CallOrFault(testing_support::NewSalaryPerson().get(), request,
                                                  login);
          },
          [&] {
              auto connection = server->Connect();
              for (const char* table : {"WA_GZData", "WA_psn"})
                  connection->Execute(std::string("delete from ") + table +
                                      " where cPsn_Num like 'E%'");
          },
          [&](const std::string& reply) {
              testing_support::ExpectPersonsAsReplied(server->ConnectionString(), reply, false);
          }});
}

TEST_F(LinkFaultLoop, PagedExport) {
    const std::string request = testing_support::LoopExportRequest();
    std::vector<testing_support::Page> pages;
    Loop("paged export", "items.db",
         {[&](com::IDispatch* login) {
              auto item = testing_support::NewSalaryItem();
              auto collector = testing_support::PageCollector::Create();
              testing_support::HoldCaller(item.get(), *collector.get());
              std::string reply = testing_support::CallOrFault(item.get(), request, login);
              pages = collector->pages;
              return reply;
          },
          [] {},
          [&](const std::string& reply) {
              // Every page delivered is whole; all of them unless the call failed or its set-up
              // was answered with a fault reply.
              const long count = kLoopItems / kLoopPageSize;
              const bool failed =
                  reply.rfind("fault ", 0) == 0 || reply.rfind("<reply code=", 0) == 0;
              if (!failed) {
                  EXPECT_EQ(pages.size(), std::size_t(count)) << reply;
              }
              for (std::size_t i = 0; i < pages.size(); ++i) {
                  EXPECT_EQ(pages[i].number, static_cast<long>(i + 1));
                  EXPECT_EQ(pages[i].count, count);
                  EXPECT_EQ(testing_support::RecordCount(pages[i].xml, "salaryitem"),
                            std::size_t(kLoopPageSize));
              }
          }});
}

}  // namespace
