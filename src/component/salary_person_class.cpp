#include "com/late_call.h"
#include "component/classes.h"
#include "component/page_delivery.h"
#include "payroll/record_fields.h"
#include "platform/message_ids.h"
#include "salary_person/enrolment.h"
#include "salary_person/enrolment_group.h"
#include "salary_person/export.h"
#include "salary_person/validation.h"

namespace component {

SalaryPerson::SalaryPerson(const Behaviour& behaviour)
    : ServerObject(behaviour, behaviour.personNames) {}

void* SalaryPerson::Answer(const com::IID& iid) {
    if (iid == com::IID_IDispatch || iid == IID_SalaryPerson)
        return static_cast<SalaryPersonInterface*>(this);
    return nullptr;
}

namespace {

void ExportRoster(Instance& instance, const xml::NodeList& conditions, std::string& exportText) {
    salary_person::QueryProc(*instance.connection, conditions, exportText, PageDeliveryOf(instance),
                             instance.behaviour.personConditions);
}

// The period of the latest login: LoginYear is text holding a whole number, LoginMonth a 16-bit
// integer; both are read as 16-bit integers.
salary_person::LoginPeriod PeriodOf(com::IDispatch* login) {
    return {com::ToShort(*com::GetProperty(login, "LoginYear").get()),
            com::ToShort(*com::GetProperty(login, "LoginMonth").get())};
}

}  // namespace

namespace {

// The records' enrolments go in groups: PersonRecords is its own WriteGroup.
class PersonRecords final : public RecordKind, public WriteGroup {
  public:
    explicit PersonRecords(Instance& instance) : instance_(instance) {}

    std::string_view RecordTag() const override { return "salaryperson"; }
    const char* NotXmlMessageId() const override { return message_ids::kPersonXmlParseError; }

    void ReadAhead(const xml::NodeList& records, std::size_t index) override {
        salary_person::ReadAheadPersonRecords(Context(), records, index);
    }
    void BeginRecord() override { lookups_.ForgetRecord(); }
    bool WritesOneStatement(const db::Dialect& dialect) const override {
        return salary_person::EnrolsInOneStatement(dialect);
    }
    WriteGroup* Group(const db::Dialect& dialect) override {
        return dialect.kind() != db::Dialect::Kind::kStandard &&
                       instance_.behaviour.records.writersTrapLateFaults
                   ? this
                   : nullptr;
    }
    bool Validate(xml::Element record, std::string& message) override {
        return salary_person::ValidatePersonRecord(Context(), record, message);
    }
    bool Write(xml::Element record, std::string& message) override {
        return salary_person::EnrolPerson(
            Context(), record, [this] { return PeriodOf(instance_.login.get()); }, message);
    }
    bool Written(xml::Element record) override {
        return salary_person::PersonEnrolled(Context(), record);
    }

    bool Holds(xml::Element record) override {
        return group_.Holds(payroll::PayrollNumberOf(*instance_.connection, lookups_, record),
                            payroll::Field(record, "personno"));
    }
    bool Plan(xml::Element record, std::string& message) override {
        return salary_person::PlanEnrolment(
            Context(), record, [this] { return PeriodOf(instance_.login.get()); }, planned_,
            message);
    }
    bool Fits() const override { return group_.Fits(instance_.connection->dialect(), planned_); }
    void Join() override { group_.Add(std::move(planned_)); }
    // Every guarded row that was written took its person's payroll row with it.
    std::string Unmatched() override { return ""; }
    bool empty() const override { return group_.empty(); }
    bool Send(std::vector<bool>& written) override {
        return group_.Send(*instance_.connection, written);
    }
    void Clear() override { group_.Clear(); }

    void Export(const xml::NodeList& conditions, std::string& exportText) override {
        ExportRoster(instance_, conditions, exportText);
    }

  private:
    payroll::RecordContext Context() {
        return {*instance_.connection, instance_.messages, lookups_, instance_.behaviour.records};
    }

    Instance& instance_;
    // Reference data read for one record is remembered for the rest of the request.
    db::LookupCache lookups_;
    salary_person::PlannedEnrolment planned_;
    salary_person::EnrolmentGroup group_;
};

}  // namespace

std::unique_ptr<RecordKind> SalaryPerson::NewRecordKind(Instance& instance) {
    return std::make_unique<PersonRecords>(instance);
}

HRESULT WAGELINK_CALL SalaryPerson::QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR, IDispatch**,
                                              VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [this](const xml::NodeList& conditions, std::string& text) {
                         ExportRoster(instance_, conditions, text);
                     });
}

}  // namespace component
