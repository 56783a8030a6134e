// Objects as other automation clients make them, for what a platform may hand the server as a
// login or a caller: each answers its members in the manner of its kind.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "com/object.h"
#include "com/variant.h"

namespace testing_support {

enum class Manner {
    kPropertyGetOnly,  // a COM object whose properties answer DISPATCH_PROPERTYGET and no other
    kMethodOnly,       // a COM object whose members answer only as methods
    kJScript,          // a JScript object: a value read as a method is "function expected"
    kVBScriptClass,    // a VBScript class instance: names only through IDispatchEx, any flags
    kNone,             // knows its names but answers no form of call
};

// Members named by `values` (properties) and a ProcessExport method that keeps each page's
// number. Names are matched as the kind matches them (JScript exactly, the others in any case).
class ForeignObject final : public com::Object<ForeignObject, com::IDispatchEx> {
  public:
    ForeignObject(Manner manner, std::map<std::string, com::Variant> values);
    void* Answer(const com::IID& iid);

    com::HRESULT WAGELINK_CALL GetTypeInfoCount(com::UINT* count) override;
    com::HRESULT WAGELINK_CALL GetTypeInfo(com::UINT, com::LCID, void** info) override;
    com::HRESULT WAGELINK_CALL GetIDsOfNames(const com::IID&, com::LPOLESTR* names, com::UINT count,
                                             com::LCID, com::DISPID* ids) override;
    com::HRESULT WAGELINK_CALL Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD flags,
                                      com::DISPPARAMS* params, com::VARIANT* result,
                                      com::EXCEPINFO*, com::UINT*) override;
    com::HRESULT WAGELINK_CALL GetDispID(com::BSTR name, com::DWORD flags,
                                         com::DISPID* id) override;

    std::vector<long> pages;  // the page numbers ProcessExport was given

  private:
    com::DISPID Find(const std::string& name, bool exact) const;
    bool Answers(com::WORD flags, bool method) const;

    Manner manner_;
    std::vector<std::pair<std::string, com::Variant>> members_;  // DISPID = index + 1
};

com::ComPtr<ForeignObject> NewForeignLogin(Manner manner, com::Variant connectionString,
                                           com::Variant year, com::Variant month);

}  // namespace testing_support
