#include <gtest/gtest.h>

#include <fstream>

#include "base/fault.h"
#include "create_database.h"
#include "db/connection.h"
#include "db/connection_string.h"
#include "db/lookup.h"
#include "db/recordset.h"
#include "support/demo_db.h"
#include "support/server_db.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

std::unique_ptr<db::Connection> Fresh(const TempDir& dir, const std::string& script) {
    std::string path = dir.File("t.db");
    sql::CreateDatabase(path, script);
    auto c = std::make_unique<db::Connection>();
    c->Open("provider=sqlite; DATA SOURCE=" + path);
    return c;
}

TEST(Database, DeclaredTypesMapToAdoTypes) {
    TempDir dir;
    const std::pair<const char*, int> kTypes[] = {{"char(4)", 129},
                                                  {"nchar(4)", 130},
                                                  {"varchar(20)", 200},
                                                  {"NVARCHAR(40)", 202},
                                                  {"text", 201},
                                                  {"ntext", 203},
                                                  {"bit", 11},
                                                  {"tinyint", 17},
                                                  {"smallint", 2},
                                                  {"int", 3},
                                                  {"integer", 3},
                                                  {"bigint", 20},
                                                  {"real", 4},
                                                  {"float", 5},
                                                  {"money", 6},
                                                  {"smallmoney", 6},
                                                  {"decimal(12,2)", 131},
                                                  {"numeric(8)", 131},
                                                  {"datetime", 135},
                                                  {"smalldatetime", 135},
                                                  {"date", 133},
                                                  {"time", 134},
                                                  {"uniqueidentifier", 72},
                                                  {"binary(8)", 128},
                                                  {"varbinary(8)", 204},
                                                  {"image", 205}};
    std::string ddl = "create table t (";
    for (std::size_t i = 0; i < std::size(kTypes); ++i)
        ddl += (i ? ", c" : "c") + std::to_string(i) + " " + kTypes[i].first;
    auto c = Fresh(dir, ddl + ");");
    db::Recordset rows;
    rows.Open("select t.*, 1 as i, 1.5 as r, 'x' as s, null as n from t where 1 > 1", *c);
    ASSERT_EQ(rows.FieldCount(), std::size(kTypes) + 4);
    for (std::size_t i = 0; i < std::size(kTypes); ++i)
        EXPECT_EQ(rows.columns()[i].type, kTypes[i].second) << kTypes[i].first;
    rows.Close();
    // Expression columns take their type from the value.
    rows.Open("select 1 as i, 1.5 as r, 'x' as s, null as n", *c);
    EXPECT_EQ(rows["i"].Type(), db::adInteger);
    EXPECT_EQ(rows["r"].Type(), db::adDouble);
    EXPECT_EQ(rows["S"].Type(), db::adVarWChar);
    EXPECT_EQ(rows["n"].Type(), db::adEmpty);
}

// Columns are found by name whatever its ASCII case; of two names that differ only in case the
// first wins; letters beyond ASCII are compared as they are.
TEST(Columns, NamesAreFoundWithoutRegardToAsciiCase) {
    db::Columns columns({{"cPsn_Num", db::adVarWChar},
                         {"CPSN_NUM", db::adInteger},
                         {"Ä", db::adVarWChar},
                         {"人员", db::adVarWChar}});
    EXPECT_EQ(columns.Find("cpsn_num"), 0u);
    EXPECT_EQ(columns.Find("CPSN_num"), 0u);
    EXPECT_EQ(columns.Find("Ä"), 2u);
    EXPECT_EQ(columns.Find("ä"), std::nullopt);
    EXPECT_EQ(columns.Find("人员"), 3u);
    EXPECT_EQ(columns.Find("cpsn_nu"), std::nullopt);
    EXPECT_THROW(columns.IndexOf("missing"), base::Fault);
}

