#include "payroll/person_master.h"

#include "base/number.h"
#include "payroll/read_ahead.h"

namespace payroll {

namespace {

const char kPersonMasterSql[] =
    "select a.cpsn_name, b.iPsnGrd_id from pubperson a left join wa_grade b on "
    "a.rpersontype=b.rpersontype where a.cpsn_num=?";

const char kRosterRowSql[] =
    "select 1 from WA_psn where cGZGradeNum = ? and cPsn_Num = ? and cPsn_Name = ?";

}  // namespace

const db::LookupResult& PersonMasterOf(db::Connection& connection, db::LookupCache& lookups,
                                       const std::string& code) {
    return lookups.FindForRecord(connection, kPersonMasterSql, {code});
}

void ReadAheadPersonMaster(db::Connection& connection, db::LookupCache& lookups,
                           const std::vector<std::string>& codes) {
    std::vector<LookupKey> keys;
    keys.reserve(codes.size());
    for (const std::string& code : codes) keys.push_back({code});
    ReadAhead(connection, lookups, kPersonMasterSql,
              "select a.cpsn_name, b.iPsnGrd_id, r.n from {keys} r inner join pubperson a on "
              "a.cpsn_num = r.v0 left join wa_grade b on a.rpersontype=b.rpersontype",
              keys);
}

void ReadAheadRosterRows(db::Connection& connection, db::LookupCache& lookups,
                         const std::vector<std::vector<std::string>>& keys) {
    ReadAhead(connection, lookups, kRosterRowSql,
              "select 1, r.n from {keys} r where exists (select 1 from WA_psn w where "
              "w.cGZGradeNum = r.v0 and w.cPsn_Num = r.v1 and w.cPsn_Name = r.v2)",
              keys);
}

const db::LookupResult& RosterRowOf(db::Connection& connection, db::LookupCache& lookups,
                                    std::string_view payroll, std::string_view code,
                                    std::string_view name) {
    return lookups.FindForRecord(connection, kRosterRowSql, {payroll, code, name});
}

std::optional<MasterPerson> CategorizedPerson(const db::LookupResult& rows) {
    const std::size_t name = rows.columns().IndexOf("cpsn_name");
    const std::size_t category = rows.columns().IndexOf("iPsnGrd_id");
    for (const std::vector<db::Value>& row : rows.rows())
        if (!db::IsNull(row[category]))
            return MasterPerson{db::ValueText(row[name]),
                                base::ToInt32(db::ValueNumber(row[category]))};
    return std::nullopt;
}

}  // namespace payroll
