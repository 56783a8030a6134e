#include "component/classes.h"
#include "revisions/earlier_library.h"
#include "revisions/revisions.h"

namespace revisions {

namespace {

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
using Object = SecondRevisionObject<Class>;

const com::CreatableClass kClasses[] = {
    {kEarlierSalaryItemClass,
     [] {
         return CreateEarlier<Object<component::SalaryItem>, SecondRevisionInterface>(kSalaryItem);
     }},
    {kEarlierSalaryPersonClass,
     [] {
         return CreateEarlier<Object<component::SalaryPerson>, SecondRevisionInterface>(
             kSalaryPerson);
     }},
};

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
    static const EarlierRegistration registration("1.3", kSalaryItemInterfaces,
                                                  kSalaryPersonInterfaces);
    return registration.server();
}

}  // namespace revisions