// A plain column reference is named as the statement spells it, a star as the table declares,
// alike on SQLite and on the server; the names here are declared in another case than written.
TEST(Database, ColumnReferencesAreNamedAsTheStatementWritesThem) {
    const std::string kTables =
        "create table Dept (cDepCode varchar(12), cDepName nvarchar(50));"
        "create table Psn (cPsn_Num varchar(20), cDepCode varchar(12))";
    struct Case {
        const char* sql;
        const char* names;
        bool portable;  // quoted names differ in syntax between the databases
    };
    const Case kCases[] = {
        {"select dept.cdepname, CDEPCODE from Dept", "cdepname,CDEPCODE", true},
        {"SELECT DISTINCT d.cdepname,d.* from Dept d", "cdepname,cDepCode,cDepName", true},
        {"select Dept.*, psn.cpsn_num from Dept, Psn", "cDepCode,cDepName,cpsn_num", true},
        {"select cdepname as Name, count(*), cdepcode x from Dept group by cdepname, cdepcode",
         "Name,count(*),x", true},
        {"select cdepname /* , a */ -- , b\n from Dept union select cpsn_num from Psn", "cdepname",
         true},
        {"select cdepname from Dept where cdepcode in (select cdepcode from Psn)", "cdepname",
         true},
        {"select \"cdepname\", [CDEPCODE], main.dept.cDEPname from Dept",
         "cdepname,CDEPCODE,cDEPname", false},
        {"select \"cdep\"\"name\" from (select cDepName as \"cdep\"\"name\" from Dept)",
         "cdep\"name", false},
    };
    TempDir dir;
    std::vector<std::unique_ptr<db::Connection>> connections;
    connections.push_back(Fresh(dir, kTables + ";"));
    std::unique_ptr<testing_support::ServerDb> server;
    if (testing_support::TestServer()) {
        server = std::make_unique<testing_support::ServerDb>(
            testing_support::ServerDb::Contents::kNothing);
        connections.push_back(server->Connect());
        for (const char* table : {"Dept (cDepCode varchar(12), cDepName varchar(50))",
                                  "Psn (cPsn_Num varchar(20), cDepCode varchar(12))"})
            connections.back()->Execute(std::string("create table ") + table);
    }
    for (const auto& connection : connections) {
        const bool sqlite = connection->dialect().kind() == db::Dialect::Kind::kSqlite;
        for (const Case& c : kCases) {
            if (!c.portable && !sqlite) continue;
            db::Recordset rows;
            rows.Open(c.sql, *connection);
            std::string names;
            for (std::size_t i = 0; i < rows.FieldCount(); ++i)
                names += (i ? "," : "") + rows.columns()[i].name;
            EXPECT_EQ(names, c.names) << c.sql << (sqlite ? " on SQLite" : " on the server");
        }
    }
    // A statement prepared before its table changed reports the columns the table has now.
    db::Connection& sqlite = *connections.front();
    sqlite.Execute("alter table Dept rename column cDepName to cName");
    db::Recordset rows;
    rows.Open("select Dept.*, psn.cpsn_num from Dept, Psn", sqlite);
    EXPECT_EQ(rows.columns()[1].name, "cName");
}

