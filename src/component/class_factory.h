// The class factory and the creatable classes of the server library.
#pragma once

#include "com/unknown.h"

namespace component {

// Creates the object of a class served by this library; CLASS_E_CLASSNOTAVAILABLE otherwise.
com::HRESULT GetClassObject(const com::CLSID& clsid, const com::IID& iid, void** object);

// Outstanding IClassFactory::LockServer locks.
long ServerLocks();

}  // namespace component
