#include "revisions/earlier_library.h"

#include "component/identities.h"

namespace revisions {

namespace {

const com::GUID kLibrary = com::MakeGuid("{BCA8F226-2247-4A13-8419-C6A87EDFEE4F}");

}  // namespace

const com::CLSID kEarlierSalaryItemClass = com::MakeGuid("{C40E7259-C016-499A-8644-B23CC63E4ABB}");
const com::CLSID kEarlierSalaryPersonClass =
    com::MakeGuid("{46316AD2-25FB-44AE-A320-DD10BB341898}");

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
