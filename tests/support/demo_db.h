// A fresh copy of the demo database for one test, and small helpers to look into it.
#pragma once

#include <string>

#include "db/connection.h"
#include "support/temp_dir.h"

namespace testing_support {

// The text of the first column of the first row of `sql`; "<none>" without a row, "<null>" for
// Null.
std::string ScalarText(db::Connection& connection, const std::string& sql);

class DemoDb {
  public:
    DemoDb();
    const std::string& path() const { return path_; }
    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }
    // A new open connection to the database.
    std::unique_ptr<db::Connection> Connect() const;
    // The text of the first column of the first row; "<none>" without a row, "<null>" for Null.
    std::string Scalar(const std::string& sql) const;
    void Exec(const std::string& sql) const;
    // A digest of every row of the payroll tables, to prove a call changed nothing.
    std::string Snapshot() const;
    // The bytes of the database file (with no connection open, every commit is in it).
    std::string FileBytes() const;

  private:
    TempDir dir_;
    std::string path_;
};

}  // namespace testing_support
