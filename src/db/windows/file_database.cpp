#include "db/file_database.h"

#include "base/fault.h"
#include "db/types.h"

namespace db {

std::unique_ptr<Backend> OpenFileDatabase(const std::string&) {
    throw base::Fault(kProviderNotFound,
                      "Provider=SQLite is not part of the Windows library: name a SQL Server "
                      "(Provider=SQLOLEDB) or an ODBC data source (Provider=MSDASQL)");
}

}  // namespace db
