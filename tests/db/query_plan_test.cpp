// The payroll schema carries the indexes the record checks use: no lookup of an import scans a
// whole table.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "component/classes.h"
#include "db/recordset.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/requests.h"

namespace {

// The plan lines of `sql` that scan a table instead of searching an index.
std::vector<std::string> Scans(db::Connection& connection, const std::string& sql) {
    // The plan does not depend on the values: every parameter is bound to Null.
    std::vector<db::Value> params(std::count(sql.begin(), sql.end(), '?'), db::Null{});
    db::Recordset plan;
    plan.Open("EXPLAIN QUERY PLAN " + sql, connection, db::adOpenUnspecified, db::adLockUnspecified,
              params);
    std::vector<std::string> scans;
    for (; !plan.IsEOF(); plan.MoveNext()) {
        std::string detail = plan["detail"].Text();
        if (detail.rfind("SCAN ", 0) == 0) scans.push_back(detail);
    }
    return scans;
}

TEST(QueryPlans, ImportLookupsSearchIndexes) {
    testing_support::DemoDb demo;
    component::Instance self(messages::SalaryItemNames());
    std::set<std::string> statements;
    self.statementHook = [&](const std::string& sql) {
        // The check that the database is a payroll database reads SQLite's own catalogue.
        if (sql.rfind("BEGIN", 0) != 0 && sql != "COMMIT" && sql != "ROLLBACK" &&
            sql.find("sqlite_master") == std::string::npos && sql.rfind("PRAGMA", 0) != 0)
            statements.insert(sql);
    };
    std::string reply = component::Transact(
        self, *component::SalaryItem::NewRecordKind(self),
        testing_support::AddRequest(
            {testing_support::ItemRecord({}, {{"奖金", "0", "1"}, {"备注", "1", "x"}}),
             testing_support::ItemRecord({{"salarygradeno", ""}, {"salarygradename", "正式人员"}},
                                         {{"奖金", "0", "2"}})}),
        testing_support::NewLogin(demo.ConnectionString()).get());
    ASSERT_EQ(reply.find("code=\"1"), std::string::npos) << reply;
    ASSERT_GE(statements.size(), 10u);
    auto connection = demo.Connect();
    for (const std::string& sql : statements)
        EXPECT_EQ(Scans(*connection, sql), std::vector<std::string>{}) << sql;
}

}  // namespace
