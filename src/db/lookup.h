// The lookup convention of the payroll checks: a recordset with a client-side keyset cursor,
// so that RecordCount tells whether anything was found. Values travel as bound parameters.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <variant>

#include "base/text.h"
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

// A table's declared columns, found by name without regard to case.
class DeclaredTable {
  public:
    explicit DeclaredTable(std::vector<ColumnDeclaration> columns);
    // The column of that name; null when the table has none.
    const ColumnDeclaration* Find(std::string_view name) const;

  private:
    std::vector<ColumnDeclaration> columns_;
    base::NoCaseMap<std::size_t> byName_;
};

// The text of a remembered lookup: a string literal, or a constant array of static storage, which
// lives at one address for the whole run. The cache tells statements apart by that address, which
// is what makes a remembered lookup cheap on the per-record path; a text that only a literal can
// make means no other text (a std::string's c_str(), which another statement's text may reuse
// the address of) ever takes another statement's rows. Made at compile time only.
class SqlLiteral {
  public:
    template <std::size_t N>
    consteval SqlLiteral(const char (&text)[N]) : text_(text) {}  // NOLINT: meant to convert
    const char* c_str() const { return text_; }

  private:
    const char* text_;
};

// A value of a remembered lookup, as its caller holds it (a text is not copied to be looked up).
using Param = std::variant<Null, std::int64_t, double, std::string_view>;
using Params = std::initializer_list<Param>;

// Lookups of reference data remembered for one request: a statement with the same values runs
// once, however many records of the request ask it. Only for tables the request does not write
// (or, for a table it writes, a statement that finds no rows and so keeps only its columns), and
// only for data shared by many records (payrolls, departments, items), so that the cache stays as
// small as the reference data. A lookup that is remembered costs no allocation.
class LookupCache {
  public:
    [[nodiscard]] const LookupResult& Find(Connection& connection, SqlLiteral sql,
                                           Params params = {});
    // Data of the record at hand (its person, say) that more than one step of the record reads:
    // read once per record, forgotten by ForgetRecord.
    [[nodiscard]] const LookupResult& FindForRecord(Connection& connection, SqlLiteral sql,
                                                    Params params = {});
    // Called as each record (or each attempt at it) begins.
    void ForgetRecord() { record_.clear(); }
    // What FindForRecord would find for these values, read ahead for many records at once: kept
    // for the rest of the request and found before any statement runs.
    void Seed(SqlLiteral sql, std::vector<Value> values, LookupResult result);
    void ForgetSeeds() { seeds_.clear(); }
    // Forgets one: the request changed what it found.
    void Unseed(SqlLiteral sql, Params params);
    // The declared columns of a table, read once per request.
    const DeclaredTable& DeclaredColumns(Connection& connection, const std::string& table);

  private:
    struct Key {
        const char* sql;  // a SqlLiteral's
        std::vector<Value> values;
    };
    struct Probe {
        const char* sql;  // a SqlLiteral's
        Params values;
    };
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(const Key& k) const noexcept;
        std::size_t operator()(const Probe& p) const noexcept;
    };
    struct KeyEqual {
        using is_transparent = void;
        bool operator()(const Key& a, const Key& b) const noexcept;
        bool operator()(const Probe& a, const Key& b) const noexcept;
        bool operator()(const Key& a, const Probe& b) const noexcept { return (*this)(b, a); }
    };
    using Results = std::unordered_map<Key, LookupResult, KeyHash, KeyEqual>;
    static const LookupResult& Remember(Results& results, Connection& connection, SqlLiteral sql,
                                        Params params);
    Results results_;
    Results record_;
    Results seeds_;
    std::unordered_map<std::string, DeclaredTable> declarations_;
};

}  // namespace db
