#include "server_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "demo_database.h"
#include "support/temp_dir.h"

namespace {

using Kind = db::Dialect::Kind;

TEST(ServerScript, StatementsSplitAtTheirEndsOnly) {
    EXPECT_EQ(sql::SplitStatements("-- a comment; not a statement\n"
                                   "INSERT INTO t VALUES ('a;b', 'it''s; fine');\n"
                                   "  CREATE TABLE u (x int); -- trailing\n\n;  \n"
                                   "SELECT 1"),
              (std::vector<std::string>{"INSERT INTO t VALUES ('a;b', 'it''s; fine')",
                                        "\n  CREATE TABLE u (x int)", "  \nSELECT 1"}))
        << "quoted ';' and comments are not ends; blank statements are left out";
}

TEST(ServerScript, TheSchemaAndDataAsEachServerDeclaresThem) {
    const std::string schema =
        "CREATE TABLE a (k varchar(2) COLLATE NOCASE NOT NULL, m money, f float, floaty int);\n"
        "CREATE TABLE b (i_id integer      PRIMARY KEY AUTOINCREMENT, n nvarchar(40), c NCHAR(2));";
    EXPECT_EQ(sql::ServerSchema(schema, Kind::kSqlServer),
              "CREATE TABLE a (k varchar(2) NOT NULL, m money, f float, floaty int);\n"
              "CREATE TABLE b (i_id int IDENTITY(1,1) PRIMARY KEY, n nvarchar(40), c NCHAR(2));");
    EXPECT_EQ(sql::ServerSchema(schema, Kind::kMariaDb),
              "CREATE TABLE a (k varchar(2) NOT NULL, m decimal(19,4), f double, floaty int);\n"
              "CREATE TABLE b (i_id int AUTO_INCREMENT PRIMARY KEY, n varchar(40) CHARACTER SET "
              "utf8mb4, c char(2) CHARACTER SET utf8mb4);");
    const std::string data = "INSERT INTO t (a, b) VALUES ('01', '管理部', 0), ('02','x', NULL);";
    EXPECT_EQ(sql::ServerData(data, Kind::kSqlServer),
              "INSERT INTO t (a, b) VALUES (N'01', N'管理部', 0), (N'02',N'x', NULL);");
    EXPECT_EQ(sql::ServerData(data, Kind::kMariaDb), data);

    // A copy to a server leaves the roster's identity column to the server.
    testing_support::TempDir dir;
    sql::WriteEmptyDatabase(dir.File("t.db"));
    db::Connection file;
    file.Open("Provider=SQLite;Data Source=" + dir.File("t.db"));
    const std::vector<std::string> columns = sql::CopiedColumns(file, "WA_psn");
    EXPECT_EQ(columns.front(), "cGZGradeNum");
    EXPECT_EQ(std::count(columns.begin(), columns.end(), "i_id"), 0);
    EXPECT_EQ(sql::CopiedColumns(file, "WA_dept"),
              (std::vector<std::string>{"cGZGradeNum", "cDept_Num"}));
}

TEST(ServerScript, TheSqlServerDialectsTexts) {
    const db::Dialect& sqlServer = db::Dialect::Of(Kind::kSqlServer);
    // N'...' against a national column or for a text that is not ASCII; a varchar column keeps
    // its index for an ASCII text.
    using Column = db::Dialect::Column;
    const std::tuple<Kind, const char*, Column, const char*> kQuoted[] = {
        {Kind::kSqlServer, "王'五", Column::kPlain, "N'王''五'"},
        {Kind::kSqlServer, "王'五", Column::kNational, "N'王''五'"},
        {Kind::kSqlServer, "0101", Column::kPlain, "'0101'"},
        {Kind::kSqlServer, "it's", Column::kNational, "N'it''s'"},
        {Kind::kSqlServer, "é", Column::kPlain, "N'é'"},
        {Kind::kSqlite, "王'五", Column::kNational, "'王''五'"},
        {Kind::kMariaDb, "0101", Column::kNational, "'0101'"},
    };
    for (const auto& [kind, text, column, quoted] : kQuoted)
        EXPECT_EQ(db::Dialect::Of(kind).QuotedText(text, column), quoted) << text;
    EXPECT_EQ(sqlServer.SessionSetup(),
              "SET NOCOUNT OFF; SET IMPLICIT_TRANSACTIONS OFF; SET XACT_ABORT OFF; "
              "SET LOCK_TIMEOUT 10000");
    EXPECT_EQ(sqlServer.SnapshotReads(), "SET TRANSACTION ISOLATION LEVEL SNAPSHOT");
    EXPECT_EQ(sqlServer.SerializableReads(), "SET TRANSACTION ISOLATION LEVEL SERIALIZABLE");
    EXPECT_EQ(db::Dialect::Of(Kind::kSqlite).SessionSetup(), "");
}

}  // namespace
