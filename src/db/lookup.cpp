#include "db/lookup.h"

#include "db/errors.h"

namespace db {

long Lookup(Recordset& rows, Connection& connection, const std::string& sql,
            const std::vector<Value>& params) {
    rows.CloseIfOpen();
    rows.cursorLocation = adUseClient;
    rows.cursorType = adOpenKeyset;
    rows.Open(sql, connection, adOpenUnspecified, adLockUnspecified, params);
    return rows.RecordCount();
}

Field LookupResult::First(std::string_view name) const {
    return First(columns_->IndexOf(name));
}

Field LookupResult::First(std::size_t index) const {
    if (rows_.empty()) ThrowNoCurrentRecord();
    if (index >= columns_->size()) ThrowItemNotFound();
    return Field((*columns_)[index], rows_[0][index]);
}

namespace {

// The values of a lookup as one text, each tagged with its kind.
std::string ValuesKey(const std::vector<Value>& params) {
    std::string key;
    for (const Value& v : params) {
        key += static_cast<char>('0' + v.index());
        key += ValueText(v);
        key += '\0';
    }
    return key;
}

}  // namespace

std::size_t LookupCache::KeyHash::operator()(const Key& k) const noexcept {
    return std::hash<const void*>{}(k.sql) ^ (std::hash<std::string>{}(k.values) * 31);
}

const LookupResult& LookupCache::Find(Connection& connection, const char* sqlLiteral,
                                      const std::vector<Value>& params) {
    Key key{sqlLiteral, ValuesKey(params)};
    auto it = results_.find(key);
    if (it != results_.end()) return it->second;
    Recordset rows;
    Lookup(rows, connection, sqlLiteral, params);
    std::vector<std::vector<Value>> copied;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        std::vector<Value> row;
        for (std::size_t i = 0; i < rows.FieldCount(); ++i) row.push_back(rows[i].value());
        copied.push_back(std::move(row));
    }
    return results_.emplace(std::move(key), LookupResult(rows.SharedColumns(), std::move(copied)))
        .first->second;
}

const std::vector<ColumnDeclaration>& LookupCache::DeclaredColumns(Connection& connection,
                                                                   const std::string& table) {
    auto it = declarations_.find(table);
    if (it == declarations_.end())
        it = declarations_.emplace(table, connection.DeclaredColumns(table)).first;
    return it->second;
}

}  // namespace db
