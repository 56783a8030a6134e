#include "salary_person/enrolment.h"

#include <optional>
#include <set>
#include <vector>

#include "base/number.h"
#include "base/utf.h"
#include "db/contention.h"
#include "db/errors.h"
#include "db/guarded_pair.h"
#include "db/recordset.h"
#include "payroll/person_master.h"
#include "payroll/record_check.h"
#include "payroll/record_fields.h"
#include "payroll/text_lengths.h"
#include "payroll/trap_faults.h"
#include "platform/message_ids.h"
#include "salary_person/extra_fields.h"
#include "salary_person/validation.h"

namespace salary_person {

namespace {

// Captions whose values have a length limit of their own.
struct CaptionLimit {
    std::string_view caption;
    std::size_t longest;
    const char* messageId;
};
constexpr CaptionLimit kCaptionLimits[] = {
    {"身份证号", 18, message_ids::kIdentityCardTooLong},
    {"公积金账号", 12, message_ids::kProvidentFundAccountTooLong},
};

// The columns and values of one INSERT, in order.
struct Row {
    std::vector<std::string> columns;
    std::vector<db::Value> values;
    void Add(std::string column, db::Value value) {
        columns.push_back(std::move(column));
        values.push_back(std::move(value));
    }
};

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : std::string(separator)) + p;
    return out;
}

std::string Placeholders(std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += i ? ",?" : "?";
    return out;
}

// Spaces around a value are not part of it.
std::string WithoutSpaces(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return "";
    return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

struct ExtraValue {
    std::string name;  // as the entry names it, or "M" and the number of its caption
    std::string value;
};

// The writer's checks share the record checks' lookups and message forms.
class Enrolment : payroll::RecordCheck {
  public:
    using RecordCheck::RecordCheck;

    // Who is enrolled: the payroll, department and code, and the name and category.
    bool Identify() {
        payroll_ = payroll::PayrollNumberOf(connection_, lookups_, record_);
        department_ = Field("departmentno");
        code_ = Field("personno");
        return rules_.writersReadPersonMaster ? MasterData(code_) : RecordData();
    }

    // The two rows, once what they hold passed the writer's checks.
    bool Plan(const std::function<LoginPeriod()>& loginPeriod, PlannedEnrolment& plan) {
        const std::string& payroll = payroll_;
        const std::string& department = department_;
        const std::string& code = code_;
        // Both rows begin with the same values.
        roster_.Add("cGZGradeNum", payroll);
        if (!department.empty()) roster_.Add("cDept_Num", department);
        if (!code.empty()) roster_.Add("cPsn_Num", code);
        if (!name_.empty()) roster_.Add("cPsn_Name", name_);
        roster_.Add("iPsnGrd_id", std::int64_t{category_});
        Row payrollRow = roster_;
        roster_.Add("bForeign", std::int64_t(base::LeadingNumber(Field("isforeign"))));
        roster_.Add("bTaxBz", std::int64_t(base::LeadingNumber(Field("taxtoken"))));
        if (!ExtraColumns() || !Fits("WA_psn", roster_) || !Fits("WA_GZData", payrollRow))
            return false;
        plan.payrollRow =
            FirstPayrollRow(payroll, department, code, std::move(payrollRow), loginPeriod());
        plan.roster = RosterRow(payroll, code);
        // The checks looked (on a server, before the records of the run were written); the
        // guards look again as the rows are written, so that no other writer, and no earlier
        // record of the request, enrols the person twice. What the checks read of the person is
        // forgotten: a record run again looks afresh.
        ForgetEnrolled(lookups_, payroll, code);
        return true;
    }

  private:
    // The stored name and category are those of the person's own master data.
    bool MasterData(const std::string& code) {
        std::optional<payroll::MasterPerson> person =
            payroll::CategorizedPerson(payroll::PersonMasterOf(connection_, lookups_, code));
        if (!person)
            return Fail(messages_.GetResStringArg(message_ids::kPersonMasterIncomplete, code));
        name_ = person->name;
        category_ = person->category;
        return true;
    }

    // The first revision's: the record's name, and the category its persongradeno names.
    bool RecordData() {
        name_ = Field("personname");
        category_ = base::ToInt32(db::ValueNumber(
            lookups_
                .Find(connection_, "Select iPsnGrd_id from WA_grade where cPsnGrd = ?",
                      {Field("persongradeno")})
                .First("iPsnGrd_id")
                .value()));
        return true;
    }

    // One roster column per entry. Every value is measured against its caption's limit before
    // any column is looked at, as the limits come before the statement.
    bool ExtraColumns() {
        std::vector<ExtraValue> extras;
        xml::NodeList entries = record_.Children("entry");
        if (entries.empty()) return true;
        ExtraFields fields(connection_, lookups_);
        for (xml::Element entry : entries) {
            ExtraValue extra{entry.GetAttribute("name"), WithoutSpaces(entry.Text())};
            if (extra.name.empty()) {
                const ExtraField* byCaption = fields.ByCaption(entry.GetAttribute("extraname"));
                if (!byCaption) db::ThrowNoCurrentRecord();
                extra.name = ColumnOf(*byCaption);
            }
            if (const ExtraField* field = fields.ByNumber(FieldNumberOf(extra.name)))
                if (!WithinLimit(*field, extra.value)) return false;
            extras.push_back(std::move(extra));
        }
        return AddExtraColumns(extras);
    }

    bool WithinLimit(const ExtraField& field, const std::string& value) {
        for (const CaptionLimit& limit : kCaptionLimits) {
            if (field.caption != limit.caption) continue;
            if (base::Utf16Length(value) > limit.longest)
                return Fail(messages_.GetResString(limit.messageId));
            return true;
        }
        return true;
    }

    // A column name from a request enters the statement only when the roster has that column,
    // and only once.
    bool AddExtraColumns(const std::vector<ExtraValue>& extras) {
        // The roster's columns (the statement finds no rows), remembered for the request.
        const db::Columns& columns =
            lookups_.Find(connection_, "select * from WA_psn where 1 > 1").columns();
        std::set<std::size_t> used;
        for (const std::string& c : roster_.columns) used.insert(columns.IndexOf(c));
        for (const ExtraValue& extra : extras) {
            std::optional<std::size_t> index = columns.Find(extra.name);
            if (!index)
                return Fail(messages_.GetResStringArg(message_ids::kRosterLacksColumn, extra.name));
            if (!used.insert(*index).second)
                return Fail(messages_.GetResStringArg(message_ids::kExtraFieldTwice, extra.name));
            roster_.Add(columns[*index].name, extra.value);
        }
        return true;
    }

    // The person's roster row, unless the payroll has one for the code.
    db::GuardedRow RosterRow(const std::string& payroll, const std::string& code) {
        return {"WA_psn(" + Joined(roster_.columns, ",") + ")",
                Placeholders(roster_.values.size()),
                std::move(roster_.values),
                "SELECT * FROM WA_psn WHERE cGZGradeNum = ? AND cPsn_Num = ?",
                {payroll, code}};
    }

    // The payroll row of the month after the payroll's last, unless the login's period has one.
    db::GuardedRow FirstPayrollRow(const std::string& payroll, const std::string& department,
                                   const std::string& code, Row row, LoginPeriod login) {
        const db::LookupResult& account =
            lookups_.Find(connection_, "SELECT * FROM WA_account WHERE cGZGradeNum = ?", {payroll});
        const std::int64_t month =
            base::ToInt16(db::ValueNumber(account.First("iLastMonth").value())) + 1;
        const std::int64_t year =
            base::ToInt16(db::ValueNumber(account.First("iLastYear").value()));
        std::vector<db::Value> values = std::move(row.values);
        for (db::Value v : {db::Value(month), db::Value(year), db::Value(month)})
            values.push_back(std::move(v));
        // The column list is fixed, as the payroll module writes it: a person whose master data
        // has no name leaves a value short, and the database refuses the row.
        return {
            "WA_GZData(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bDCBZ,bTFBZ,iMonth,"
            "iYear,iAccMonth)",
            Placeholders(row.columns.size()) + ",0,0,?,?,?",
            std::move(values),
            "SELECT * FROM WA_GZDATA WHERE cGZGradeNum = ? AND cDept_Num = ? AND cPsn_Name = ? "
            "AND cPsn_Num = ? AND iYear = ? AND iMonth = ?",
            {payroll, department, name_, code, std::int64_t{login.year},
             std::int64_t{login.month}}};
    }

    // Every text of the row fits its column, as the production database requires.
    bool Fits(const std::string& table, const Row& row) {
        auto tooLong =
            payroll::TooLongValue(connection_, lookups_, messages_, table, row.columns, row.values);
        return !tooLong || Fail(*tooLong);
    }

    std::string department_;
    std::string code_;
    Row roster_;
    std::string name_;
    std::int32_t category_ = 0;
};

}  // namespace

