#include "db/lookup.h"

#include "base/text.h"
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

// One hash for a value whether it is held (Value) or looked up (Param).
std::size_t HashOf(std::size_t kind, std::size_t value) {
    return value * 0x9E3779B97F4A7C15ull + kind;
}

std::size_t HashOfValue(const Value& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return HashOf(1, std::hash<std::int64_t>{}(*i));
    if (auto d = std::get_if<double>(&v)) return HashOf(2, std::hash<double>{}(*d));
    if (auto s = std::get_if<std::string>(&v)) return HashOf(3, std::hash<std::string_view>{}(*s));
    return HashOf(0, 0);
}

std::size_t HashOfParam(const Param& p) {
    if (auto i = std::get_if<std::int64_t>(&p)) return HashOf(1, std::hash<std::int64_t>{}(*i));
    if (auto d = std::get_if<double>(&p)) return HashOf(2, std::hash<double>{}(*d));
    if (auto s = std::get_if<std::string_view>(&p))
        return HashOf(3, std::hash<std::string_view>{}(*s));
    return HashOf(0, 0);
}

bool Same(const Param& p, const Value& v) {
    if (p.index() != v.index()) return false;
    if (auto i = std::get_if<std::int64_t>(&p)) return *i == std::get<std::int64_t>(v);
    if (auto d = std::get_if<double>(&p)) return *d == std::get<double>(v);
    if (auto s = std::get_if<std::string_view>(&p)) return *s == std::get<std::string>(v);
    return true;
}

Value Held(const Param& p) {
    if (auto i = std::get_if<std::int64_t>(&p)) return *i;
    if (auto d = std::get_if<double>(&p)) return *d;
    if (auto s = std::get_if<std::string_view>(&p)) return std::string(*s);
    return Null{};
}

}  // namespace

std::size_t LookupCache::KeyHash::operator()(const Key& k) const noexcept {
    std::size_t h = std::hash<const void*>{}(k.sql);
    for (const Value& v : k.values) h = h * 31 + HashOfValue(v);
    return h;
}

std::size_t LookupCache::KeyHash::operator()(const Probe& p) const noexcept {
    std::size_t h = std::hash<const void*>{}(p.sql);
    for (const Param& v : p.values) h = h * 31 + HashOfParam(v);
    return h;
}

bool LookupCache::KeyEqual::operator()(const Key& a, const Key& b) const noexcept {
    return a.sql == b.sql && a.values == b.values;
}

bool LookupCache::KeyEqual::operator()(const Probe& a, const Key& b) const noexcept {
    if (a.sql != b.sql || a.values.size() != b.values.size()) return false;
    auto held = b.values.begin();
    for (const Param& p : a.values)
        if (!Same(p, *held++)) return false;
    return true;
}

const LookupResult& LookupCache::Find(Connection& connection, SqlLiteral sql, Params params) {
    return Remember(results_, connection, sql, params);
}

const LookupResult& LookupCache::FindForRecord(Connection& connection, SqlLiteral sql,
                                               Params params) {
    if (!seeds_.empty()) {
        auto seed = seeds_.find(Probe{sql.c_str(), params});
        if (seed != seeds_.end()) return seed->second;
    }
    return Remember(record_, connection, sql, params);
}

void LookupCache::Unseed(SqlLiteral sql, Params params) {
    auto seed = seeds_.find(Probe{sql.c_str(), params});
    if (seed != seeds_.end()) seeds_.erase(seed);
}

void LookupCache::Seed(SqlLiteral sql, std::vector<Value> values, LookupResult result) {
    seeds_.insert_or_assign(Key{sql.c_str(), std::move(values)}, std::move(result));
}

const LookupResult& LookupCache::Remember(Results& results, Connection& connection, SqlLiteral sql,
                                          Params params) {
    auto it = results.find(Probe{sql.c_str(), params});
    if (it != results.end()) return it->second;
    Key key{sql.c_str(), {}};
    for (const Param& p : params) key.values.push_back(Held(p));
    Recordset rows;
    Lookup(rows, connection, sql.c_str(), key.values);
    std::shared_ptr<const Columns> columns = rows.SharedColumns();
    return results.emplace(std::move(key), LookupResult(std::move(columns), rows.TakeRows()))
        .first->second;
}

DeclaredTable::DeclaredTable(std::vector<ColumnDeclaration> columns)
    : columns_(std::move(columns)) {
    for (std::size_t i = 0; i < columns_.size(); ++i) byName_.try_emplace(columns_[i].name, i);
}

const ColumnDeclaration* DeclaredTable::Find(std::string_view name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &columns_[it->second];
}

const DeclaredTable& LookupCache::DeclaredColumns(Connection& connection,
                                                  const std::string& table) {
    auto it = declarations_.find(table);
    if (it == declarations_.end())
        it = declarations_.emplace(table, DeclaredTable(connection.DeclaredColumns(table))).first;
    return it->second;
}

}  // namespace db
