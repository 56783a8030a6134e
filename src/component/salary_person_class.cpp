#include "component/classes.h"

namespace component {

const com::DispatchMember<SalaryPerson> SalaryPerson::kMembers[9] = {
    WAGELINK_COMMON_MEMBERS(SalaryPerson),
};

SalaryPerson::SalaryPerson() : ServerObject(messages::SalaryPersonNames()) {}

void* SalaryPerson::Answer(const com::IID& iid) {
    if (iid == com::IID_IDispatch || iid == IID_SalaryPerson)
        return static_cast<SalaryPersonInterface*>(this);
    return nullptr;
}

namespace {

// The person import and export are built in a later step; until then they say so.
[[noreturn]] void Unavailable(const char* what) {
    throw base::Fault(com::E_NOTIMPL,
                      std::string("The salary person ") + what + " is not available in this build");
}

}  // namespace

Operations SalaryPerson::MakeOperations(Instance&) {
    Operations ops;
    ops.recordTag = "salaryperson";
    ops.notXmlMessageId = "Qz.WA.EAI.00040";
    ops.validate = [](xml::Element, std::string&) -> bool { Unavailable("import"); };
    ops.write = [](xml::Element, std::string&) -> bool { Unavailable("import"); };
    ops.query = [](const xml::NodeList&, std::string&) { Unavailable("export"); };
    return ops;
}

HRESULT SalaryPerson::QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR, IDispatch**,
                                VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [](const xml::NodeList&, std::string&) { Unavailable("export"); });
}

}  // namespace component
