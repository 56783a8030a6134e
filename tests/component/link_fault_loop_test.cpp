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

using testing_support::LoopCall;

class LinkFaultLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_TEST_SERVER();
        testing_support::WriteLoopDatabases(dir);
    }
    // Runs `call` uncut (counting its statements), then cut at each point in turn, through the
    // proxy; what it left is judged on the server directly.
    void Loop(const LoopCall& call) {
        server = std::make_unique<testing_support::ServerDb>();
        sql::CopyPayrollRows(dir.File(call.file), server->ConnectionString());
        FaultProxy proxy(server->Port());
        const std::string cut = server->ConnectionStringVia(proxy.port());
        const std::string direct = server->ConnectionString();
        Reset(call);
        proxy.CutAtStatement(0, When::kBefore);
        call.check(direct, call.run(cut), true, false);
        const int points = proxy.statements();
        int cuts = 0;
        for (int n = 1; n <= points; n += testing_support::LoopStride(3)) {
            for (When when : {When::kBefore, When::kAfter}) {
                SCOPED_TRACE(call.name + ": cut " + (when == When::kBefore ? "before" : "after") +
                             " statement " + std::to_string(n) + " of " + std::to_string(points));
                Reset(call);
                const int before = proxy.cuts();
                proxy.CutAtStatement(n, when);
                call.check(direct, call.run(cut), false, false);
                EXPECT_EQ(proxy.cuts(), before + 1) << "the point was not reached";
                ++cuts;
            }
        }
        Reset(call);
        proxy.CutAtStatement(0, When::kBefore);
        call.check(direct, call.run(cut), true, false);  // and the call after the loop works
        std::cout << call.name << ": " << points << " statements, " << cuts << " cuts\n";
    }
    // The call's rows as the template has them: no bonus written, no person enrolled.
    void Reset(const LoopCall& call) {
        auto connection = server->Connect();
        if (call.file == "items.db") {
            connection->Execute("update WA_GZData set F_9 = NULL");
            return;
        }
        for (const char* table : {"WA_GZData", "WA_psn"})
            connection->Execute(std::string("delete from ") + table + " where cPsn_Num like 'E%'");
    }
    testing_support::TempDir dir;
    std::unique_ptr<testing_support::ServerDb> server;
};

TEST_F(LinkFaultLoop, ItemImport) {
    Loop(testing_support::LoopItemImport());
}

TEST_F(LinkFaultLoop, PersonImport) {
    Loop(testing_support::LoopPersonImport());
}

TEST_F(LinkFaultLoop, Exports) {
    for (const LoopCall& call : testing_support::LoopExports()) Loop(call);
}

}  // namespace
