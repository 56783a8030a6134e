#include "com/unknown.h"

namespace com {

const IID IID_IUnknown = MakeGuid("{00000000-0000-0000-C000-000000000046}");
const IID IID_IDispatch = MakeGuid("{00020400-0000-0000-C000-000000000046}");
const IID IID_IDispatchEx = MakeGuid("{A6EF9860-C720-11D0-9337-00A0C90DCAA9}");
const IID IID_ISupportErrorInfo = MakeGuid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
const IID IID_IClassFactory = MakeGuid("{00000001-0000-0000-C000-000000000046}");

void ClearExcepInfo(EXCEPINFO* info) {
    if (!info) return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    *info = EXCEPINFO{};
}

bool SameObject(IUnknown* a, IUnknown* b) {
    if (a == b) return true;
    if (!a || !b) return false;
    ComPtr<IUnknown> ua, ub;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(ua.Receive()));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(ub.Receive()));
    return ua && ua.get() == ub.get();
}

}  // namespace com
