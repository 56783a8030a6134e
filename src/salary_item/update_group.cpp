#include "salary_item/update_group.h"

#include <map>

#include "db/listed_rows.h"
#include "db/recordset.h"

namespace salary_item {

namespace {

// The payroll row's key columns, in the order of PlannedUpdate::row.
constexpr const char* kKeyColumns[] = {"cGZGradeNum", "cDept_Num", "cPsn_Num",
                                       "cPsn_Name",   "iMonth",    "iYear"};
constexpr std::size_t kKeys = std::size(kKeyColumns);

std::size_t Bytes(const PlannedUpdate& plan) {
    return db::ListedBytes(plan.values) + db::ListedBytes(plan.row);
}

bool SameShape(const PlannedUpdate& a, const PlannedUpdate& b) {
    return a.columns == b.columns && db::SameKinds(a.values, b.values);
}

// "g.cGZGradeNum = r.v0 AND ...": the payroll row of each listed record.
std::string RowOfListed() {
    std::string match;
    for (std::size_t k = 0; k < kKeys; ++k)
        match.append(k ? " AND g." : "g.")
            .append(kKeyColumns[k])
            .append(" = r.v")
            .append(std::to_string(k));
    return match;
}

}  // namespace

bool ItemUpdateGroup::Fits(const db::Dialect& dialect, const PlannedUpdate& plan) const {
    if (plans_.empty()) return true;
    const std::size_t parameters = plan.values.size() + plan.row.size();
    return plans_.size() < kMaxRecords && parameters_ + parameters <= dialect.MaxParameters() &&
           bytes_ + Bytes(plan) <= db::kMaxListedBytes && SameShape(plans_.front(), plan) &&
           !rows_.count(plan.row);
}

void ItemUpdateGroup::Add(PlannedUpdate plan) {
    parameters_ += plan.values.size() + plan.row.size();
    bytes_ += Bytes(plan);
    rows_.insert(plan.row);
    plans_.push_back(std::move(plan));
}

void ItemUpdateGroup::Clear() {
    plans_.clear();
    rows_.clear();
    parameters_ = bytes_ = 0;
}

bool ItemUpdateGroup::Send(db::Connection& connection, std::vector<bool>& matched) const {
    const std::vector<std::string>& columns = plans_.front().columns;
    std::string assignments;
    for (std::size_t c = 0; c < columns.size(); ++c)
        assignments.append(c ? ", " : "")
            .append(columns[c])
            .append(" = r.v")
            .append(std::to_string(kKeys + c));
    std::vector<db::Value> params;
    params.reserve(parameters_);
    for (const PlannedUpdate& plan : plans_) {
        params.insert(params.end(), plan.row.begin(), plan.row.end());
        params.insert(params.end(), plan.values.begin(), plan.values.end());
    }
    const std::string match = RowOfListed();
    connection.Execute(
        connection.dialect().JoinedUpdate(
            "WA_GZData", db::ListedRows(plans_.size(), kKeys + columns.size()), match, assignments),
        params);

    // Which records the update joined to which rows, as the rows now hold their keys: two
    // records that name one row in different spellings find the same stored key.
    std::string select = "SELECT r.n";
    for (const char* key : kKeyColumns) select.append(", g.").append(key);
    select += " FROM " + db::ListedRows(plans_.size(), kKeys) +
              " AS r INNER JOIN WA_GZData AS g ON " + match;
    std::vector<db::Value> keys;
    keys.reserve(plans_.size() * kKeys);
    for (const PlannedUpdate& plan : plans_)
        keys.insert(keys.end(), plan.row.begin(), plan.row.end());
    db::Recordset rows;
    rows.Open(select, connection, db::adOpenForwardOnly, db::adLockReadOnly, keys);
    matched.assign(plans_.size(), false);
    std::map<std::vector<std::string>, std::size_t> joinedBy;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        const auto n = static_cast<std::size_t>(db::ValueNumber(rows[0].value()));
        if (n >= plans_.size()) return false;
        std::vector<std::string> stored;
        for (std::size_t k = 1; k <= kKeys; ++k) stored.push_back(db::ValueText(rows[k].value()));
        auto [at, first] = joinedBy.emplace(std::move(stored), n);
        if (!first && at->second != n) return false;
        matched[n] = true;
    }
    return true;
}

}  // namespace salary_item
