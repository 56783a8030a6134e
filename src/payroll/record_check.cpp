#include "payroll/record_check.h"

#include "base/utf.h"
#include "messages/gen_len.h"
#include "payroll/record_fields.h"
#include "platform/message_ids.h"

namespace payroll {

namespace {
constexpr int kLongestName = 40;  // bytes
}

std::string RecordCheck::Field(std::string_view name) const {
    return payroll::Field(record_, name);
}

bool RecordCheck::Payroll() {
    payroll_ = Field("salarygradeno");
    if (!payroll_.empty()) {
        if (Lookup("SELECT * FROM WA_account WHERE cGZGradeNum = ?", {payroll_}).RecordCount() == 0)
            return Fail(messages_.GetResStringArg(message_ids::kPayrollMissing, payroll_));
        return true;
    }
    std::string name = Field("salarygradename");
    if (name.empty()) return FailPlain(message_ids::kPayrollNumberAndNameEmpty);
    const db::LookupResult& byName =
        Lookup("SELECT * FROM WA_account WHERE cGZGradeName = ?", {name});
    if (byName.RecordCount() == 0)
        return Fail(messages_.GetResStringArg(message_ids::kPayrollMissing, name));
    payroll_ = byName.First("cgzgradenum").Text();
    return true;
}

bool RecordCheck::Department() {
    std::string department = Field("departmentno");
    if (department.empty()) return FailPlain(message_ids::kDepartmentEmpty);
    if (Lookup("select cDept_Num from WA_dept where cGZGradeNum = ? and cDept_Num = ?",
               {payroll_, department})
            .RecordCount() == 0)
        return Fail(
            messages_.GetResStringArg(message_ids::kDepartmentNotInPayroll, payroll_, department));
    if (Lookup("select cDepCode from Department where cDepCode = ? and bDepEnd = 1", {department})
            .RecordCount() == 0)
        return Fail(messages_.GetResStringArg(message_ids::kDepartmentNotLastLevel, department));
    return true;
}

bool RecordCheck::PersonCategory() {
    std::string category = Field("persongradeno");
    if (category.empty()) return FailPlain(message_ids::kCategoryEmpty);
    if (Lookup("select * from WA_grade where cPsnGrd = ?", {category}).RecordCount() == 0)
        return FailPlain(message_ids::kCategoryNotSetUp);
    return true;
}

}  // namespace payroll

namespace payroll {

bool RecordCheck::NameTooLong(const std::string& name) const {
    const long long bytes = rules_.nameInUtf16Bytes
                                ? 2 * static_cast<long long>(base::Utf16Length(name))
                                : messages::GenLen(name);
    return bytes > kLongestName;
}

bool RecordCheck::CodeFitsPayroll(const std::string& code) {
    const db::LookupResult& account =
        Lookup("select iPsn_len from WA_account where cGZGradeNum = ?", {payroll_});
    return static_cast<double>(base::Utf16Length(code)) ==
           db::ValueNumber(account.First("iPsn_len").value());
}

}  // namespace payroll
