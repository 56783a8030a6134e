// The database a connection string without a server names: a SQLite file where SQLite is built in
// (db/sqlite/); on Windows, where the ERP's database is always a server, a fault that says so.
#pragma once

#include <memory>
#include <string>

#include "db/backend.h"

namespace db {

std::unique_ptr<Backend> OpenFileDatabase(const std::string& path);

}  // namespace db
