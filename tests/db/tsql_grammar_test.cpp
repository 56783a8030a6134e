// Every statement text the SQL Server dialect can send, checked with a T-SQL grammar (sqlfluff's
// tsql dialect). No SQL Server runs here, so the texts are made as SQL Server would get them:
// the statements the business code writes, which are the same on every server, as a corpus of
// requests sends them to the test server (MariaDB, through the same ODBC backend and the same
// server paths: read-ahead, one statement a record); the texts that differ, made by the SQL Server
// dialect itself (its constants, savepoints, and the guarded rows of each person written, taken
// from the MariaDB form the run sent, and the grouped updates likewise); and the schema and demo
// data `demo-db --connection` writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "base/text.h"
#include "component/classes.h"
#include "db/dialect.h"
#include "demo_database.h"
#include "server_database.h"
#include "support/dispatch.h"
#include "support/host.h"
#include "support/pages.h"
#include "support/requests.h"
#include "support/server_db.h"
#include "support/temp_dir.h"

namespace {

using Kind = db::Dialect::Kind;

// What the grammar does not know, with why the statement is sound all the same.
const std::pair<const char*, const char*> kKnownGaps[] = {
    {"SET LOCK_TIMEOUT 10000", "sqlfluff 1.4's SET takes no LOCK_TIMEOUT; T-SQL has it"},
};

// "BEGIN ... x; ..." from "x": the text between `after` and `before`.
std::string Between(const std::string& text, const std::string& after, const std::string& before) {
    const std::size_t start = text.find(after);
    const std::size_t end = text.find(before, start + after.size());
    if (start == std::string::npos || end == std::string::npos) return "";
    return text.substr(start + after.size(), end - start - after.size());
}

// A guarded row from its standard form, "INSERT INTO into SELECT values WHERE NOT EXISTS(guard)".
db::GuardedRow RowOf(const std::string& standard) {
    db::GuardedRow row;
    row.into = Between(standard, "INSERT INTO ", " SELECT ");
    row.values = Between(standard, " SELECT ", " WHERE NOT EXISTS(");
    const std::size_t guard = standard.find(" WHERE NOT EXISTS(");
    row.guard = standard.substr(guard + 18, standard.size() - guard - 18 - 1);
    return row;
}

// The statement as SQL Server gets it, from the statement the MariaDB dialect sent; empty for one
// of the dialect's own constants, which the SQL Server dialect gives itself.
std::string AsSqlServerGetsIt(const std::string& sql) {
    const db::Dialect& mariadb = db::Dialect::Of(Kind::kMariaDb);
    const db::Dialect& sqlServer = db::Dialect::Of(Kind::kSqlServer);
    for (std::string_view constant :
         {mariadb.Begin(true), mariadb.Commit(), mariadb.Rollback(), mariadb.SnapshotReads(),
          mariadb.SerializableReads(), mariadb.AfterFailedPair(), mariadb.SessionSetup()})
        if (sql == constant) return "";
    for (const auto& [prefix, make] : std::initializer_list<
             std::pair<std::string, std::string (db::Dialect::*)(std::string_view) const>>{
             {mariadb.RollbackToSavepoint(""), &db::Dialect::RollbackToSavepoint},
             {mariadb.ReleaseSavepoint(""), &db::Dialect::ReleaseSavepoint},
             {mariadb.Savepoint(""), &db::Dialect::Savepoint}})
        if (sql.rfind(prefix, 0) == 0) return (sqlServer.*make)(sql.substr(prefix.size()));
    if (sql.rfind("BEGIN NOT ATOMIC", 0) == 0)
        return sqlServer
            .GuardedPair(RowOf(Between(sql, "START TRANSACTION; ", "; IF ROW_COUNT() > 0 THEN ")),
                         RowOf(Between(sql, "; IF ROW_COUNT() > 0 THEN ", "; END IF;")))
            .sql;
    if (sql.rfind("UPDATE ", 0) == 0 && sql.find(" AS g INNER JOIN ") != std::string::npos) {
        const std::size_t set = sql.rfind(" SET ");
        const std::string joined = sql.substr(0, set);
        return sqlServer.JoinedUpdate(Between(joined, "UPDATE ", " AS g INNER JOIN "),
                                      Between(joined, " AS g INNER JOIN ", " AS r ON "),
                                      joined.substr(joined.find(" AS r ON ") + 9),
                                      sql.substr(set + 5));
    }
    if (sql.rfind("INSERT INTO ", 0) == 0 && sql.find(" WHERE NOT EXISTS(") != std::string::npos)
        return sqlServer.GuardedInsert(RowOf(sql)).sql;
    return sql;
}

// The statement with its placeholders numbered as FreeTDS sends them (@P1, @P2, ...).
std::string Numbered(const std::string& sql) {
    std::string out;
    int n = 0;
    bool quoted = false;
    for (char c : sql) {
        if (c == '\'') quoted = !quoted;
        if (c == '?' && !quoted)
            out += "@P" + std::to_string(++n);
        else
            out += c;
    }
    return out;
}

// The requests of the corpus: the demo job, and trials, conditions and exports beside it.
std::vector<std::pair<bool, std::string>> Corpus() {
    const std::string examples = std::string(WAGELINK_SOURCE_DIR) + "/examples/";
    auto file = [&](const char* name) { return testing_support::Slurp(examples + name); };
    auto trial = [](std::string request) {
        return request.replace(request.find("proc=\"ADD\""), 10, "proc=\"ADD\" mode=\"validate\"");
    };
    const bool person = true, item = false;
    return {
        {item, file("add-salary-items.xml")},
        {item, trial(file("add-salary-items.xml"))},
        {person, file("add-salary-persons.xml")},
        {person, trial(file("add-salary-persons.xml"))},
        {item, testing_support::AddRequest(  // one group of two
                   {testing_support::ItemRecord({}, {{"奖金", "0", "1"}}),
                    testing_support::ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}},
                                                {{"奖金", "0", "1"}})})},
        {item, file("query-salary-items.xml")},
        {item, file("query-kest.xml")},
        {person, file("query-salary-persons.xml")},
        {item,
         "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem type='kest'>"
         "<field name='salaryitem' operation='in' value='奖金,应发合计'/>"
         "<field name='departmentno' operation='not in' value='0101,0202' logic='and'/>"
         "<field name='month' operation='>=' value='10' logic='or'/>"
         "<field name='cPsn_Name' operation='not like' value='李' logic='and'/></salaryitem>"
         "</vkinterface>"},
        {item,
         "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem>"
         "<field name='cPsn_Name' operation='like' value='林' logic='and'/>"
         "<field name='iYear' operation='&lt;&gt;' value='2025'/></salaryitem></vkinterface>"},
    };
}

