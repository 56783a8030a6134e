#include "db/file_database.h"
#include "db/sqlite/database.h"

namespace db {

std::unique_ptr<Backend> OpenFileDatabase(const std::string& path) {
    return std::make_unique<sqlite::Database>(path);
}

}  // namespace db
