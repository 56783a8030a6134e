// Table-driven IDispatch for objects implemented here: GetIDsOfNames (names not case-sensitive)
// and Invoke with by-value and by-reference arguments, omitted optional arguments, and the
// standard DISP_E codes for a wrong member, argument count or argument type. A fault raised by a
// member, or a failure HRESULT with error info, comes back as DISP_E_EXCEPTION with the number
// and description in the EXCEPINFO.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "com/error_info.h"
#include "com/unknown.h"

namespace com {

// The arguments of one Invoke call, addressed in declared order.
class DispatchArguments {
  public:
    explicit DispatchArguments(DISPPARAMS* params) : params_(params) {}
    UINT count() const { return params_->cArgs - params_->cNamedArgs; }
    // Present and not the missing-argument marker.
    bool Given(UINT i) const { return i < count() && !IsMissing(Raw(i)); }
    VARIANT& Raw(UINT i) const { return params_->rgvarg[params_->cArgs - 1 - i]; }
    // For a property put: the value, which DISPID_PROPERTYPUT names.
    VARIANT* PutValue() const;

  private:
    DISPPARAMS* params_;
};

// Thrown by the adapters below when an argument cannot be given the declared type.
struct ArgumentError {
    UINT index;  // declared order
    HRESULT hr;
};

// A text parameter, by value or by reference. By reference to a BSTR, the callee works on the
// caller's BSTR; by reference to a VARIANT, on a copy written back by WriteBack; a BSTR by value
// is read where it stands (and copied only when the callee asks to change it); any other value
// is converted to a copy.
class BstrArgument {
  public:
    BstrArgument(const DispatchArguments& args, UINT index);
    BSTR value() const { return target_ ? *target_ : borrowed_ ? *borrowed_ : local_.get(); }
    BSTR* ref();
    void WriteBack();

  private:
    VARIANT* variantTarget_ = nullptr;
    BSTR* target_ = nullptr;
    const BSTR* borrowed_ = nullptr;  // the caller's text, passed by value
    Bstr local_;
};

// An object parameter (IDispatch), by value or by reference.
class DispatchArgument {
  public:
    DispatchArgument(const DispatchArguments& args, UINT index);
    IDispatch* value() const { return target_ ? *target_ : local_; }
    IDispatch** ref() { return target_ ? target_ : &local_; }
    void WriteBack();

  private:
    VARIANT* variantTarget_ = nullptr;
    IDispatch** target_ = nullptr;
    IDispatch* local_ = nullptr;  // borrowed from the caller's argument, or swapped in by callee
    IDispatch* original_ = nullptr;
};

// An optional VARIANT parameter: the caller's VARIANT (followed through VT_BYREF|VT_VARIANT), or
// the missing marker when omitted.
VARIANT* VariantArgument(const DispatchArguments& args, UINT index, Variant& missing);

template <class T>
struct DispatchMember {
    std::string_view name;
    DISPID id;
    UINT minArgs;
    UINT maxArgs;
    HRESULT (*call)(T& self, DispatchArguments& args, WORD flags, VARIANT* result);
};

// What every member table must be, checked when the compiler builds an object's Invoke
// (com/automation.h): each row names a member and has a function, takes no more arguments than
// it may, and no two rows share a DISPID or a name (ASCII case-insensitive), so that no DISPID
// of any caller reaches a row that cannot answer it.
template <class T, std::size_t N>
consteval bool WellFormedMembers(const DispatchMember<T> (&table)[N]) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    auto same = [&](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (lower(a[i]) != lower(b[i])) return false;
        return true;
    };
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].name.empty() || !table[i].call || table[i].minArgs > table[i].maxArgs)
            return false;
        for (std::size_t k = 0; k < i; ++k)
            if (table[k].id == table[i].id || same(table[k].name, table[i].name)) return false;
    }
    return true;
}

// Finds the DISPID of a name (ASCII case-insensitive) in a table of names.
HRESULT LookUpDispIds(std::span<const std::string_view> names, std::span<const DISPID> ids,
                      LPOLESTR* asked, UINT count, DISPID* out);

// Runs a member call with the protocol of Invoke around it.
HRESULT InvokeMember(UINT minArgs, UINT maxArgs, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* excepInfo, UINT* argErr,
                     const std::function<HRESULT(DispatchArguments&, VARIANT*)>& call);

template <class T, std::size_t N>
HRESULT DispatchGetIDsOfNames(const DispatchMember<T> (&table)[N], LPOLESTR* names, UINT count,
                              DISPID* ids) {
    std::string_view tableNames[N];
    DISPID tableIds[N];
    for (std::size_t i = 0; i < N; ++i) {
        tableNames[i] = table[i].name;
        tableIds[i] = table[i].id;
    }
    return LookUpDispIds(tableNames, tableIds, names, count, ids);
}

template <class T, std::size_t N>
HRESULT DispatchInvoke(const DispatchMember<T> (&table)[N], T& self, DISPID id, WORD flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    for (const auto& member : table) {
        if (member.id != id) continue;
        return InvokeMember(member.minArgs, member.maxArgs, flags, params, result, excepInfo,
                            argErr, [&](DispatchArguments& args, VARIANT* out) {
                                return member.call(self, args, flags, out);
                            });
    }
    return DISP_E_MEMBERNOTFOUND;
}

// Runs `body` and returns S_OK, or the HRESULT of the exception it raised (with the thread's
// error info set): the epilogue of every vtable method that does not trap faults itself.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        ClearErrorInfo();
        body();
        return S_OK;
    } catch (...) {
        return ReportCurrentException();
    }
}

}  // namespace com
