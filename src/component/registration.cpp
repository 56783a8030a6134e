#include "component/registration.h"

#include "component/identities.h"

namespace component {

namespace {

const com::ClassRegistration kClasses[] = {
    {CLSID_ISalaryItem, kSalaryItemProgId, "ISalaryItem"},
    {CLSID_ISalaryPerson, kSalaryPersonProgId, "ISalaryPerson"},
};

const com::InterfaceRegistration kInterfaces[] = {
    {IID_SalaryItem, "_ISalaryItem"},
    {IID_SalaryItemEarlier, "_ISalaryItem"},
    {IID_SalaryPerson, "_ISalaryPerson"},
};

const com::ServerRegistration kServer = {LIBID_Wagelink, kTypeLibraryName, kTypeLibraryVersion,
                                         kClasses, kInterfaces};

}  // namespace

const com::ServerRegistration& ServerIdentity() {
    return kServer;
}

}  // namespace component
