// Late-bound calls by name on any IDispatch: GetIDsOfNames, then Invoke.
#pragma once

#include <string_view>
#include <vector>

#include "com/unknown.h"

namespace com {

// A by-reference argument: a VT_BYREF|VT_VARIANT pointing at the caller's value, which the callee
// may change in place.
VARIANT ByRef(Variant& value);

// The DISPID of `name` on `target`; a fault when the object does not know the name.
DISPID GetDispId(IDispatch* target, std::string_view name);

// Calls `name` with `args` in declared order (they are reversed into DISPPARAMS here) and returns
// its result. A failed call becomes a Fault: DISP_E_EXCEPTION with the number and description of
// the EXCEPINFO, any other failure with its HRESULT and a description naming the member.
Variant CallByName(IDispatch* target, std::string_view name, WORD flags,
                   const std::vector<VARIANT>& args = {});
// The same with the DISPID already known (from GetDispId, or a default member's DISPID_VALUE),
// for a caller that calls one member many times; `name` only names it in a fault.
Variant CallById(IDispatch* target, DISPID id, std::string_view name, WORD flags,
                 const std::vector<VARIANT>& args = {});

// Reads a property of an object of any automation client (a COM object, a JScript object, a
// VBScript class instance), in whichever of the forms the object answers; a fault naming the
// property and the kind of object when it answers none.
Variant GetProperty(IDispatch* target, std::string_view name);

}  // namespace com