TEST(Database, MissingFilesAndOtherProvidersAreFaults) {
    TempDir dir;
    db::Connection c;
    try {
        c.Open("Provider=SQLite;Data Source=" + dir.File("absent.db"));
        FAIL() << "a missing file was opened";
    } catch (const base::Fault& f) {
        EXPECT_LT(f.number(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.db"))) << "opening created a database";
    EXPECT_EQ(c.State(), db::adStateClosed);
    EXPECT_THROW(c.Open("Provider=SQLOLEDB;Data Source=x"), base::Fault);
    EXPECT_THROW(c.Open("Provider=SQLite"), base::Fault);
    sql::CreateDatabase(dir.File("a.db"), "create table t (x int);");
    EXPECT_THROW(sql::CreateDatabase(dir.File("a.db"), "create table u (x int);"), base::Fault);
    EXPECT_THROW(sql::CreateDatabase(dir.File("b.db"), "create table broken ("), base::Fault);
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.db"))) << "a failed script left a file";
}

TEST(ConnectionString, ValuesAreQuotedAsAdoQuotesThem) {
    db::ConnectionString parsed(
        " Provider = SQLite ; DATA SOURCE=\"a;b \"\"c\"\".db\" ;Extra='it''s' ; ; empty= ;x=1;x=2");
    EXPECT_EQ(parsed.Get("provider"), "SQLite");
    EXPECT_EQ(parsed.Get("data source"), "a;b \"c\".db");
    EXPECT_EQ(parsed.Get("EXTRA"), "it's");
    EXPECT_EQ(parsed.Get("empty"), "");
    EXPECT_EQ(parsed.Get("x"), "2") << "a later key replaces an earlier one";
    EXPECT_FALSE(parsed.Get("user id"));
    EXPECT_THROW(db::ConnectionString("Data Source=\"open"), base::Fault);
    EXPECT_THROW(db::ConnectionString("Data Source='a' b"), base::Fault);

    TempDir dir;
    const std::string odd = dir.File("pay;roll's.db");
    sql::CreateDatabase(odd, "create table t (x int); insert into t values (7);");
    db::Connection c;
    c.Open("Provider=SQLite;Data Source='" + dir.File("pay;roll''s.db") + "'");
    db::Recordset rows;
    rows.Open("select x from t", c);
    EXPECT_EQ(rows[0].Text(), "7");
}

TEST(Database, NothingButAnExistingDatabaseFileIsOpened) {
    TempDir dir;
    db::Connection c;
    auto failure = [&](const std::string& source) {
        try {
            db::Connection one;
            one.Open("Provider=SQLite;Data Source=" + source);
        } catch (const base::Fault& f) {
            return f.description();
        }
        return std::string("opened");
    };
    std::ofstream(dir.File("empty.db")).close();
    EXPECT_NE(failure(dir.File("empty.db")).find("the file is empty"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(dir.File("empty.db")), 0u) << "an empty file was written";
    std::ofstream(dir.File("text.db")) << "not a database at all, just text";
    EXPECT_NE(failure(dir.File("text.db")).find("not a database"), std::string::npos);
    // A name beginning with file: is a file name, never a URI with options of its own.
    EXPECT_NE(failure("file::memory:?cache=shared").find("Cannot open database"),
              std::string::npos);
    EXPECT_NE(failure("file:" + dir.File("absent.db") + "?mode=rwc").find("Cannot open database"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.db")));
}

TEST(Database, ClientCursorCountsAndServerCursorStreams) {
    TempDir dir;
    auto c = Fresh(dir, "create table t (n int, s nvarchar(10));");
    {
        db::Transaction tx(*c);
        for (int i = 0; i < 50000; ++i)
            c->Execute("insert into t values (?, ?)", {std::int64_t{i}, std::string("v")});
        tx.Commit();
    }
    db::Recordset client;
    EXPECT_EQ(db::Lookup(client, *c, "select * from t where n < ?", {std::int64_t{10}}), 10);
    EXPECT_EQ(db::Lookup(client, *c, "select * from t where n < 0"), 0);
    EXPECT_TRUE(client.IsEOF());

    db::Recordset stream;
    stream.Open("select n from t order by n", *c, db::adOpenForwardOnly, db::adLockReadOnly);
    EXPECT_EQ(stream.RecordCount(), -1);
    long long sum = 0, count = 0;
    for (; !stream.IsEOF(); stream.MoveNext()) {
        sum += static_cast<long long>(db::ValueNumber(stream[0].value()));
        ++count;
    }
    EXPECT_EQ(count, 50000);
    EXPECT_EQ(sum, 49999LL * 50000 / 2);
    EXPECT_THROW(stream.MoveNext(), base::Fault);
    EXPECT_THROW(stream["n"], base::Fault);
    // The same statement twice at once: nested use of one cached text.
    db::Recordset a, b;
    a.Open("select n from t where n < 3", *c);
    b.Open("select n from t where n < 3", *c);
    a.MoveNext();
    EXPECT_EQ(a[0].Text(), "1");
    EXPECT_EQ(b[0].Text(), "0");
}

// The cache of prepared statements holds a few hundred texts; past that it drops them all, also
// while a statement of a dropped text is still being read.
TEST(Database, AStatementInUseOutlivesTheCacheDroppingItsText) {
    TempDir dir;
    auto c = Fresh(dir, "create table t (n int);");
    for (int i = 0; i < 5; ++i) c->Execute("insert into t values (?)", {std::int64_t{i}});
    const std::string reading = "select n from t order by n";
    db::Recordset open;
    open.Open(reading, *c);
    for (int i = 0; i < 1200; ++i) {
        db::Recordset other;
        const std::string text = "select n + " + std::to_string(i) + " from t where n = ?";
        EXPECT_EQ(db::Lookup(other, *c, text, {std::int64_t{i % 5}}), 1);
        EXPECT_EQ(db::ValueNumber(other[0].value()), i + i % 5);
    }
    long long sum = 0;
    for (; !open.IsEOF(); open.MoveNext())
        sum += static_cast<long long>(db::ValueNumber(open[0].value()));
    EXPECT_EQ(sum, 10);
    open.Close();
    // The text again, twice at once: one copy from the cache, one prepared anew.
    db::Recordset a, b;
    a.Open(reading, *c);
    b.Open(reading, *c);
    b.MoveNext();
    EXPECT_EQ(a[0].Text(), "0");
    EXPECT_EQ(b[0].Text(), "1");
}

TEST(Database, NullsQuotesAndStatementErrors) {
    TempDir dir;
    auto c = Fresh(dir, "create table t (s nvarchar(40), f float);");
    const std::string tricky = "O'Brien'); drop table t; --";
    EXPECT_EQ(c->Execute("insert into t values (?, ?)", {tricky, db::Null{}}), 1);
    db::Recordset rows;
    rows.Open("select s, f from t where s = ?", *c, db::adOpenForwardOnly, db::adLockReadOnly,
              {tricky});
    ASSERT_FALSE(rows.IsEOF());
    EXPECT_EQ(rows["S"].Text(), tricky);
    EXPECT_TRUE(rows["f"].IsNull());
    EXPECT_EQ(rows["f"].Text(), "");
    EXPECT_THROW(rows["nope"], base::Fault);
    try {
        c->Execute("select * from no_such_table");
        FAIL();
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), db::kErrorsInCommand);
        EXPECT_NE(f.description().find("no such table: no_such_table"), std::string::npos)
            << f.description();
    }
    EXPECT_THROW(c->Execute("update t set f = 1; delete from t"), base::Fault)
        << "a second statement ran";
    EXPECT_EQ(c->Execute("update t set f = 2.5"), 1);
}

TEST(Database, TransactionRollsBackUnlessCommitted) {
    TempDir dir;
    auto c = Fresh(dir, "create table t (n int);");
    {
        db::Transaction tx(*c);
        c->Execute("insert into t values (1)");
    }
    db::Recordset rows;
    EXPECT_EQ(db::Lookup(rows, *c, "select * from t"), 0);
    int statements = 0;
    c->SetStatementHook([&](const std::string&) {
        if (++statements == 2) throw base::Fault(-1, "injected");
    });
    EXPECT_EQ(c->Execute("insert into t values (2)"), 1);
    EXPECT_THROW(c->Execute("insert into t values (3)"), base::Fault)
        << "the second statement should fail";
    c->SetStatementHook(nullptr);
    EXPECT_EQ(db::Lookup(rows, *c, "select n from t"), 1);
    EXPECT_EQ(rows[0].Text(), "2");

    db::Transaction tx(*c);
    c->Execute("insert into t values (4)");
    tx.Commit();
    try {
        tx.Commit();
        ADD_FAILURE() << "a transaction committed twice";
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), db::kNoTransaction);
    }
    EXPECT_EQ(db::Lookup(rows, *c, "select n from t"), 2);
}

}  // namespace
