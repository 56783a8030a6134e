#include "workloads.h"

#include <cstdlib>

#include "bench_util.h"
#include "large_demo.h"
#include "odbc_baseline.h"

namespace bench {

std::string ItemValue(long record, long item) {
    return std::to_string(1000 + (record * 7 + item) % 900) + ".5";
}

std::string ItemRequest(long records, long entries) {
    std::vector<sql::LargeDemoEntry> list;
    std::vector<std::string> names = ItemNames(static_cast<int>(entries));
    for (long i = 1; i <= entries; ++i)
        list.push_back(
            {names[i - 1], names[i - 1] == "备注" ? 1 : 0, [i](int n) { return ItemValue(n, i); }});
    return sql::LargeDemoItemRequest(0, static_cast<int>(records), list);
}

std::string ItemUpdateSql(long entries) {
    std::string sql = "UPDATE WA_GZData SET ";
    for (long i = 1; i <= entries; ++i) sql += (i > 1 ? ",F_" : "F_") + std::to_string(i) + " = ?";
    return sql +
           " WHERE cGZGradeNum = ? AND cDept_Num = ? AND cPsn_Num = ? AND cPsn_Name = ? AND "
           "iMonth = ? AND iYear = ?";
}

std::vector<db::Value> ItemUpdateParams(long r, long entries) {
    static std::vector<std::string> names;
    if (static_cast<long>(names.size()) != entries) names = ItemNames(static_cast<int>(entries));
    std::vector<db::Value> params;
    for (long i = 1; i <= entries; ++i) {
        std::string v = ItemValue(r, i);
        if (names[i - 1] == "备注") {
            params.emplace_back(std::move(v));
        } else {
            params.emplace_back(std::strtod(v.c_str(), nullptr));
        }
    }
    for (db::Value key : {db::Value("001"), db::Value("0201"),
                          db::Value(sql::LargeDemoPersonCode(static_cast<int>(r))),
                          db::Value("员工" + std::to_string(r)), db::Value(std::int64_t{11}),
                          db::Value(std::int64_t{2026})})
        params.push_back(std::move(key));
    return params;
}

bool ItemUpdatesThroughOdbc(const std::string& database, long records, long entries,
                            long recordsACommit) {
    OdbcBaseline update(database, {ItemUpdateSql(entries)}, recordsACommit > 1);
    for (long r = 0; r < records; ++r) {
        if (update.Run(0, ItemUpdateParams(r, entries)) != 1) return false;
        if (recordsACommit > 1 && ((r + 1) % recordsACommit == 0 || r + 1 == records) &&
            !update.Commit())
            return false;
    }
    return true;
}

std::string RosterInsert(long extras) {
    std::string roster =
        "INSERT INTO WA_psn(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bForeign,bTaxBz";
    std::string values = "VALUES('001','0201',?,?,2,0,1";
    for (long field = 1; field <= extras; ++field) {
        roster += ",M" + std::to_string(field);
        values += ",?";
    }
    return roster + ") " + values + ")";
}

std::vector<db::Value> RosterValues(long n, long extras) {
    std::vector<db::Value> values = {sql::EnrolmentPersonCode(static_cast<int>(n)),
                                     sql::LargeDemoPersonName(static_cast<int>(n))};
    for (long field = 1; field <= extras; ++field) values.emplace_back("V" + std::to_string(n));
    return values;
}

bool EnrolmentsThroughOdbc(const std::string& database, long persons, long extras) {
    std::string roster = RosterInsert(extras);
    roster.replace(roster.find(") VALUES("), 9, ") SELECT ");
    roster.pop_back();
    std::string payroll = kPayrollInsert;
    payroll.replace(payroll.find(") VALUES("), 9, ") SELECT ");
    payroll.pop_back();
    const std::string both =
        "BEGIN NOT ATOMIC DECLARE EXIT HANDLER FOR SQLEXCEPTION BEGIN ROLLBACK; RESIGNAL; END; "
        "START TRANSACTION; " +
        roster +
        " WHERE NOT EXISTS(SELECT * FROM WA_psn WHERE cGZGradeNum = '001' AND cPsn_Num = ?); "
        "IF ROW_COUNT() > 0 THEN " +
        payroll +
        " WHERE NOT EXISTS(SELECT * FROM WA_GZData WHERE cGZGradeNum = '001' AND cDept_Num = "
        "'0201' AND cPsn_Name = ? AND cPsn_Num = ? AND iYear = 2026 AND iMonth = 11); END IF; "
        "COMMIT; END";
    OdbcBaseline inserts(database, {both});
    for (long n = 0; n < persons; ++n) {
        std::vector<db::Value> values = RosterValues(n, extras);
        const db::Value code = values[0], name = values[1];
        for (const db::Value& v : {code, code, name, name, code}) values.push_back(v);
        if (inserts.Run(0, values) < 1) return false;
    }
    return true;
}

}  // namespace bench
