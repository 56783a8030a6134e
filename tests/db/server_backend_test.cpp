// The ODBC backend against the test database server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <tuple>

#include "base/fault.h"
#include "base/text.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "support/host.h"
#include "support/requests.h"
#include "support/server_db.h"

namespace {

TEST(ServerBackendTest, ValuesTypesAndRowCountsAsOnSqlite) {
    REQUIRE_TEST_SERVER();
    testing_support::ServerDb server;
    auto connection = server.Connect();
    EXPECT_EQ(connection->dialect().kind(), db::Dialect::Kind::kMariaDb);

    db::Recordset rows;
    rows.Open("select cPsn_Num, cPsn_Name, rPersonType from pubperson where cPsn_Num = ?",
              *connection, db::adOpenUnspecified, db::adLockUnspecified, {db::Value("0001")});
    ASSERT_FALSE(rows.IsEOF());
    EXPECT_EQ(rows["cpsn_name"].Text(), "林晓东");
    EXPECT_EQ(rows.columns()[1].name, "cPsn_Name") << "names as the table declares them";
    rows.Close();

    // Texts of any length and script, numbers and Null make the trip unchanged.
    std::string longText = "高天宇";
    for (int i = 0; i < 1500; ++i) longText += "x宇";
    rows.Open("select ?, cPsn_Name from pubperson where cPsn_Num = '0019'", *connection,
              db::adOpenUnspecified, db::adLockUnspecified, {db::Value(longText)});
    EXPECT_EQ(rows[0].Text(), longText);
    EXPECT_EQ(rows[1].Text(), "高天宇");
    rows.Close();
    connection->Execute("update pubperson set cPsn_Name = ?, rPersonType = ? where cPsn_Num = ?",
                        {db::Value("韦"), db::Null{}, db::Value("0002")});
    EXPECT_EQ(server.Scalar("select cPsn_Name from pubperson where cPsn_Num = '0002'"), "韦");
    EXPECT_EQ(server.Scalar("select rPersonType from pubperson where cPsn_Num = '0002'"), "<null>");
    EXPECT_EQ(
        connection->Execute("update WA_GZData set F_1 = ?, F_4 = ? where cPsn_Num = ?",
                            {db::Value(1234.5), db::Value(std::int64_t{7}), db::Value("0001")}),
        std::stoll(server.Scalar("select count(*) from WA_GZData where cPsn_Num = '0001'")));
    EXPECT_EQ(server.Scalar("select F_1 from WA_GZData where cPsn_Num = '0001'"), "1234.5");
    // Found rows, not changed rows: setting the same value again still counts the row.
    EXPECT_GT(connection->Execute("update WA_GZData set F_1 = 1234.5 where cPsn_Num = '0001'"), 0);
    EXPECT_EQ(connection->Execute("update WA_GZData set F_1 = 1 where cPsn_Num = 'none'"), 0);

    // Comparisons ignore case, as under the ERP's collation.
    EXPECT_EQ(server.Scalar("select count(*) from accinformation where cName = 'DWAFIRSTDATE'"),
              "1");

    auto columns = connection->DeclaredColumns("wa_psn");
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns[1].name, "cGZGradeNum");
    EXPECT_EQ(columns[1].length, 3u);
    EXPECT_THROW(connection->DeclaredColumns("WA_nothing"), base::Fault);
    auto tables = connection->TableNames();
    EXPECT_NE(std::find(tables.begin(), tables.end(), "wa_gzdata"), tables.end());
}

TEST(ServerBackendTest, TransactionsSavepointsAndTwoResultSetsAtOnce) {
    REQUIRE_TEST_SERVER();
    testing_support::ServerDb server;
    auto connection = server.Connect();
    {
        db::Transaction transaction(*connection);
        connection->Execute("delete from WA_GZData");
    }
    EXPECT_NE(server.Scalar("select count(*) from WA_GZData"), "0") << "rolled back";
    {
        db::Transaction transaction(*connection);
        connection->Execute("delete from WA_dept where cDept_Num = '0101'");
        {
            db::Savepoint part(*connection);
            connection->Execute("delete from WA_dept");
        }
        transaction.Commit();
    }
    EXPECT_EQ(server.Scalar("select count(*) from WA_dept where cDept_Num = '0101'"), "0");
    EXPECT_NE(server.Scalar("select count(*) from WA_dept"), "0") << "the part was undone";

    // A statement run while a result set is still being read: the rest of it is kept.
    db::Recordset outer;
    outer.Open("select cPsn_Num from pubperson order by cPsn_Num", *connection);
    int seen = 0;
    for (; !outer.IsEOF(); outer.MoveNext(), ++seen) {
        db::Recordset inner;
        inner.Open("select cPsn_Name from pubperson where cPsn_Num = ?", *connection,
                   db::adOpenUnspecified, db::adLockUnspecified, {outer[0].value()});
        EXPECT_FALSE(inner.IsEOF()) << outer[0].Text();
    }
    EXPECT_EQ(std::to_string(seen), server.Scalar("select count(*) from pubperson"));

    try {
        connection->Execute("select * from no_such_table");
        ADD_FAILURE() << "a statement on a missing table ran";
    } catch (const base::Fault& fault) {
        EXPECT_EQ(fault.number(), db::kErrorsInCommand);
        EXPECT_NE(fault.description().find("no_such_table"), std::string::npos);
        EXPECT_EQ(fault.description().find("wagelink-test"), std::string::npos);
    }
}

