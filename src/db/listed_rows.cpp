#include "db/listed_rows.h"

namespace db {

std::size_t ListedBytes(const std::vector<Value>& values) {
    std::size_t bytes = 0;
    for (const Value& v : values) {
        const std::string* text = std::get_if<std::string>(&v);
        bytes += text ? text->size() + 8 : 8;
    }
    return bytes;
}

bool SameKinds(const std::vector<Value>& a, const std::vector<Value>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].index() != b[i].index()) return false;
    return true;
}

std::string ListedRows(std::size_t rows, std::size_t width) {
    std::string sql = "(";
    sql.reserve(rows * (width * 3 + 24) + 2);
    for (std::size_t i = 0; i < rows; ++i) {
        sql += i ? " union all select " : "select ";
        sql += std::to_string(i);
        if (i == 0) sql += " as n";
        for (std::size_t v = 0; v < width; ++v) {
            sql += ", ?";
            if (i == 0) sql += " as v" + std::to_string(v);
        }
    }
    return sql + ")";
}

}  // namespace db
