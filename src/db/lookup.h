// The lookup convention of the payroll checks: a recordset with a client-side keyset cursor,
// so that RecordCount tells whether anything was found. Values travel as bound parameters.
#pragma once

#include <unordered_map>

#include "db/recordset.h"

namespace db {

// Closes `rows` if open, opens `sql` on it with a client-side keyset cursor and returns its
// RecordCount.
long Lookup(Recordset& rows, Connection& connection, const std::string& sql,
            const std::vector<Value>& params = {});

// The rows a lookup found, kept after its statement is done.
class LookupResult {
  public:
    LookupResult(std::shared_ptr<const Columns> columns, std::vector<std::vector<Value>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}
    long RecordCount() const { return static_cast<long>(rows_.size()); }
    // A field of the first row; ADO's no-current-record fault when nothing was found.
    Field First(std::string_view name) const;
    Field First(std::size_t index) const;
    const Columns& columns() const { return *columns_; }
    const std::vector<std::vector<Value>>& rows() const { return rows_; }

  private:
    std::shared_ptr<const Columns> columns_;
    std::vector<std::vector<Value>> rows_;
};

// Lookups of reference data remembered for one request: a statement with the same values runs
// once, however many records of the request ask it. Only for tables the request does not write,
// and only for data shared by many records (payrolls, departments, items), so that the cache
// stays as small as the reference data.
// Statements are string literals: the cache tells them apart by address, which is what makes a
// remembered lookup cheap on the per-record path.
class LookupCache {
  public:
    [[nodiscard]] const LookupResult& Find(Connection& connection, const char* sqlLiteral,
                                           const std::vector<Value>& params = {});
    // The declared columns of a table, read once per request.
    const std::vector<ColumnDeclaration>& DeclaredColumns(Connection& connection,
                                                          const std::string& table);

  private:
    struct Key {
        const char* sql;
        std::string values;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    std::unordered_map<Key, LookupResult, KeyHash> results_;
    std::unordered_map<std::string, std::vector<ColumnDeclaration>> declarations_;
};

}  // namespace db
