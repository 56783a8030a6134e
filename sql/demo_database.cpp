#include "demo_database.h"

#include <string_view>

#include "create_database.h"

namespace wagelink::embedded {
std::string_view schema_sql();
std::string_view demo_sql();
}  // namespace wagelink::embedded

namespace sql {

void WriteDemoDatabase(const std::string& path) {
    CreateDatabase(path, std::string(wagelink::embedded::schema_sql()) + "\n" +
                             std::string(wagelink::embedded::demo_sql()));
}

void WriteEmptyDatabase(const std::string& path) {
    CreateDatabase(path, wagelink::embedded::schema_sql());
}

}  // namespace sql
