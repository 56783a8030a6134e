#include "component/classes.h"
#include "revisions/earlier_class.h"
#include "revisions/revisions.h"

namespace revisions {

namespace {

const com::GUID kLibrary = com::MakeGuid("{BCA8F226-2247-4A13-8419-C6A87EDFEE4F}");
const com::CLSID kSalaryItemClass = com::MakeGuid("{C40E7259-C016-499A-8644-B23CC63E4ABB}");
const com::CLSID kSalaryPersonClass = com::MakeGuid("{46316AD2-25FB-44AE-A320-DD10BB341898}");

// The default interface first, then the earlier versions it also answers for: the first
// revision's and two between.
const com::IID kSalaryItemInterfaces[] = {
    com::MakeGuid("{B04C73C5-57E5-43A1-8A14-D162E44F6E2E}"),
    com::MakeGuid("{CC324116-A306-4A6D-9BD5-E549813F5C6E}"),
    com::MakeGuid("{29DAA996-C838-4165-8143-5A1ED38517B0}"),
    com::MakeGuid("{D60029FC-5582-4410-A8C5-D3E318E13628}"),
};
const com::IID kSalaryPersonInterfaces[] = {
    com::MakeGuid("{C33BF364-E5AF-484A-824B-EB45A7002117}"),
    com::MakeGuid("{B41CA393-71FB-4C92-B579-D097354CC115}"),
    com::MakeGuid("{8533C7A9-0BBC-4D3F-A7A7-BB595045FB19}"),
    com::MakeGuid("{71C60509-CD14-48A7-AA34-470B70D5B4DA}"),
};

const EarlierKind kSalaryItem{SecondRevisionBehaviour(), kSalaryItemInterfaces};
const EarlierKind kSalaryPerson{SecondRevisionBehaviour(), kSalaryPersonInterfaces};

template <class Class>
com::ComPtr<com::IUnknown> Create(const EarlierKind& kind) {
    return com::ComPtr<com::IUnknown>::Attach(static_cast<com::IUnknown*>(
        static_cast<SecondRevisionInterface*>(SecondRevisionObject<Class>::Create(kind).Detach())));
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
    {kSalaryItemInterfaces[0], "_ISalaryItem"},     {kSalaryItemInterfaces[1], "_ISalaryItem"},
    {kSalaryItemInterfaces[2], "_ISalaryItem"},     {kSalaryItemInterfaces[3], "_ISalaryItem"},
    {kSalaryPersonInterfaces[0], "_ISalaryPerson"}, {kSalaryPersonInterfaces[1], "_ISalaryPerson"},
    {kSalaryPersonInterfaces[2], "_ISalaryPerson"}, {kSalaryPersonInterfaces[3], "_ISalaryPerson"},
};

const com::ServerRegistration kIdentity = {kLibrary, component::kTypeLibraryName, "1.3",
                                           kRegisteredClasses, kRegisteredInterfaces};

}  // namespace

const component::Behaviour& SecondRevisionBehaviour() {
    static const component::Behaviour second = [] {
        component::Behaviour b;
        b.holdsCaller = false;
        b.routesKest = false;
        b.knowsValidateMode = false;
        b.itemConditions = query::ClosedConnection::kLeave;
        // Rows 1 to 7: the seven newer items come after them.
        b.itemNames = messages::SalaryItemNames().first(7);
        return b;
    }();
    return second;
}

std::span<const com::CreatableClass> SecondRevisionClasses() {
    return kClasses;
}

const com::ServerRegistration& SecondRevisionIdentity() {
    return kIdentity;
}

}  // namespace revisions
