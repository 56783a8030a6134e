#include "db/guarded_rows.h"

#include <algorithm>

#include "db/listed_rows.h"

namespace db {

namespace {

// `text` with its placeholders read from r's columns, the first from r.v`first`.
std::string FromListed(const std::string& text, std::size_t first) {
    std::string out;
    for (char c : text) {
        if (c == '?')
            out += "r.v" + std::to_string(first++);
        else
            out += c;
    }
    return out;
}

}  // namespace

BoundStatement GuardedRows(const std::vector<const GuardedRow*>& rows) {
    const GuardedRow& shape = *rows.front();
    const std::size_t values =
        static_cast<std::size_t>(std::count(shape.values.begin(), shape.values.end(), '?'));
    const std::size_t guards =
        static_cast<std::size_t>(std::count(shape.guard.begin(), shape.guard.end(), '?'));
    BoundStatement s;
    s.sql = "INSERT INTO " + shape.into + " SELECT " + FromListed(shape.values, 0) + " FROM " +
            ListedRows(rows.size(), values + guards) + " AS r WHERE NOT EXISTS(" +
            FromListed(shape.guard, values) + ")";
    s.params.reserve(rows.size() * (values + guards));
    for (const GuardedRow* row : rows) {
        s.params.insert(s.params.end(), row->valueParams.begin(), row->valueParams.end());
        s.params.insert(s.params.end(), row->guardParams.begin(), row->guardParams.end());
    }
    return s;
}

}  // namespace db
