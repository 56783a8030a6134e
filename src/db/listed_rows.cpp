#include "db/listed_rows.h"

namespace db {

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
