// A fresh copy of the demo database for one test, and small helpers to look into it.
//
// With WAGELINK_TEST_DATABASE=server (and a test server, support/server_db.h) the copy is a
// database on the server instead of a file, so that the suites of the imports and exports run
// against the server unchanged; path() is then empty and FileBytes() is Snapshot().
#pragma once

#include <memory>
#include <string>

#include "db/connection.h"
#include "support/temp_dir.h"

namespace testing_support {

// The text of the first column of the first row of `sql`; "<none>" without a row, "<null>" for
// Null.
std::string ScalarText(db::Connection& connection, const std::string& sql);
// A new connection to the database `connectionString` opens.
std::unique_ptr<db::Connection> ConnectTo(const std::string& connectionString);
// A person of the demo's payroll tables: in the person master (person type 101) and, when
// `onRoster`, on payroll 001's roster in department 0101 with a payroll row of 2026-11.
void WritePayrollPerson(db::Connection& connection, const std::string& code,
                        const std::string& name, bool onRoster = true);

class ServerDb;

class DemoDb {
  public:
    DemoDb();
    ~DemoDb();
    const std::string& path() const { return path_; }
    // Whether the copy is on the test database server.
    bool OnServer() const { return server_ != nullptr; }
    std::string ConnectionString() const;
    // A new open connection to the database.
    std::unique_ptr<db::Connection> Connect() const;
    // The text of the first column of the first row; "<none>" without a row, "<null>" for Null.
    std::string Scalar(const std::string& sql) const;
    // The texts of the first column of every row of `sql`, joined by ';' ("<null>" for Null).
    std::string Column(const std::string& sql) const;
    void Exec(const std::string& sql) const;
    // A digest of every row of the payroll tables, to prove a call changed nothing.
    std::string Snapshot() const;
    // The bytes of the database file (with no connection open, every commit is in it).
    std::string FileBytes() const;

  private:
    TempDir dir_;
    std::string path_;
    std::unique_ptr<ServerDb> server_;
};

}  // namespace testing_support
