#include "component/classes.h"
#include "revisions/earlier_library.h"
#include "revisions/first_texts.h"
#include "revisions/revisions.h"
#include "wagelink_identities.h"

namespace revisions {

namespace {

const com::IID kSalaryItemInterfaces[] = {
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_FIRST_IID_SALARY_ITEM))};
const com::IID kSalaryPersonInterfaces[] = {
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_FIRST_IID_SALARY_PERSON))};

const EarlierKind kSalaryItem{FirstRevisionBehaviour(), kSalaryItemInterfaces};
const EarlierKind kSalaryPerson{FirstRevisionBehaviour(), kSalaryPersonInterfaces};

template <class Class>
using Object = FirstRevisionObject<Class>;

const com::CreatableClass kClasses[] = {
    {kEarlierSalaryItemClass,
     [] {
         return CreateEarlier<Object<component::SalaryItem>, FirstRevisionInterface>(kSalaryItem);
     }},
    {kEarlierSalaryPersonClass,
     [] {
         return CreateEarlier<Object<component::SalaryPerson>, FirstRevisionInterface>(
             kSalaryPerson);
     }},
};

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
    static const EarlierRegistration registration(WAGELINK_TEXT_OF(WAGELINK_FIRST_LIBRARY_VERSION),
                                                  kSalaryItemInterfaces, kSalaryPersonInterfaces);
    return registration.server();
}

}  // namespace revisions
