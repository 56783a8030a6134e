#include "component/classes.h"
#include "revisions/earlier_class.h"
#include "revisions/first_texts.h"
#include "revisions/revisions.h"

namespace revisions {

namespace {

const com::GUID kLibrary = com::MakeGuid("{BCA8F226-2247-4A13-8419-C6A87EDFEE4F}");
const com::CLSID kSalaryItemClass = com::MakeGuid("{C40E7259-C016-499A-8644-B23CC63E4ABB}");
const com::CLSID kSalaryPersonClass = com::MakeGuid("{46316AD2-25FB-44AE-A320-DD10BB341898}");
const com::IID kSalaryItemInterfaces[] = {com::MakeGuid("{CC324116-A306-4A6D-9BD5-E549813F5C6E}")};
const com::IID kSalaryPersonInterfaces[] = {
    com::MakeGuid("{B41CA393-71FB-4C92-B579-D097354CC115}")};

const EarlierKind kSalaryItem{FirstRevisionBehaviour(), kSalaryItemInterfaces};
const EarlierKind kSalaryPerson{FirstRevisionBehaviour(), kSalaryPersonInterfaces};

template <class Class>
com::ComPtr<com::IUnknown> Create(const EarlierKind& kind) {
    return com::ComPtr<com::IUnknown>::Attach(static_cast<com::IUnknown*>(
        static_cast<FirstRevisionInterface*>(FirstRevisionObject<Class>::Create(kind).Detach())));
}

const com::CreatableClass kClasses[] = {
    {kSalaryItemClass, [] { return Create<component::SalaryItem>(kSalaryItem); }},
    {kSalaryPersonClass, [] { return Create<component::SalaryPerson>(kSalaryPerson); }},
};

const com::ClassRegistration kRegisteredClasses[] = {
    {kSalaryItemClass, component::kSalaryItemProgId, "ISalaryItem"},
    {kSalaryPersonClass, component::kSalaryPersonProgId, "ISalaryPerson"},
};

const com::InterfaceRegistration kRegisteredInterfaces[] = {
    {kSalaryItemInterfaces[0], "_ISalaryItem"},
    {kSalaryPersonInterfaces[0], "_ISalaryPerson"},
};

const com::ServerRegistration kIdentity = {kLibrary, component::kTypeLibraryName, "1.0",
                                           kRegisteredClasses, kRegisteredInterfaces};

}  // namespace

const component::Behaviour& FirstRevisionBehaviour() {
    static const component::Behaviour first = [] {
        component::Behaviour b = SecondRevisionBehaviour();
        b.records.nameInUtf16Bytes = true;
        b.records.codeInPersonMaster = false;
        b.records.writersReadPersonMaster = false;
        b.records.writersTrapLateFaults = false;
        b.records.refusesPersonnelBoundPayroll = true;
        b.personConditions = query::ColumnNames::kBare;
        b.itemNames = {};  // no translation: entries name the stored items
        b.personNames = {};
        b.fixedTexts = FirstRevisionTexts();
        return b;
    }();
    return first;
}

std::span<const com::CreatableClass> FirstRevisionClasses() {
    return kClasses;
}

const com::ServerRegistration& FirstRevisionIdentity() {
    return kIdentity;
}

}  // namespace revisions
