#include "server_database.h"

#include <regex>

#include "base/text.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "demo_database.h"

namespace sql {

std::vector<std::string> SplitStatements(std::string_view script) {
    std::vector<std::string> statements;
    std::string current;
    char quote = 0;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (!quote && c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
            while (i < script.size() && script[i] != '\n') ++i;
            continue;
        }
        if (quote ? c == quote : (c == '\'' || c == '"')) quote = quote ? 0 : c;
        if (!quote && c == ';') {
            if (current.find_first_not_of(" \t\r\n") != std::string::npos)
                statements.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    if (current.find_first_not_of(" \t\r\n") != std::string::npos) statements.push_back(current);
    return statements;
}

std::string ServerSchema(std::string_view schema, db::Dialect::Kind kind) {
    std::string text(schema);
    text = std::regex_replace(text, std::regex(" +COLLATE NOCASE"), "");
    const bool mariaDb = kind == db::Dialect::Kind::kMariaDb;
    text = std::regex_replace(
        text, std::regex(R"(integer +PRIMARY KEY AUTOINCREMENT)"),
        mariaDb ? "int AUTO_INCREMENT PRIMARY KEY" : "int IDENTITY(1,1) PRIMARY KEY");
    if (mariaDb) {
        text = std::regex_replace(text, std::regex(R"(\bmoney\b)"), "decimal(19,4)");
        text = std::regex_replace(text, std::regex(R"(\bfloat\b)"), "double");
        // MariaDB's national character set is utf8mb3, which cannot hold a character beyond the
        // Basic Multilingual Plane; SQL Server's nvarchar holds every one.
        text = std::regex_replace(text, std::regex(R"(\bn(var)?char\((\d+)\))", std::regex::icase),
                                  "$1char($2) CHARACTER SET utf8mb4");
    }
    return text;
}

std::string ServerData(std::string_view data, db::Dialect::Kind kind) {
    if (kind != db::Dialect::Kind::kSqlServer) return std::string(data);
    // The demo's literals each follow "(" or ", ".
    return std::regex_replace(std::string(data), std::regex("([(,] *)'"), "$1N'");
}

void WriteServerDemo(const std::string& connectionString, bool withData) {
    WriteServerDatabase(connectionString, SchemaScript(), withData ? DemoScript() : "");
}

void WriteServerDatabase(const std::string& connectionString, std::string_view schema,
                         std::string_view data) {
    db::Connection connection;
    connection.Open(connectionString);
    const db::Dialect::Kind kind = connection.dialect().kind();
    std::string script = ServerSchema(schema, kind) + ";\n" + ServerData(data, kind);
    // MariaDB ends a transaction at each CREATE TABLE; a failure there leaves the tables made so
    // far, which the next attempt refuses to overwrite (every statement fails on its table).
    db::Transaction transaction(connection);
    for (const std::string& statement : SplitStatements(script)) connection.Execute(statement);
    transaction.Commit();
}

namespace {

// Columns a large demo added to the file (extra roster fields) join the server's table, as the
// file declares them.
void AddMissingColumns(db::Connection& source, db::Connection& target, const std::string& table) {
    std::vector<db::ColumnDeclaration> present = target.DeclaredColumns(table);
    db::Recordset info;
    info.Open("PRAGMA table_info(" + table + ")", source);
    for (; !info.IsEOF(); info.MoveNext()) {
        const std::string name = info["name"].Text();
        bool found = false;
        for (const db::ColumnDeclaration& column : present)
            found = found || base::EqualNoCase(column.name, name);
        if (!found)
            target.Execute("ALTER TABLE " + table + " ADD " + name + " " + info["type"].Text());
    }
}

}  // namespace

std::vector<std::string> CopiedColumns(db::Connection& source, const std::string& table) {
    std::vector<std::string> columns;
    db::Recordset info;
    info.Open("PRAGMA table_info(" + table + ")", source);
    for (; !info.IsEOF(); info.MoveNext()) {
        // An integer primary key is the rowid, which a server's schema makes an identity column.
        const bool identity = db::ValueNumber(info["pk"].value()) != 0 &&
                              base::EqualNoCase(info["type"].Text(), "integer");
        if (!identity) columns.push_back(info["name"].Text());
    }
    return columns;
}

void CopyPayrollRows(const std::string& from, const std::string& to) {
    db::Connection source, target;
    source.Open("Provider=SQLite;Data Source=" + from);
    target.Open(to);
    std::vector<std::string> tables;
    for (const std::string& table : source.TableNames())
        if (table.rfind("sqlite_", 0) != 0) tables.push_back(table);
    // Before the transaction: a server may end a transaction at each change of a table.
    for (const std::string& table : tables) AddMissingColumns(source, target, table);
    db::Transaction transaction(target);
    for (const std::string& table : tables) {
        target.Execute("DELETE FROM " + table);
        std::string columns, marks;
        for (const std::string& column : CopiedColumns(source, table)) {
            columns += (columns.empty() ? "" : ",") + column;
            marks += marks.empty() ? "?" : ",?";
        }
        db::Recordset rows;
        rows.Open("SELECT " + columns + " FROM " + table, source);
        const std::string insert =
            "INSERT INTO " + table + "(" + columns + ") VALUES(" + marks + ")";
        for (std::vector<db::Value> row; !rows.IsEOF(); rows.MoveNext()) {
            row.clear();
            for (std::size_t i = 0; i < rows.FieldCount(); ++i) row.push_back(rows[i].value());
            target.Execute(insert, row);
        }
    }
    transaction.Commit();
}

}  // namespace sql
