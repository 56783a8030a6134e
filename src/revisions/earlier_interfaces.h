// The default dual interfaces of the earlier revisions, in slot order after IDispatch's seven.
// Both classes have the same layout in a revision; the second revision's begins with the
// first's, so that it can answer the first revision's interface identifiers as well.
#pragma once

#include "component/interfaces.h"

namespace revisions {

using component::BSTR;
using component::HRESULT;
using component::IDispatch;
using component::SHORT;
using component::VARIANT;
using component::VARIANT_BOOL;

struct FirstRevisionInterface : IDispatch {
    virtual HRESULT WAGELINK_CALL Transact(BSTR sXML, IDispatch** login, BSTR* result) = 0;
    // eleList is an XML node list; the whole export comes back in sRetXml.
    virtual HRESULT WAGELINK_CALL QueryProc(IDispatch* eleList, BSTR* sRetXml,
                                            VARIANT_BOOL* result) = 0;
};

struct SecondRevisionInterface : FirstRevisionInterface {
    virtual HRESULT WAGELINK_CALL GenLen(BSTR* Lstr, SHORT* result) = 0;
    virtual HRESULT WAGELINK_CALL GetResString(BSTR* ResId, BSTR* result) = 0;
    virtual HRESULT WAGELINK_CALL GetResStringArg(BSTR* ResId, VARIANT* Arg1, VARIANT* Arg2,
                                                  VARIANT* Arg3, VARIANT* result) = 0;
    virtual HRESULT WAGELINK_CALL Lang(BSTR* cnString, BSTR* result) = 0;
    virtual HRESULT WAGELINK_CALL unLang(BSTR* LString, BSTR* result) = 0;
};

}  // namespace revisions
