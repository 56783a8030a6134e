#include "db/value.h"

#include "base/fault.h"
#include "base/number.h"

namespace db {

std::string ValueText(const Value& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&v)) return base::FormatNumber(*d);
    if (auto s = std::get_if<std::string>(&v)) return *s;
    return "";
}

double ValueNumber(const Value& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto s = std::get_if<std::string>(&v)) {
        if (auto n = base::WholeNumber(*s)) return *n;
        base::ThrowTypeMismatch();
    }
    base::ThrowInvalidUseOfNull();
}

}  // namespace db
