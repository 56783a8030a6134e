// The type information of an interface that this module's type library describes, for
// IDispatch::GetTypeInfo. On Windows it comes from the DLL's own TYPELIB resource, loaded once per
// process; elsewhere there is none, and GetTypeInfo answers E_NOTIMPL.
#pragma once

#include "com/guid.h"

namespace com {

// An AddRef'd ITypeInfo of `iid`, or null when the module describes no such interface.
void* ModuleTypeInfo(const IID& iid);

}  // namespace com
