#include "demo_database.h"

#include <string_view>

#include "create_database.h"

namespace wagelink::embedded {
std::string_view schema_sql();
std::string_view demo_sql();
}  // namespace wagelink::embedded

namespace sql {

std::string_view SchemaScript() {
    return wagelink::embedded::schema_sql();
}

std::string_view DemoScript() {
    return wagelink::embedded::demo_sql();
}

void WriteDemoDatabase(const std::string& path) {
    CreateDatabase(path, std::string(SchemaScript()) + "\n" + std::string(DemoScript()));
}

void WriteEmptyDatabase(const std::string& path) {
    CreateDatabase(path, SchemaScript());
}

}  // namespace sql
