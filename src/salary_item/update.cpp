#include "salary_item/update.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "base/fault.h"
#include "base/number.h"
#include "db/contention.h"
#include "db/errors.h"
#include "db/lookup.h"
#include "payroll/person_master.h"
#include "payroll/record_fields.h"
#include "payroll/text_lengths.h"
#include "payroll/trap_faults.h"
#include "platform/message_ids.h"

namespace salary_item {

namespace {

using payroll::Field;
using payroll::RecordNumber;

// A style-0 value as the payroll module writes numbers: at most 15 significant digits.
double PayrollNumber(std::string_view text) {
    double value = base::LeadingNumber(text);
    // A text of at most 15 significant digits (as every text of at most 15 characters is) reads
    // as a double that already prints as them.
    const bool fits = text.size() <= 15 || base::SignificantDigits(text) <= 15;
    return fits ? value : base::RoundToSignificantDigits(value, 15);
}

// The payroll column of an item: "F_" and its number, which must be a whole number.
const std::string& ItemColumn(const ItemFacts& item) {
    if (item.noNumber) base::ThrowTypeMismatch(*item.noNumber);
    if (!item.column) db::ThrowNoCurrentRecord();
    return *item.column;
}

struct Assignments {
    std::vector<std::string> columns;
    std::vector<db::Value> values;
    // The name of an entry whose column an earlier entry already sets; the production database
    // rejects a column assigned twice, so the record is not written.
    std::optional<std::string> repeated;
};

// The first of `assigned` whose column an earlier one already sets; null when none does. One
// pass over the catalog's column slots (below `columnCount`), whatever the number of entries.
const Entry* FirstRepeated(const std::vector<const Entry*>& assigned, std::size_t columnCount) {
    std::vector<bool> seen(columnCount);
    for (const Entry* entry : assigned) {
        if (seen[entry->item->columnSlot]) return entry;
        seen[entry->item->columnSlot] = true;
    }
    return nullptr;
}

Assignments CollectAssignments(db::Connection& connection, ItemCatalog& items,
                               xml::Element record) {
    Assignments out;
    std::vector<Entry>& entries = items.EntriesOf(record);
    std::vector<const Entry*> assigned;
    assigned.reserve(entries.size());
    out.columns.reserve(entries.size());
    out.values.reserve(entries.size() + 6);  // and the row's key (AddRowOfTarget)
    for (Entry& entry : entries) {
        std::int16_t style = RecordNumber(entry.type);
        const std::string& column = ItemColumn(items.Of(connection, entry));
        if (style != kNumericStyle && style != kTextStyle) continue;
        out.columns.push_back(column);
        assigned.push_back(&entry);
        if (style == kNumericStyle) {
            out.values.emplace_back(PayrollNumber(EntryText(entry)));
        } else {
            out.values.emplace_back(EntryText(entry));
        }
    }
    if (out.columns.empty()) base::ThrowInvalidArgument();
    if (const Entry* repeated = FirstRepeated(assigned, items.ColumnCount()))
        out.repeated = std::string(repeated->name);
    return out;
}

// The payroll row a record writes into.
struct Target {
    std::string payroll;
    std::string department;
    std::string code;
    std::string name;
};

// Under the current rules the name is the person master's (nullopt, with the message, for a
// code without one); under the first revision's it is the record's own, and the person category
// is looked up as that revision did, though its value takes no part.
std::optional<Target> Identify(db::Connection& connection, messages::Messages& messages,
                               db::LookupCache& lookups, const payroll::RecordRules& rules,
                               xml::Element record, std::string& message) {
    Target target{payroll::PayrollNumberOf(connection, lookups, record),
                  Field(record, "departmentno"), Field(record, "personno"), ""};
    if (!rules.writersReadPersonMaster) {
        target.name = Field(record, "personname");
        [[maybe_unused]] const db::LookupResult& grade =
            lookups.Find(connection, "Select iPsnGrd_id from WA_grade where cPsnGrd = ?",
                         {Field(record, "persongradeno")});
        return target;
    }
    std::optional<payroll::MasterPerson> person =
        payroll::CategorizedPerson(payroll::PersonMasterOf(connection, lookups, target.code));
    if (!person) {
        message = messages.GetResStringArg(message_ids::kPersonMasterIncomplete, target.code);
        return std::nullopt;
    }
    target.name = person->name;
    return target;
}

constexpr const char* kRowOfTarget =
    " WHERE cGZGradeNum = ? AND cDept_Num = ? AND cPsn_Num = ? AND cPsn_Name = ? AND iMonth = ? "
    "AND iYear = ?";

// Appends the values of kRowOfTarget's placeholders to `params`.
void AddRowOfTarget(std::vector<db::Value>& params, xml::Element record, const Target& target) {
    std::int16_t year = RecordNumber(Field(record, "year"));
    std::int16_t month = RecordNumber(Field(record, "month"));
    for (db::Value key :
         {db::Value(target.payroll), db::Value(target.department), db::Value(target.code),
          db::Value(target.name), db::Value(std::int64_t{month}), db::Value(std::int64_t{year})})
        params.push_back(std::move(key));
}

// The writer's checks of what it is to set, and its plan: false with the message for a record it
// does not write.
bool Plan(db::Connection& connection, messages::Messages& messages, db::LookupCache& lookups,
          ItemCatalog& items, xml::Element record, const Target& target, PlannedUpdate& plan,
          std::string& message) {
    Assignments assignments = CollectAssignments(connection, items, record);
    if (assignments.repeated) {
        message = messages.GetResStringArg(message_ids::kItemTwice, *assignments.repeated);
        return false;
    }
    if (auto tooLong = payroll::TooLongValue(connection, lookups, messages, "WA_GZData",
                                             assignments.columns, assignments.values)) {
        message = *tooLong;
        return false;
    }
    plan.columns = std::move(assignments.columns);
    plan.values = std::move(assignments.values);
    plan.row.clear();
    AddRowOfTarget(plan.row, record, target);
    return true;
}

bool Send(db::Connection& connection, messages::Messages& messages, const PlannedUpdate& plan,
          std::string& message) {
    std::string sql = "UPDATE WA_GZData SET ";
    for (std::size_t i = 0; i < plan.columns.size(); ++i)
        sql.append(i ? "," : "").append(plan.columns[i]).append(" = ?");
    sql += kRowOfTarget;
    std::vector<db::Value> params;
    params.reserve(plan.values.size() + plan.row.size());
    params.insert(params.end(), plan.values.begin(), plan.values.end());
    params.insert(params.end(), plan.row.begin(), plan.row.end());
    if (connection.Execute(sql, params) == 0) {
        message = NoPayrollRowMessage(messages, plan);
        return false;
    }
    return true;
}

}  // namespace

std::string NoPayrollRowMessage(messages::Messages& messages, const PlannedUpdate& plan) {
    return messages.GetResStringArg(message_ids::kNoPayrollRow, db::ValueText(plan.row[0]),
                                    db::ValueText(plan.row[1]), db::ValueText(plan.row[2]));
}

bool PlanItemUpdate(const payroll::RecordContext& context, ItemCatalog& items, xml::Element record,
                    PlannedUpdate& plan, std::string& message) {
    db::Connection& connection = context.connection;
    messages::Messages& messages = context.messages;
    db::LookupCache& lookups = context.lookups;
    const payroll::RecordRules& rules = context.rules;
    std::optional<Target> target;
    if (!payroll::TrapFaults(message, [&] {
            target = Identify(connection, messages, lookups, rules, record, message);
            return target.has_value();
        }))
        return false;
    auto planned = [&] {
        return Plan(connection, messages, lookups, items, record, *target, plan, message);
    };
    return rules.writersTrapLateFaults ? payroll::TrapFaults(message, planned) : planned();
}

bool UpdateItemData(const payroll::RecordContext& context, ItemCatalog& items, xml::Element record,
                    std::string& message) {
    PlannedUpdate plan;
    if (!PlanItemUpdate(context, items, record, plan, message)) return false;
    auto send = [&] { return Send(context.connection, context.messages, plan, message); };
    return context.rules.writersTrapLateFaults ? payroll::TrapFaults(message, send) : send();
}

namespace {

// Whether `stored` is `written` as its column keeps it: a number in a column of fixed decimal
// places (money keeps four) rounded to them, any other value as it is.
bool Kept(const db::Value& stored, const db::Value& written, const db::ColumnDeclaration* column) {
    if (db::IsNull(stored)) return false;
    const double* number = std::get_if<double>(&written);
    if (!number) return db::ValueText(stored) == db::ValueText(written);
    const double value = db::ValueNumber(stored);
    if (!column || !column->scale) return value == *number;
    // Half a unit of the last place kept, and what a double cannot tell apart at this size.
    const double within = 0.5 * std::pow(10.0, -*column->scale) + std::abs(*number) * 1e-15;
    return std::abs(value - *number) <= within;
}

}  // namespace

bool ItemDataWritten(const payroll::RecordContext& context, ItemCatalog& items,
                     xml::Element record) {
    db::Connection& connection = context.connection;
    messages::Messages& messages = context.messages;
    db::LookupCache& lookups = context.lookups;
    const payroll::RecordRules& rules = context.rules;
    std::string message;
    std::optional<Target> target = Identify(connection, messages, lookups, rules, record, message);
    if (!target) return false;
    Assignments assignments = CollectAssignments(connection, items, record);
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < assignments.columns.size(); ++i)
        sql.append(i ? "," : "").append(assignments.columns[i]);
    sql += " FROM WA_GZData" + std::string(kRowOfTarget);
    std::vector<db::Value> params;
    AddRowOfTarget(params, record, *target);
    db::Recordset rows;
    rows.Open(sql, connection, db::adOpenUnspecified, db::adLockUnspecified, params);
    if (rows.IsEOF()) return false;
    const db::DeclaredTable& declared = lookups.DeclaredColumns(connection, "WA_GZData");
    for (std::size_t i = 0; i < assignments.columns.size(); ++i)
        if (!Kept(rows[i].value(), assignments.values[i], declared.Find(assignments.columns[i])))
            return false;
    return true;
}

}  // namespace salary_item