TEST(TsqlGrammar, EveryStatementTheSqlServerDialectSends) {
    REQUIRE_TEST_SERVER();
    if (std::system("sqlfluff --version >/dev/null 2>&1") != 0) {
        if (std::getenv("WAGELINK_REQUIRE_SERVER")) FAIL() << "no sqlfluff (scripts/setup.sh)";
        GTEST_SKIP() << "no sqlfluff";
    }
    std::set<std::string> statements;
    testing_support::ServerDb server;
    for (const auto& [person, request] : Corpus()) {
        testing_support::PageCollector pages;  // outlives the instance that holds it
        pages.AddRef();                        // lives on the stack
        component::Instance self(person ? messages::SalaryPersonNames()
                                        : messages::SalaryItemNames());
        self.caller = com::ComPtr<com::IDispatch>(&pages);
        self.statementHook = [&](const std::string& sql) {
            if (std::string made = AsSqlServerGetsIt(sql); !made.empty()) statements.insert(made);
        };
        auto login = testing_support::NewLogin(server.ConnectionString(), "2026", 12);
        const std::unique_ptr<component::RecordKind> kind =
            person ? component::SalaryPerson::NewRecordKind(self)
                   : component::SalaryItem::NewRecordKind(self);
        const std::string reply = component::Transact(self, *kind, request, login.get());
        EXPECT_EQ(reply.find("code=\"999\""), std::string::npos) << reply;
    }
    const db::Dialect& sqlServer = db::Dialect::Of(Kind::kSqlServer);
    for (std::string_view constant :
         {sqlServer.Begin(true), sqlServer.Commit(), sqlServer.Rollback(),
          sqlServer.SnapshotReads(), sqlServer.SerializableReads(), sqlServer.SnapshotAllowed(),
          sqlServer.AfterFailedPair()})
        statements.insert(std::string(constant));
    // The session's set-up is a batch of statements, each checked on its own.
    for (const std::string& part :
         sql::SplitStatements(std::string(sqlServer.SessionSetup()) + ";"))
        statements.insert(base::Trim(part));
    for (const std::string& part :
         sql::SplitStatements(sql::ServerSchema(sql::SchemaScript(), Kind::kSqlServer) + ";\n" +
                              sql::ServerData(sql::DemoScript(), Kind::kSqlServer)))
        statements.insert(base::Trim(part));
    for (const auto& [gap, why] : kKnownGaps) statements.erase(gap);
    ASSERT_GE(statements.size(), 50u);
    EXPECT_EQ(
        std::count_if(statements.begin(), statements.end(),
                      [](const std::string& sql) { return sql.rfind("UPDATE g SET ", 0) == 0; }),
        1)
        << "the group's update";

    testing_support::TempDir dir;
    std::filesystem::create_directory(dir.File("statements"));
    std::vector<std::string> texts(statements.begin(), statements.end());
    for (std::size_t i = 0; i < texts.size(); ++i)
        std::ofstream(dir.File("statements/" + std::to_string(i) + ".sql"))
            << Numbered(texts[i]) << "\n";
    const std::string output = dir.File("parsed.yaml");
    std::system(("sqlfluff parse --dialect tsql --format yaml " + dir.File("statements") + " >" +
                 output + " 2>&1")
                    .c_str());
    // The files whose parse holds an unparsable section, by the number in their names.
    std::ifstream parsed(output);
    std::string line, file;
    std::set<std::string> files, refused;
    while (std::getline(parsed, line)) {
        if (line.rfind("- filepath: ", 0) == 0) files.insert(file = line.substr(12));
        if (line.find("unparsable") != std::string::npos) refused.insert(file);
    }
    ASSERT_EQ(files.size(), texts.size()) << testing_support::Slurp(output).substr(0, 2000);
    for (const std::string& path : refused) {
        const std::string number = std::filesystem::path(path).stem().string();
        ADD_FAILURE() << "not T-SQL: " << Numbered(texts.at(std::stoul(number)));
    }
}

}  // namespace
