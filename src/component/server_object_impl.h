// Template definitions of server_object.h.
#pragma once

#include "component/condition_list.h"

namespace component {

template <class D, class I>
template <class Export>
HRESULT ServerObject<D, I>::RunExport(IDispatch* eleList, BSTR* sRetXml, VARIANT_BOOL* result,
                                      Export exportRows) {
    if (!result || !sRetXml) return com::E_POINTER;
    *result = com::VARIANT_FALSE;
    return com::Guarded([&] {
        ConditionList conditions = ConditionsOf(eleList);
        std::string text = com::BstrToUtf8(*sRetXml);
        ExportConnection connection(instance_);
        exportRows(conditions.nodes, text);
        com::Bstr updated(text);
        com::SysFreeString(*sRetXml);
        *sRetXml = updated.Detach();
    });
}

namespace detail {

inline HRESULT BoolResult(HRESULT hr, VARIANT_BOOL value, VARIANT* out) {
    if (com::FAILED(hr)) return hr;
    out->vt = com::VT_BOOL;
    out->boolVal = value;
    return hr;
}

inline HRESULT TextResult(HRESULT hr, com::Bstr& text, VARIANT* out) {
    if (com::FAILED(hr)) return hr;
    *out = com::Variant::FromBstr(std::move(text)).Detach();
    return hr;
}

// Calls a slot taking one text by reference and returning text (GetResString, Lang, unLang).
template <class T, class Slot>
HRESULT TextToText(T& self, com::DispatchArguments& args, VARIANT* out, Slot slot) {
    com::BstrArgument text(args, 0);
    com::Bstr result;
    HRESULT hr = (self.*slot)(text.ref(), result.Receive());
    text.WriteBack();
    return TextResult(hr, result, out);
}

template <class T, class Slot>
HRESULT Export(T& self, com::DispatchArguments& args, VARIANT* out, Slot slot) {
    com::DispatchArgument eleList(args, 0);
    com::BstrArgument sRetXml(args, 1);
    com::BstrArgument sRootTag(args, 2);
    com::DispatchArgument ocom(args, 3);
    VARIANT_BOOL result = com::VARIANT_FALSE;
    HRESULT hr =
        (self.*slot)(eleList.value(), sRetXml.ref(), sRootTag.value(), ocom.ref(), &result);
    sRetXml.WriteBack();
    return BoolResult(hr, result, out);
}

// Calls a slot taking the caller object by reference and returning a Boolean.
template <class T, class Slot>
HRESULT CallerSlot(T& self, com::DispatchArguments& args, VARIANT* out, Slot slot) {
    com::DispatchArgument caller(args, 0);
    VARIANT_BOOL result = com::VARIANT_FALSE;
    HRESULT hr = (self.*slot)(caller.ref(), &result);
    return BoolResult(hr, result, out);
}

}  // namespace detail

template <class T>
HRESULT CommonMembers<T>::AddObjectReference(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::CallerSlot(self, args, out, &T::AddObjectReference);
}

template <class T>
HRESULT CommonMembers<T>::DropObjectReference(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::CallerSlot(self, args, out, &T::DropObjectReference);
}

template <class T>
HRESULT CommonMembers<T>::Transact(T& self, Args& args, com::WORD, VARIANT* out) {
    com::BstrArgument sXML(args, 0);
    com::DispatchArgument login(args, 1);
    com::Bstr result;
    HRESULT hr = self.Transact(sXML.value(), login.ref(), result.Receive());
    return detail::TextResult(hr, result, out);
}

template <class T>
HRESULT CommonMembers<T>::QueryProc(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::Export(self, args, out, &T::QueryProc);
}

template <class T>
HRESULT CommonMembers<T>::QueryProcKest(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::Export(self, args, out, &T::QueryProcKest);
}

template <class T>
HRESULT CommonMembers<T>::GenLen(T& self, Args& args, com::WORD, VARIANT* out) {
    com::BstrArgument text(args, 0);
    com::SHORT result = 0;
    HRESULT hr = self.GenLen(text.ref(), &result);
    text.WriteBack();
    if (com::FAILED(hr)) return hr;
    *out = com::Variant::FromShort(result).Detach();
    return hr;
}

template <class T>
HRESULT CommonMembers<T>::GetResString(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::TextToText(self, args, out, &T::GetResString);
}

template <class T>
HRESULT CommonMembers<T>::GetResStringArg(T& self, Args& args, com::WORD, VARIANT* out) {
    com::BstrArgument resId(args, 0);
    com::Variant m1, m2, m3;
    HRESULT hr = self.GetResStringArg(resId.ref(), com::VariantArgument(args, 1, m1),
                                      com::VariantArgument(args, 2, m2),
                                      com::VariantArgument(args, 3, m3), out);
    resId.WriteBack();
    return hr;
}

template <class T>
HRESULT CommonMembers<T>::Lang(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::TextToText(self, args, out, &T::Lang);
}

template <class T>
HRESULT CommonMembers<T>::unLang(T& self, Args& args, com::WORD, VARIANT* out) {
    return detail::TextToText(self, args, out, &T::unLang);
}

// The rows of the member table that both classes have, in slot order.
#define WAGELINK_COMMON_MEMBERS(T)                                                            \
    {"AddObjectReference", kAddObjectReference, 1, 1, &CommonMembers<T>::AddObjectReference}, \
        {"DropObjectReference", kDropObjectReference, 1, 1,                                   \
         &CommonMembers<T>::DropObjectReference},                                             \
        {"Transact", kTransact, 2, 2, &CommonMembers<T>::Transact},                           \
        {"QueryProc", kQueryProc, 4, 4, &CommonMembers<T>::QueryProc},                        \
        {"GenLen", kGenLen, 1, 1, &CommonMembers<T>::GenLen},                                 \
        {"GetResString", kGetResString, 1, 1, &CommonMembers<T>::GetResString},               \
        {"GetResStringArg", kGetResStringArg, 1, 4, &CommonMembers<T>::GetResStringArg},      \
        {"Lang", kLang, 1, 1, &CommonMembers<T>::Lang}, {                                     \
        "unLang", kUnLang, 1, 1, &CommonMembers<T>::unLang                                    \
    }

}  // namespace component
