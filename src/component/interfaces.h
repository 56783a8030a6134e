// The default dual interfaces of the two classes, in slot order after IDispatch's seven.
// Every method returns an HRESULT and its declared result through the last parameter.
// Parameters marked by reference in the type library are pointers here (BSTR*, IDispatch**,
// VARIANT*); the optional VARIANT arguments are the missing marker when omitted.
#pragma once

#include "com/unknown.h"

namespace component {

using com::BSTR;
using com::HRESULT;
using com::IDispatch;
using com::SHORT;
using com::VARIANT;
using com::VARIANT_BOOL;

// Slots 1 to 9, shared by both interfaces with the same DISPIDs and parameters.
struct SalaryCommonInterface : IDispatch {
    virtual HRESULT WAGELINK_CALL AddObjectReference(IDispatch** Caller, VARIANT_BOOL* result) = 0;
    virtual HRESULT WAGELINK_CALL DropObjectReference(IDispatch** Caller, VARIANT_BOOL* result) = 0;
    virtual HRESULT WAGELINK_CALL Transact(BSTR sXML, IDispatch** login, BSTR* result) = 0;
    // eleList is an XML node list (IXMLDOMNodeList).
    virtual HRESULT WAGELINK_CALL QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR sRootTag,
                                            IDispatch** Ocom, VARIANT_BOOL* result) = 0;
    virtual HRESULT WAGELINK_CALL GenLen(BSTR* Lstr, SHORT* result) = 0;
    virtual HRESULT WAGELINK_CALL GetResString(BSTR* ResId, BSTR* result) = 0;
    virtual HRESULT WAGELINK_CALL GetResStringArg(BSTR* ResId, VARIANT* Arg1, VARIANT* Arg2,
                                                  VARIANT* Arg3, VARIANT* result) = 0;
    virtual HRESULT WAGELINK_CALL Lang(BSTR* cnString, BSTR* result) = 0;
    virtual HRESULT WAGELINK_CALL unLang(BSTR* LString, BSTR* result) = 0;
};

struct SalaryItemInterface : SalaryCommonInterface {
    virtual HRESULT WAGELINK_CALL QueryProcKest(IDispatch* eleList, BSTR* sRetXml, BSTR sRootTag,
                                                IDispatch** Ocom, VARIANT_BOOL* result) = 0;
};

struct SalaryPersonInterface : SalaryCommonInterface {};

}  // namespace component