bool PlanEnrolment(const payroll::RecordContext& context, xml::Element record,
                   const std::function<LoginPeriod()>& loginPeriod, PlannedEnrolment& plan,
                   std::string& message) {
    Enrolment enrolment(context, record, message);
    if (!payroll::TrapFaults(message, [&] { return enrolment.Identify(); })) return false;
    auto planned = [&] { return enrolment.Plan(loginPeriod, plan); };
    return context.rules.writersTrapLateFaults ? payroll::TrapFaults(message, planned) : planned();
}

bool EnrolPerson(const payroll::RecordContext& context, xml::Element record,
                 const std::function<LoginPeriod()>& loginPeriod, std::string& message) {
    PlannedEnrolment plan;
    if (!PlanEnrolment(context, record, loginPeriod, plan, message)) return false;
    // When the guard finds the person, what the checks read was stale: the record is run again,
    // and its checks, looking afresh, say so.
    auto write = [&] {
        if (!db::InsertGuardedPair(context.connection, std::move(plan.roster),
                                   std::move(plan.payrollRow)))
            throw db::Contention("person " + db::ValueText(plan.roster.guardParams[1]) +
                                 " was enrolled since it was looked up");
        return true;
    };
    return context.rules.writersTrapLateFaults ? payroll::TrapFaults(message, write) : write();
}

bool EnrolsInOneStatement(const db::Dialect& dialect) {
    return dialect.HasGuardedPair();
}

bool PersonEnrolled(const payroll::RecordContext& context, xml::Element record) {
    db::Connection& connection = context.connection;
    db::LookupCache& lookups = context.lookups;
    db::Recordset rows;
    rows.Open("select count(*) from WA_psn where cGZGradeNum = ? and cPsn_Num = ?", connection,
              db::adOpenUnspecified, db::adLockUnspecified,
              {payroll::PayrollNumberOf(connection, lookups, record),
               payroll::Field(record, "personno")});
    return db::ValueNumber(rows[0].value()) > 0;
}

}  // namespace salary_person
