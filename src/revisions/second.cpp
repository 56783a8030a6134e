#include "component/classes.h"
#include "revisions/earlier_library.h"
#include "revisions/revisions.h"
#include "wagelink_identities.h"

namespace revisions {

namespace {

// The default interface first, then the earlier versions it also answers for: the first
// revision's and two between.
const com::IID kSalaryItemInterfaces[] = {
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_SECOND_IID_SALARY_ITEM)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_FIRST_IID_SALARY_ITEM)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_BETWEEN1_IID_SALARY_ITEM)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_BETWEEN2_IID_SALARY_ITEM)),
};
const com::IID kSalaryPersonInterfaces[] = {
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_SECOND_IID_SALARY_PERSON)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_FIRST_IID_SALARY_PERSON)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_BETWEEN1_IID_SALARY_PERSON)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_BETWEEN2_IID_SALARY_PERSON)),
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
    static const EarlierRegistration registration(WAGELINK_TEXT_OF(WAGELINK_SECOND_LIBRARY_VERSION),
                                                  kSalaryItemInterfaces, kSalaryPersonInterfaces);
    return registration.server();
}

}  // namespace revisions
