#include "payroll/tables.h"

#include <algorithm>

#include "base/fault.h"
#include "base/text.h"
#include "db/types.h"

namespace payroll {

namespace {

constexpr const char* kTables[] = {"accinformation", "Department", "GL_mend",    "pubperson",
                                   "hr_hi_person",   "WA_grade",   "WA_account", "WA_dept",
                                   "WA_PsnMsg",      "WA_psn",     "WA_GZItem",  "WA_GZtblset",
                                   "WA_GZData"};

}  // namespace

void RequirePayrollTables(db::Connection& connection) {
    std::vector<std::string> present = connection.TableNames();
    std::string missing;
    for (const char* table : kTables) {
        bool found = std::any_of(present.begin(), present.end(),
                                 [&](const std::string& p) { return base::EqualNoCase(p, table); });
        if (!found) missing += (missing.empty() ? "" : ", ") + std::string(table);
    }
    if (!missing.empty())
        throw base::Fault(db::kProviderError,
                          "The database is not a payroll database: it has no table " + missing);
}

}  // namespace payroll
