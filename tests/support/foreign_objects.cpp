#include "support/foreign_objects.h"

#include "base/text.h"
#include "base/utf.h"

namespace testing_support {

namespace {

constexpr com::HRESULT kFunctionExpected = static_cast<com::HRESULT>(0x800A138A);
constexpr com::DISPID kProcessExport = 100;

}  // namespace

ForeignObject::ForeignObject(Manner manner, std::map<std::string, com::Variant> values)
    : manner_(manner) {
    for (auto& [name, value] : values) members_.emplace_back(name, std::move(value));
}

void* ForeignObject::Answer(const com::IID& iid) {
    if (iid == com::IID_IDispatch) return static_cast<com::IDispatch*>(this);
    const bool script = manner_ == Manner::kJScript || manner_ == Manner::kVBScriptClass;
    return script && iid == com::IID_IDispatchEx ? this : nullptr;
}

com::HRESULT ForeignObject::GetTypeInfoCount(com::UINT* count) {
    *count = 0;
    return com::S_OK;
}

com::HRESULT ForeignObject::GetTypeInfo(com::UINT, com::LCID, void** info) {
    *info = nullptr;
    return com::E_NOTIMPL;
}

com::DISPID ForeignObject::Find(const std::string& name, bool exact) const {
    auto same = [&](const std::string& member) {
        return exact ? member == name : base::EqualNoCase(member, name);
    };
    if (same("ProcessExport")) return kProcessExport;
    for (std::size_t i = 0; i < members_.size(); ++i)
        if (same(members_[i].first)) return static_cast<com::DISPID>(i + 1);
    return com::DISPID_UNKNOWN;
}

com::HRESULT ForeignObject::GetIDsOfNames(const com::IID&, com::LPOLESTR* names, com::UINT count,
                                          com::LCID, com::DISPID* ids) {
    if (manner_ == Manner::kVBScriptClass) return com::E_NOTIMPL;  // as Wine's VBScript does
    if (count != 1) return com::DISP_E_UNKNOWNNAME;
    ids[0] = Find(base::Utf16ToUtf8(names[0]), manner_ == Manner::kJScript);
    return ids[0] == com::DISPID_UNKNOWN ? com::DISP_E_UNKNOWNNAME : com::S_OK;
}

com::HRESULT ForeignObject::GetDispID(com::BSTR name, com::DWORD, com::DISPID* id) {
    *id = Find(base::Utf16ToUtf8(name), manner_ == Manner::kJScript);
    return *id == com::DISPID_UNKNOWN ? com::DISP_E_UNKNOWNNAME : com::S_OK;
}

bool ForeignObject::Answers(com::WORD flags, bool method) const {
    switch (manner_) {
        case Manner::kPropertyGetOnly:
            return flags == (method ? com::DISPATCH_METHOD : com::DISPATCH_PROPERTYGET);
        case Manner::kMethodOnly:
            return flags == com::DISPATCH_METHOD;
        case Manner::kJScript:
            return method ? (flags & com::DISPATCH_METHOD) != 0
                          : flags == com::DISPATCH_PROPERTYGET;
        case Manner::kVBScriptClass:
            return true;
        case Manner::kNone:
            return false;
    }
    return false;
}

com::HRESULT ForeignObject::Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD flags,
                                   com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO*,
                                   com::UINT*) {
    const bool method = id == kProcessExport;
    if (!method && (id < 1 || static_cast<std::size_t>(id) > members_.size()))
        return com::DISP_E_MEMBERNOTFOUND;
    if (!Answers(flags, method))
        return manner_ == Manner::kJScript ? kFunctionExpected : com::DISP_E_MEMBERNOTFOUND;
    if (result) com::VariantInit(result);
    if (method) {
        if (!params || params->cArgs != 3) return com::DISP_E_BADPARAMCOUNT;
        pages.push_back(com::ToLong(params->rgvarg[1]));  // arguments stand in reverse order
        return com::S_OK;
    }
    return result
               ? com::VariantCopy(result, members_[static_cast<std::size_t>(id - 1)].second.get())
               : com::S_OK;
}

com::ComPtr<ForeignObject> NewForeignLogin(Manner manner, com::Variant connectionString,
                                           com::Variant year, com::Variant month) {
    std::map<std::string, com::Variant> values;
    values.emplace("ConnectionString", std::move(connectionString));
    values.emplace("LoginYear", std::move(year));
    values.emplace("LoginMonth", std::move(month));
    return ForeignObject::Create(manner, std::move(values));
}

}  // namespace testing_support