// Transactions are driven through the ODBC API, never as prepared statements: unixODBC's trace of
// an import, an enrolment and a trial, run by the host, holds SQLEndTran for the trial's rollback,
// and no transaction statement but the trial's savepoints, which run directly. The records of the
// import and the enrolment each commit in their one statement.
TEST(ServerBackendTest, TransactionsAreEndedThroughTheOdbcApi) {
    REQUIRE_TEST_SERVER();
    testing_support::ServerDb server;
    testing_support::HostFolder host;
    {
        std::ifstream system("/etc/odbcinst.ini");
        std::ofstream ini(host.File("odbcinst.ini"));
        ini << system.rdbuf() << "\n[ODBC]\nTrace=Yes\nTraceFile=" << host.File("trace.log")
            << "\n";
    }
    const std::string items = testing_support::AddRequest(
        {testing_support::ItemRecord({}, {{"奖金", "0", "1"}}),
         testing_support::ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}},
                                     {{"奖金", "0", "1"}})});
    const std::string persons =
        testing_support::AddRequest({testing_support::PersonRecord()}, "salaryperson");
    std::string replies;
    for (const auto& [progId, request, trial] :
         {std::tuple{"Wagelink.ISalaryItem", items, false},
          std::tuple{"Wagelink.ISalaryPerson", persons, false},
          std::tuple{"Wagelink.ISalaryItem", items, true}}) {
        std::vector<std::string> args = {"transact",
                                         progId,
                                         "-",
                                         "--connection",
                                         server.ConnectionString(),
                                         "--login-year",
                                         "2026",
                                         "--login-month",
                                         "11"};
        if (trial) args.push_back("--validate-only");
        setenv("ODBCSYSINI", host.dir().path().c_str(), 1);
        replies += host.Run(args, request).out;
        unsetenv("ODBCSYSINI");
    }
    EXPECT_EQ(replies.find("code=\"999\""), std::string::npos) << replies;
    EXPECT_NE(replies.find("code=\"0\""), std::string::npos) << replies;

    std::ifstream trace(host.File("trace.log"));
    ASSERT_TRUE(trace) << "unixODBC wrote no trace";
    std::map<std::string, int> ends;  // by completion type: 0 commit, 1 rollback
    std::string line, call;
    int pairs = 0;
    while (std::getline(trace, line)) {
        if (line.rfind("[ODBC]", 0) == 0) call = line;  // the call the lines after it belong to
        if (call.find("[SQLEndTran.c]") != std::string::npos &&
            line.find("Completion Type = ") != std::string::npos)
            ++ends[line.substr(line.find('=') + 2)];
        const std::size_t text = line.find("SQL = [");
        if (text == std::string::npos) continue;
        const std::string sql = base::AsciiUpper(line.substr(text + 7, 20));
        // An enrolment's compound statement, which holds its own transaction, is prepared.
        pairs += sql.rfind("BEGIN NOT ATOMIC", 0) == 0;
        bool control = false;
        for (const char* word : {"BEGIN", "START", "COMMIT", "ROLLBACK", "SAVE", "RELEASE"})
            control |= sql.rfind(word, 0) == 0;
        EXPECT_FALSE(control && call.find("SQLExecDirect") == std::string::npos &&
                     sql.rfind("BEGIN NOT ATOMIC", 0) != 0)
            << "prepared: " << line;
    }
    EXPECT_EQ(ends["0"], 1) << "the import's group, and nothing else, committed through the API";
    EXPECT_GE(pairs, 1) << "the enrolment was not one statement";
    EXPECT_GE(ends["1"], 1) << "the trial rolled back";
}

// A write that waits too long for another transaction's lock is a time-out fault; rolled back,
// it leaves nothing.
TEST(ServerBackendTest, ALockWaitTimeOutIsATimeOutAndRollsBack) {
    REQUIRE_TEST_SERVER();
    testing_support::ServerDb server;
    auto holder = server.Connect();
    auto waiter = server.Connect();
    waiter->Execute("SET SESSION innodb_lock_wait_timeout = 1");
    db::Transaction held(*holder);
    holder->Execute("update WA_dept set cDept_Num = cDept_Num where cGZGradeNum = '001'");
    try {
        db::Transaction transaction(*waiter);
        waiter->Execute("delete from WA_psn where cPsn_Num = '0001'");
        waiter->Execute("update WA_dept set cDept_Num = cDept_Num where cGZGradeNum = '001'");
        ADD_FAILURE() << "the write did not wait for the lock";
    } catch (const base::Fault& fault) {
        EXPECT_EQ(fault.number(), db::kTimeout) << fault.description();
    }
    EXPECT_EQ(server.Scalar("select count(*) from WA_psn where cPsn_Num = '0001'"), "1");
}

}  // namespace
