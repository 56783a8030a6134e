#include "salary_person/validation.h"

#include <algorithm>

#include "base/number.h"
#include "base/utf.h"
#include "messages/gen_len.h"
#include "payroll/person_master.h"
#include "payroll/read_ahead.h"
#include "payroll/record_check.h"
#include "payroll/record_fields.h"
#include "platform/message_ids.h"
#include "salary_person/extra_fields.h"

namespace salary_person {

namespace {

const char kMasterNameSql[] = "select count(*) from pubperson where cPsn_Num = ? and cPsn_Name=?";
const char kEnrolledSql[] = "select 1 from WA_psn where cGZGradeNum = ? and cPsn_Num = ?";

constexpr int kLongestCode = 20;
constexpr std::size_t kMostEntries = 100;
constexpr std::size_t kLongestExtraValue = 60;

// A flag is the leading number of its text, and must be exactly 0 or 1.
bool IsFlag(std::string_view text) {
    double value = base::LeadingNumber(text);
    return value == 0 || value == 1;
}

// The checks of one salaryperson record, in their order.
class PersonRecordCheck : public payroll::RecordCheck {
  public:
    using RecordCheck::RecordCheck;

    bool Run() {
        return Payroll() && PersonnelBinding() && Department() && PersonName() && Flags() &&
               PersonCode() && PersonCategory() && Entries() && Pass();
    }

  private:
    // A payroll bound to the personnel module's interface takes its persons from there.
    bool PersonnelBinding() {
        if (!rules_.refusesPersonnelBoundPayroll) return true;
        const db::LookupResult& binding =
            Lookup("select * from accinformation where csysid='HM' and cName='cGZGradeNum'");
        if (binding.RecordCount() == 0 || binding.First("cValue").Text() != payroll_) return true;
        return Fail(messages_.GetResStringArg(message_ids::kPayrollBoundToPersonnel, payroll_));
    }

    bool PersonName() {
        name_ = Field("personname");
        if (name_.empty()) return FailPlain(message_ids::kPersonNameEmpty);
        if (NameTooLong(name_)) return FailPlain(message_ids::kPersonNameTooLong);
        return true;
    }

    bool Flags() {
        if (!IsFlag(Field("isforeign"))) return FailPlain(message_ids::kForeignFlagInvalid);
        if (!IsFlag(Field("taxtoken"))) return FailPlain(message_ids::kTaxFlagInvalid);
        return true;
    }

    bool PersonCode() {
        std::string code = Field("personno");
        if (code.empty()) return FailPlain(message_ids::kPersonCodeEmpty);
        if (!rules_.codeInPersonMaster) {
            if (!CodeFitsPayroll(code)) return FailPlain(message_ids::kCodeLengthMismatch);
        } else {
            const db::LookupResult& named =
                lookups_.FindForRecord(connection_, kMasterNameSql, {code, name_});
            if (db::ValueNumber(named.First(std::size_t{0}).value()) == 0)
                return FailPlain(message_ids::kPersonCodeAndNameNotInMaster);
            // The length is measured after the person master has the code, as the lookup comes
            // first.
            if (messages::GenLen(code) > kLongestCode)
                return FailPlain(message_ids::kPersonCodeTooLong);
        }
        if (Enrolled(connection_, lookups_, payroll_, code))
            return Fail(messages_.GetResStringArg(message_ids::kPersonCodeExists, code));
        return true;
    }

    bool Entries() {
        xml::NodeList entries = record_.Children("entry");
        if (entries.size() > kMostEntries) return FailPlain(message_ids::kTooManyExtraFields);
        if (entries.empty()) return true;
        ExtraFields fields(connection_, lookups_);
        for (xml::Element entry : entries) {
            std::string name = entry.GetAttribute("name");
            if (name.empty()) {
                std::string caption = entry.GetAttribute("extraname");
                const ExtraField* byCaption = fields.ByCaption(caption);
                if (!byCaption)
                    return Fail(
                        messages_.GetResStringArg(message_ids::kExtraFieldNotSetUp, caption));
                name = ColumnOf(*byCaption);
            }
            if (!fields.ByNumber(FieldNumberOf(name)))
                return Fail(messages_.GetResStringArg(message_ids::kExtraFieldNotSetUp, name));
            // Characters as the platform counts them: UTF-16 units, whatever their bytes.
            if (base::Utf16Length(entry.Text()) > kLongestExtraValue)
                return Fail(messages_.GetResStringArg(message_ids::kExtraFieldTooLong, name));
        }
        return true;
    }

    std::string name_;
};

}  // namespace

bool ValidatePersonRecord(const payroll::RecordContext& context, xml::Element record,
                          std::string& message) {
    return payroll::RunChecks<PersonRecordCheck>(context, record, message);
}

bool Enrolled(db::Connection& connection, db::LookupCache& lookups, std::string_view payroll,
              std::string_view code) {
    return lookups.FindForRecord(connection, kEnrolledSql, {payroll, code}).RecordCount() >= 1;
}

void ForgetEnrolled(db::LookupCache& lookups, std::string_view payroll, std::string_view code) {
    lookups.Unseed(kEnrolledSql, {payroll, code});
}

void ReadAheadPersonRecords(const payroll::RecordContext& context, const xml::NodeList& records,
                            std::size_t index) {
    payroll::ReadAheadRecords(context, records, index, [&](std::size_t end) {
        std::vector<std::string> codes;
        std::vector<payroll::LookupKey> named, enrolled;
        for (std::size_t i = index; i < end; ++i) {
            std::string code = payroll::Field(records[i], "personno");
            named.push_back({code, payroll::Field(records[i], "personname")});
            enrolled.push_back(
                {payroll::PayrollNumberOf(context.connection, context.lookups, records[i]), code});
            codes.push_back(std::move(code));
        }
        if (context.rules.codeInPersonMaster)
            payroll::ReadAhead(context.connection, context.lookups, kMasterNameSql,
                               "select (select count(*) from pubperson p where p.cPsn_Num = r.v0 "
                               "and p.cPsn_Name = r.v1), r.n from {keys} r",
                               named);
        payroll::ReadAhead(context.connection, context.lookups, kEnrolledSql,
                           "select 1, r.n from {keys} r where exists (select 1 from WA_psn w "
                           "where w.cGZGradeNum = r.v0 and w.cPsn_Num = r.v1)",
                           enrolled);
        if (context.rules.writersReadPersonMaster)
            payroll::ReadAheadPersonMaster(context.connection, context.lookups, codes);
    });
}

}  // namespace salary_person
