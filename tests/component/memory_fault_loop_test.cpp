// Memory running out inside Transact: the n-th allocation of a call fails (operator new, SQLite's
// and pugixml's allocators), alone or with every one after it, for n from 1 until the call no
// longer meets the fault. Each run must end with the right reply, a reply or a failed call that
// says memory ran out (error 7), never a crash or a wrong answer; the database stays sound, a
// reply matches what is in it, and the same call works afterwards. Leaks are the sanitizer
// build's to find. The tests take some thirty points of each call and mode;
// WAGELINK_FAULT_LOOPS=full (scripts/fault-loops.sh) every one.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <new>

#include "base/fault.h"
#include "base/text.h"
#include "large_demo.h"
#include "support/allocation_faults.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/fault_loop.h"
#include "support/pages.h"
#include "support/temp_dir.h"
#include "xml/document.h"

namespace {

using testing_support::AllocationFaults;
using Mode = AllocationFaults::Mode;

constexpr long kEveryEarlyPoint = 16;

bool SaysMemoryRanOut(const std::string& text) {
    return base::AsciiLower(text).find("out of memory") != std::string::npos;
}

// A reply, or a failed call, that is either right or says memory ran out.
void ExpectRightOrOutOfMemory(const std::string& reply) {
    if (reply.rfind("fault ", 0) == 0) {
        EXPECT_TRUE(reply.rfind("fault 7: ", 0) == 0 || SaysMemoryRanOut(reply)) << reply;
        return;
    }
    xml::Document doc;
    ASSERT_TRUE(doc.Load(reply)) << reply;
    xml::Element root = doc.Root();
    if (root.Name() == "reply" && root.HasAttribute("code")) {
        EXPECT_EQ(root.GetAttribute("code"), "7") << reply;
        return;
    }
    for (xml::Element result : root.Children("result")) {
        if (result.GetAttribute("code") != "0") {
            EXPECT_TRUE(SaysMemoryRanOut(result.GetAttribute("message"))) << reply;
        }
    }
}

using testing_support::LoopCall;

class MemoryFaultLoop : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::WriteLoopDatabases(dir); }

    std::string Armed(const LoopCall& call, const std::string& connection, long n, Mode mode) {
        faults.Arm(n, mode);
        std::string reply;
        try {
            reply = call.run(connection);
        } catch (const std::bad_alloc&) {
            faults.Disarm();
            return "fault 7: out of memory in the test's own code";
        } catch (const base::Fault& fault) {  // making the objects for the call, as a host would
            faults.Disarm();
            return "fault " + std::to_string(fault.number()) + ": " + fault.description();
        } catch (const std::exception& e) {
            faults.Disarm();
            ADD_FAILURE() << "an exception escaped the call: " << e.what();
            return "fault 0: escaped";
        }
        faults.Disarm();
        return reply;
    }

    void Loop(const LoopCall& call) {
        const std::string connection = testing_support::FreshLoopDatabase(dir, call.file);
        const std::string uncut = Armed(call, connection, 0, Mode::kOnly);
        const long count = faults.count();
        call.check(connection, uncut, true, false);
        long runs = 0;
        const int stride = testing_support::LoopStride(static_cast<int>(std::max(1L, count / 30)));
        for (Mode mode : {Mode::kOnly, Mode::kFromThereOn}) {
            // Every one of the first points: a call's first allocations are where a fault has
            // nothing left to report itself with (the COM boundary's error info once was).
            for (long n = 1; n <= count; n += n < kEveryEarlyPoint ? 1 : stride) {
                SCOPED_TRACE(call.name + ": allocation " + std::to_string(n) + " of " +
                             std::to_string(count) +
                             (mode == Mode::kOnly ? " fails" : " and every one after it fail"));
                testing_support::FreshLoopDatabase(dir, call.file);
                const std::string reply = Armed(call, connection, n, mode);
                ExpectRightOrOutOfMemory(reply);
                EXPECT_EQ(testing_support::ScalarText(*testing_support::ConnectTo(connection),
                                                      "PRAGMA integrity_check"),
                          "ok");
                if (reply.rfind("fault ", 0) != 0) call.check(connection, reply, false, false);
                call.check(connection, call.run(connection), true, true);
                ++runs;
            }
        }
        std::cout << call.name << ": " << count << " allocations, " << runs << " faults\n";
    }

    testing_support::TempDir dir{"/dev/shm"};
    AllocationFaults faults;
};

TEST_F(MemoryFaultLoop, ItemImport) {
    Loop(testing_support::LoopItemImport());
}

TEST_F(MemoryFaultLoop, PersonImport) {
    Loop(testing_support::LoopPersonImport());
}

TEST_F(MemoryFaultLoop, Exports) {
    for (const LoopCall& call : testing_support::LoopExports()) Loop(call);
}

}  // namespace
