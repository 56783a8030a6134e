#include "db/provider.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "component/classes.h"
#include "db/connection.h"
#include "db/dialect.h"
#include "db/types.h"
#include "support/dispatch.h"

namespace {

std::string SqlServer(const std::string& ado) {
    return db::SqlServerTarget(db::ConnectionString(ado)).connectionString;
}

constexpr const char* kFixed = "ClientCharset=UTF-8;TDS_Version=7.4;";

TEST(ProviderTest, SqlServerKeysTranslateToTheDriversKeys) {
    EXPECT_EQ(
        SqlServer("Provider=SQLOLEDB;Data Source=db1,1433;Initial Catalog=payroll_2026;"
                  "User ID=sa;Password=pw"),
        std::string("Driver=FreeTDS;Server=db1;Port=1433;Database=payroll_2026;UID=sa;PWD=pw;") +
            kFixed);
    EXPECT_EQ(SqlServer("Provider=SQLNCLI11;Server=tcp:db1\\ERP;Database=x;"
                        "User ID=CORP\\pay;Password=p;Application Name=Wagelink;"
                        "Encrypt=yes;Persist Security Info=False;Trust Server Certificate=True"),
              std::string("Driver=FreeTDS;Server=db1\\ERP;Database=x;UID=CORP\\pay;PWD=p;"
                          "APP=Wagelink;Encryption=require;") +
                  kFixed);
    // Encryption as either key asks for it; what FreeTDS cannot do is refused, never weakened.
    const std::pair<const char*, const char*> kSecurity[] = {
        {"Use Encryption for Data=True", "Encryption=require;"},
        {"Encrypt=Mandatory", "Encryption=require;"},
        {"Encrypt=no", "Encryption=request;"},
        {"Encrypt=Optional", "Encryption=request;"},
        {"Encrypt=Strict", "fault: Encrypt=Strict needs TDS 8.0"},
        {"Integrated Security=SSPI", "fault: integrated security (SSPI); sign in with User ID="},
        {"Trusted_Connection=yes;User ID=u", "fault: integrated security (yes)"},
        {"Integrated Security=False;User ID=u", "UID=u;"},
    };
    for (const auto& [keys, expected] : kSecurity) {
        std::string got;
        try {
            got = SqlServer(std::string("Provider=SQLOLEDB;Data Source=(local);") + keys);
        } catch (const base::Fault& f) {
            EXPECT_EQ(f.number(), db::kProviderError);
            got = "fault: " + f.description().substr(f.description().find(": ") + 2);
        }
        EXPECT_NE(got.find(expected), std::string::npos) << keys << " gave " << got;
    }
    for (const char* local : {"(local)", ".", "localhost", "(LOCAL),1500"}) {
        std::string s = SqlServer(std::string("Provider=MSOLEDBSQL;Data Source=") + local);
        EXPECT_EQ(s.rfind("Driver=FreeTDS;Server=127.0.0.1;", 0), 0u) << local << ": " << s;
    }
    EXPECT_NE(SqlServer("Provider=SQLOLEDB;Data Source=(local),1500").find("Port=1500;"),
              std::string::npos);
    // A password with ';' and '}' in it, quoted as ADO quotes it, reaches the driver whole.
    db::OdbcTarget target =
        db::SqlServerTarget(db::ConnectionString("Provider=SQLOLEDB.1;Data Source=h;"
                                                 "Password=\"a;b}c\";Connect Timeout=7"));
    EXPECT_NE(target.connectionString.find("PWD={a;b}}c};"), std::string::npos)
        << target.connectionString;
    EXPECT_EQ(target.password, "a;b}c");
    EXPECT_EQ(target.loginTimeoutSeconds, 7);
    EXPECT_THROW(SqlServer("Provider=SQLOLEDB;Data Source=h;Connect Timeout=soon"), base::Fault);
}

// A key no provider reads, and a server's keys without a provider, are faults that say what to
// write; a value that held a ';' unquoted is too.
TEST(ProviderTest, UnknownKeysAndMisplacedServerKeysAreRefused) {
    const std::pair<const char*, const char*> kCases[] = {
        {"Provder=SQLite;Data Source=x.db", "the SQLite provider does not know: 'provder'"},
        {"Data Source=db1,1433;Initial Catalog=payroll", "names no Provider"},
        {"Data Source=x.db;User ID=sa", "names a server (user id)"},
        {"Data Source=/tmp/pay;roll.db",
         "'roll.db' has no key; a value that holds ';' goes in "
         "quotes"},
        {"Provider=SQLOLEDB;Data Source=h;Initail Catalog=x",
         "the SQL Server provider does not know: 'initail catalog'"},
        {"Provider=SQLOLEDB;Data Source=127.0.0.1,1;Auto Translate=True;Persist Security "
         "Info=False;Use Procedure for Prepare=1",
         "Cannot open database"},  // known keys without a use: on to the (absent) server
    };
    for (const auto& [text, says] : kCases) {
        db::Connection connection;
        std::string got = "opened";
        try {
            connection.Open(std::string(text) +
                            (std::string(text).find("SQLOLEDB") != std::string::npos
                                 ? ";Connect Timeout=1;Address=127.0.0.1,1"
                                 : ""));
        } catch (const base::Fault& f) {
            EXPECT_EQ(f.number(), db::kProviderError) << text;
            got = f.description();
        }
        EXPECT_NE(got.find(says), std::string::npos) << text << " gave " << got;
    }
}

TEST(ProviderTest, ProvidersAndThePassthrough) {
    auto provider = [](const char* s) { return db::ProviderOf(db::ConnectionString(s)); };
    EXPECT_EQ(provider("Data Source=x.db"), db::Provider::kSqlite);
    EXPECT_EQ(provider("provider=sqloledb.1"), db::Provider::kSqlServer);
    EXPECT_EQ(provider("Provider=SQLNCLI"), db::Provider::kSqlServer);
    EXPECT_EQ(provider("Provider=MSDASQL.1"), db::Provider::kOdbc);
    try {
        provider("Provider=NoSuch.Provider.4;Data Source=x");
        ADD_FAILURE() << "an unknown provider opened";
    } catch (const base::Fault& fault) {
        EXPECT_EQ(fault.number(), db::kProviderNotFound);
        EXPECT_NE(fault.description().find("NoSuch.Provider.4"), std::string::npos);
    }
    db::OdbcTarget odbc = db::OdbcPassthrough(db::ConnectionString(
        "Provider=MSDASQL;Driver={MariaDB Unicode};Server=127.0.0.1;PWD='x;y';Option=2;"
        "Charset=latin1"));
    EXPECT_EQ(odbc.connectionString,
              "driver={MariaDB Unicode};pwd={x;y};server=127.0.0.1;CHARSET=utf8mb4;OPTION=2;")
        << "MariaDB's driver is spoken to in UTF-8";
    // MariaDB's and MySQL's drivers count matched rows (option bit 2) whatever the string says;
    // its other bits stay.
    for (const auto& [options, option] :
         std::initializer_list<std::pair<const char*, const char*>>{{"", "OPTION=2;"},
                                                                    {";Option=0", "OPTION=2;"},
                                                                    {";option=16", "OPTION=18;"},
                                                                    {";OPTION=3", "OPTION=3;"}}) {
        for (const char* driver : {"MariaDB Unicode", "MySQL ODBC 8.0 Unicode Driver"}) {
            const std::string made =
                db::OdbcPassthrough(db::ConnectionString("Provider=MSDASQL;Driver={" +
                                                         std::string(driver) + "}" + options))
                    .connectionString;
            EXPECT_EQ(made.substr(made.size() - std::string(option).size()), option) << made;
        }
    }
    EXPECT_EQ(db::OdbcPassthrough(db::ConnectionString("Provider=MSDASQL;Driver=FreeTDS;Option=7"))
                  .connectionString,
              "driver=FreeTDS;option=7;")
        << "another driver's option is its own";
    EXPECT_TRUE(odbc.utf8Api);
    EXPECT_EQ(odbc.password, "x;y");
    EXPECT_FALSE(
        db::OdbcPassthrough(db::ConnectionString("Provider=MSDASQL;Driver=FreeTDS")).utf8Api);
    EXPECT_EQ(db::OdbcPassthrough(db::ConnectionString("Provider=MSDASQL.1;Data Source=payroll;"
                                                       "UID=u"))
                  .connectionString,
              "dsn=payroll;uid=u;");
}

TEST(ProviderTest, TheDialectsGuardedInsert) {
    auto row = [](const std::string& table, const std::string& tag) {
        return db::GuardedRow{table + "(a,b)",
                              "?,?",
                              {tag + "a", tag + "b"},
                              "SELECT * FROM " + table + " WHERE a = ?",
                              {tag + "g"}};
    };
    auto insert = [&](db::Dialect::Kind kind) {
        return db::Dialect::Of(kind).GuardedInsert(row("t", ""));
    };
    db::BoundStatement tsql = insert(db::Dialect::Kind::kSqlServer);
    EXPECT_EQ(tsql.sql,
              "IF NOT EXISTS(SELECT * FROM t WHERE a = ?) INSERT INTO t(a,b) VALUES(?,?)");
    EXPECT_EQ(tsql.params, (std::vector<db::Value>{"g", "a", "b"}));
    db::BoundStatement guarded = insert(db::Dialect::Kind::kSqlite);
    EXPECT_EQ(guarded.sql,
              "INSERT INTO t(a,b) SELECT ?,? WHERE NOT EXISTS(SELECT * FROM t WHERE a = ?)");
    EXPECT_EQ(guarded.params, (std::vector<db::Value>{"a", "b", "g"}));
    // A pair's parameters follow its placeholders; a T-SQL pair nests the second in the first.
    db::BoundStatement pair =
        db::Dialect::Of(db::Dialect::Kind::kSqlServer).GuardedPair(row("t", "1"), row("u", "2"));
    EXPECT_EQ(pair.sql,
              "SET XACT_ABORT ON; BEGIN TRANSACTION; IF NOT EXISTS(SELECT * FROM t WHERE a = ?) "
              "BEGIN INSERT INTO t(a,b) VALUES(?,?); IF NOT EXISTS(SELECT * FROM u WHERE a = ?) "
              "INSERT INTO u(a,b) VALUES(?,?) END; COMMIT TRANSACTION; SET XACT_ABORT OFF");
    EXPECT_EQ(pair.params, (std::vector<db::Value>{"1g", "1a", "1b", "2g", "2a", "2b"}));
    pair = db::Dialect::Of(db::Dialect::Kind::kMariaDb).GuardedPair(row("t", "1"), row("u", "2"));
    EXPECT_EQ(pair.params, (std::vector<db::Value>{"1a", "1b", "1g", "2a", "2b", "2g"}));
    EXPECT_EQ(db::Dialect::OfServer("SQL Server").kind(), db::Dialect::Kind::kSqlServer);
    EXPECT_EQ(db::Dialect::OfServer("MariaDB").kind(), db::Dialect::Kind::kMariaDb);
    // MySQL reads a backslash in a literal as an escape unless the session says otherwise.
    EXPECT_NE(db::Dialect::OfServer("MySQL").SessionSetup().find("NO_BACKSLASH_ESCAPES"),
              std::string::npos);
    EXPECT_FALSE(db::Dialect::OfServer("MySQL").HasGuardedPair());
    const db::Dialect& sqlServer = db::Dialect::Of(db::Dialect::Kind::kSqlServer);
    EXPECT_EQ(std::string(sqlServer.Begin(false)) + "; " + std::string(sqlServer.Begin(true)) +
                  "; " + sqlServer.Savepoint("p") + "; " + sqlServer.RollbackToSavepoint("p") +
                  "; " + std::string(sqlServer.Commit()) + "; " + std::string(sqlServer.Rollback()),
              "BEGIN TRANSACTION; BEGIN TRANSACTION; SAVE TRANSACTION p; ROLLBACK TRANSACTION p; "
              "COMMIT TRANSACTION; ROLLBACK TRANSACTION");
    EXPECT_EQ(sqlServer.ReleaseSavepoint("p"), "") << "a T-SQL savepoint ends with its transaction";
}

// Nothing listens on port 1: FreeTDS is refused, and the fault says so without the password,
// in the same words whatever the password is (a one-letter one leaves the other words whole).
TEST(ProviderTest, ARefusedServerIsAFaultWithoutThePassword) {
    auto refusal = [](const std::string& password) {
        db::Connection connection;
        try {
            connection.Open(
                "Provider=SQLOLEDB;Data Source=127.0.0.1,1;Initial Catalog=x;User ID=u;"
                "Password=" +
                password);
        } catch (const base::Fault& fault) {
            EXPECT_EQ(fault.number(), db::kProviderError);
            return fault.description();
        }
        ADD_FAILURE() << "a connection to port 1 opened";
        return std::string();
    };
    const std::string words = refusal("secret");
    EXPECT_EQ(words.rfind("Cannot open database: [08", 0), 0u) << words;
    EXPECT_NE(words.find("Unable to connect"), std::string::npos) << words;
    EXPECT_EQ(words.find("secret"), std::string::npos) << words;
    for (const char* password : {"e", "a", "0", "S3"})
        EXPECT_EQ(refusal(password), words) << "with the password " << password;
    auto login = testing_support::NewLogin(
        "Provider=SQLOLEDB;Data Source=127.0.0.1,1;Initial Catalog=x;User ID=u;Password=secret");
    auto item = testing_support::NewSalaryItem();
    std::string reply = testing_support::Transact(item.get(), "<r proc='ADD'/>", login.get());
    EXPECT_EQ(reply.rfind("<reply code=\"-2147467259\" message=\"Cannot open database: [08", 0), 0u)
        << reply;
    EXPECT_EQ(reply.find("secret"), std::string::npos) << reply;
    // A password that holds ';' without quotes: the rest of it is no key and no text of a fault.
    for (const char* text : {"Provider=SQLOLEDB;Data Source=h;Password=pa;ss-rest",
                             "Provider=SQLOLEDB;Data Source=h;Password=pa;ss-rest=1",
                             "Provider=MSDASQL;Driver={x};PWD=pa;ss-rest=1"}) {
        try {
            db::Connection connection;
            connection.Open(text);
            ADD_FAILURE() << text;
        } catch (const base::Fault& fault) {
            EXPECT_EQ(fault.description().find("ss-rest"), std::string::npos)
                << fault.description();
            if (std::string_view(text).find("SQLOLEDB") != std::string_view::npos) {
                EXPECT_NE(fault.description().find("the password"), std::string::npos)
                    << fault.description();
            }
        }
    }
}

}  // namespace
