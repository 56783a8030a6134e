#include "com/late_call.h"
#include "component/classes.h"
#include "component/page_delivery.h"
#include "platform/message_ids.h"
#include "salary_person/enrolment.h"
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

void ExportRoster(Instance& self, const xml::NodeList& conditions, std::string& sRetXml) {
    salary_person::QueryProc(*self.connection, conditions, sRetXml, PageDeliveryOf(self),
                             self.behaviour.personConditions);
}

// The period of the latest login: LoginYear is text holding a whole number, LoginMonth a 16-bit
// integer; both are read as 16-bit integers.
salary_person::LoginPeriod PeriodOf(com::IDispatch* login) {
    return {com::ToShort(*com::GetProperty(login, "LoginYear").get()),
            com::ToShort(*com::GetProperty(login, "LoginMonth").get())};
}

}  // namespace

Operations SalaryPerson::MakeOperations(Instance& self) {
    Operations ops;
    ops.recordTag = "salaryperson";
    ops.notXmlMessageId = message_ids::kPersonXmlParseError;
    // Reference data read for one record is remembered for the rest of the request.
    auto lookups = std::make_shared<db::LookupCache>();
    ops.readAhead = [&self, lookups](const xml::NodeList& records, std::size_t index) {
        salary_person::ReadAheadPersonRecords(*self.connection, *lookups, records, index,
                                              self.behaviour.records);
    };
    ops.beginRecord = [lookups] { lookups->ForgetRecord(); };
    ops.writesOneStatement = salary_person::EnrolsInOneStatement;
    ops.validate = [&self, lookups](xml::Element record, std::string& message) {
        return salary_person::ValidatePersonRecord(*self.connection, self.messages, *lookups,
                                                   record, message, self.behaviour.records);
    };
    ops.write = [&self, lookups](xml::Element record, std::string& message) {
        return salary_person::EnrolPerson(
            *self.connection, self.messages, *lookups, record,
            [&self] { return PeriodOf(self.login.get()); }, message, self.behaviour.records);
    };
    ops.written = [&self, lookups](xml::Element record) {
        return salary_person::PersonEnrolled(*self.connection, *lookups, record);
    };
    ops.query = [&self](const xml::NodeList& conditions, std::string& sRetXml) {
        ExportRoster(self, conditions, sRetXml);
    };
    return ops;
}

HRESULT WAGELINK_CALL SalaryPerson::QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR, IDispatch**,
                                              VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [this](const xml::NodeList& conditions, std::string& text) {
                         ExportRoster(self_, conditions, text);
                     });
}

}  // namespace component
