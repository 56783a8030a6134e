#include "payroll/read_ahead.h"

#include <set>
#include <tuple>

#include "base/number.h"
#include "db/recordset.h"
#include "payroll/person_master.h"

namespace payroll {

namespace {

constexpr std::size_t kChunk = kReadAheadRecords;

// The values of a chunk as a table the statement joins: "select 0 as n, ? as a, ? as b union
// all select 1, ?, ? ...", one row a record, n its place in the chunk.
std::string Listed(std::size_t rows, std::initializer_list<const char*> names) {
    std::string sql;
    for (std::size_t i = 0; i < rows; ++i) {
        sql += i ? " union all select " : "select ";
        sql += std::to_string(i);
        if (i == 0) sql += " as n";
        for (const char* name : names) {
            sql += ", ?";
            if (i == 0) sql.append(" as ").append(name);
        }
    }
    return sql;
}

// Runs `sql`, whose last column is the place n of a listed row, and calls `found` with n and the
// row without it; returns the columns but the last.
template <class Found>
std::shared_ptr<const db::Columns> EachFound(db::Connection& connection, const std::string& sql,
                                             const std::vector<db::Value>& params, Found found) {
    db::Recordset rows;
    rows.Open(sql, connection, db::adOpenForwardOnly, db::adLockReadOnly, params);
    const db::Columns& all = rows.columns();
    std::vector<db::Column> kept;
    for (std::size_t c = 0; c + 1 < all.size(); ++c) kept.push_back(all[c]);
    for (; !rows.IsEOF(); rows.MoveNext()) {
        std::vector<db::Value> row;
        for (std::size_t c = 0; c + 1 < all.size(); ++c) row.push_back(rows[c].value());
        found(static_cast<std::size_t>(db::ValueNumber(rows[all.size() - 1].value())),
              std::move(row));
    }
    return std::make_shared<const db::Columns>(std::move(kept));
}

void ReadAheadMaster(db::Connection& connection, db::LookupCache& lookups,
                     const std::vector<std::string>& codes) {
    for (std::size_t first = 0; first < codes.size(); first += kChunk) {
        const std::size_t count = std::min(kChunk, codes.size() - first);
        std::vector<db::Value> params(codes.begin() + first, codes.begin() + first + count);
        std::vector<std::vector<std::vector<db::Value>>> found(count);
        auto columns =
            EachFound(connection,
                      "select a.cpsn_name, b.iPsnGrd_id, r.n from (" + Listed(count, {"c"}) +
                          ") r inner join pubperson a on a.cpsn_num = r.c left join "
                          "wa_grade b on a.rpersontype=b.rpersontype",
                      params, [&](std::size_t n, std::vector<db::Value> row) {
                          if (n < count) found[n].push_back(std::move(row));
                      });
        for (std::size_t i = 0; i < count; ++i)
            lookups.Seed(kPersonMasterSql, {std::move(params[i])},
                         db::LookupResult(columns, std::move(found[i])));
    }
}

void ReadAheadRoster(db::Connection& connection, db::LookupCache& lookups,
                     const std::vector<const PersonKey*>& keys) {
    auto one = std::make_shared<const db::Columns>(std::vector<db::Column>{{"1", db::adInteger}});
    for (std::size_t first = 0; first < keys.size(); first += kChunk) {
        const std::size_t count = std::min(kChunk, keys.size() - first);
        std::vector<db::Value> params;
        for (std::size_t i = first; i < first + count; ++i)
            for (const std::string* part : {&keys[i]->payroll, &keys[i]->code, &keys[i]->name})
                params.emplace_back(*part);
        std::vector<bool> listed(count);
        EachFound(connection,
                  "select r.n from (" + Listed(count, {"g", "c", "m"}) +
                      ") r where exists (select 1 from WA_psn w where w.cGZGradeNum = r.g and "
                      "w.cPsn_Num = r.c and w.cPsn_Name = r.m)",
                  params, [&](std::size_t n, std::vector<db::Value>) {
                      if (n < count) listed[n] = true;
                  });
        for (std::size_t i = 0; i < count; ++i) {
            const PersonKey& key = *keys[first + i];
            std::vector<std::vector<db::Value>> rows;
            if (listed[i]) rows.push_back({db::Value(std::int64_t{1})});
            lookups.Seed(kRosterRowSql, {key.payroll, key.code, key.name},
                         db::LookupResult(one, std::move(rows)));
        }
    }
}

}  // namespace

void ReadAheadPersons(db::Connection& connection, db::LookupCache& lookups,
                      const std::vector<PersonKey>& keys, bool master) {
    lookups.ForgetSeeds();
    std::set<std::string> codes;
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    std::vector<const PersonKey*> roster;
    for (const PersonKey& key : keys) {
        if (key.code.empty()) continue;
        if (master) codes.insert(key.code);
        if (!key.payroll.empty() && !key.name.empty() &&
            seen.emplace(key.payroll, key.code, key.name).second)
            roster.push_back(&key);
    }
    if (master) ReadAheadMaster(connection, lookups, {codes.begin(), codes.end()});
    ReadAheadRoster(connection, lookups, roster);
}

}  // namespace payroll
