#include "revisions/earlier_library.h"

#include "component/identities.h"

namespace revisions {

namespace {

const com::GUID kLibrary = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_EARLIER_LIBID));

}  // namespace

const com::CLSID kEarlierSalaryItemClass =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_EARLIER_CLSID_SALARY_ITEM));
const com::CLSID kEarlierSalaryPersonClass =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_EARLIER_CLSID_SALARY_PERSON));

namespace {

const com::ClassRegistration kClasses[] = {
    {kEarlierSalaryItemClass, component::kSalaryItemProgId, "ISalaryItem"},
    {kEarlierSalaryPersonClass, component::kSalaryPersonProgId, "ISalaryPerson"},
};

std::vector<com::InterfaceRegistration> Interfaces(std::span<const com::IID> item,
                                                   std::span<const com::IID> person) {
    std::vector<com::InterfaceRegistration> all;
    for (const com::IID& iid : item) all.push_back({iid, "_ISalaryItem"});
    for (const com::IID& iid : person) all.push_back({iid, "_ISalaryPerson"});
    return all;
}

}  // namespace

EarlierRegistration::EarlierRegistration(const char* typeLibraryVersion,
                                         std::span<const com::IID> itemInterfaces,
                                         std::span<const com::IID> personInterfaces)
    : interfaces_(Interfaces(itemInterfaces, personInterfaces)),
      server_{kLibrary, component::kTypeLibraryName, typeLibraryVersion, kClasses, interfaces_} {}

}  // namespace revisions
