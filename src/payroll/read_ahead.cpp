#include "payroll/read_ahead.h"

#include <algorithm>
#include <set>

#include "base/fault.h"
#include "base/number.h"
#include "db/dialect.h"
#include "db/listed_rows.h"
#include "db/recordset.h"

namespace payroll {

namespace {

void ReadAheadRun(db::Connection& connection, db::LookupCache& lookups, db::SqlLiteral lookupSql,
                  std::string_view readAhead, const std::vector<const LookupKey*>& keys) {
    const std::size_t width = keys.front()->size();
    std::vector<db::Value> params;
    params.reserve(keys.size() * width);
    for (const LookupKey* key : keys)
        for (const std::string& value : *key) params.emplace_back(value);
    std::string sql(readAhead);
    const std::size_t at = sql.find("{keys}");
    sql.replace(at, 6, db::ListedRows(keys.size(), width));

    db::Recordset rows;
    rows.Open(sql, connection, db::adOpenForwardOnly, db::adLockReadOnly, params);
    const db::Columns& all = rows.columns();
    const std::size_t kept = all.size() - 1;  // the last column is n
    std::vector<db::Column> columns;
    for (std::size_t c = 0; c < kept; ++c) columns.push_back(all[c]);
    std::vector<std::vector<std::vector<db::Value>>> found(keys.size());
    for (; !rows.IsEOF(); rows.MoveNext()) {
        const auto n = static_cast<std::size_t>(db::ValueNumber(rows[kept].value()));
        if (n >= keys.size()) continue;
        std::vector<db::Value> row;
        for (std::size_t c = 0; c < kept; ++c) row.push_back(rows[c].value());
        found[n].push_back(std::move(row));
    }
    auto shared = std::make_shared<const db::Columns>(std::move(columns));
    for (std::size_t i = 0; i < keys.size(); ++i)
        lookups.Seed(lookupSql, {keys[i]->begin(), keys[i]->end()},
                     db::LookupResult(shared, std::move(found[i])));
}

}  // namespace

void ReadAhead(db::Connection& connection, db::LookupCache& lookups, db::SqlLiteral lookupSql,
               std::string_view readAhead, const std::vector<LookupKey>& keys) {
    std::set<LookupKey> seen;
    std::vector<const LookupKey*> distinct;
    for (const LookupKey& key : keys)
        if (std::none_of(key.begin(), key.end(), [](const std::string& v) { return v.empty(); }) &&
            seen.insert(key).second)
            distinct.push_back(&key);
    for (std::size_t first = 0; first < distinct.size(); first += kReadAheadRecords) {
        const std::size_t end = std::min(distinct.size(), first + kReadAheadRecords);
        ReadAheadRun(connection, lookups, lookupSql, readAhead,
                     {distinct.begin() + first, distinct.begin() + end});
    }
}

void ReadAheadRecords(const RecordContext& context, const xml::NodeList& records, std::size_t index,
                      const std::function<void(std::size_t end)>& read) {
    if (index % kReadAheadRecords != 0 ||
        context.connection.dialect().kind() == db::Dialect::Kind::kSqlite)
        return;
    context.lookups.ForgetSeeds();
    try {
        read(std::min(records.size(), index + kReadAheadRecords));
    } catch (const base::Fault&) {
        context.lookups.ForgetSeeds();
    }
}

}  // namespace payroll
