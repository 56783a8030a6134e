// The classes of the earlier revisions: the current class (ISalaryItem or ISalaryPerson), built
// with the revision's behaviour, behind the revision's interface, identifiers and member table.
// Every method forwards to the current class's, so the adapters and drivers exist once.
#pragma once

#include <span>

#include "com/automation.h"
#include "component/behaviour.h"
#include "component/server_object.h"
#include "revisions/earlier_interfaces.h"
#include "wagelink_identities.h"

namespace revisions {

// What tells one earlier class: its revision's behaviour and the interface identifiers it
// answers (besides IDispatch).
struct EarlierKind {
    const component::Behaviour& behaviour;
    std::span<const com::IID> interfaces;
};

// The DISPIDs of the earlier revisions, which both share where both have a method.
enum EarlierDispId : com::DISPID {
    kTransact = WAGELINK_EARLIER_DISPID_TRANSACT,
    kQueryProc = WAGELINK_EARLIER_DISPID_QUERY_PROC,
    kGenLen = WAGELINK_EARLIER_DISPID_GEN_LEN,
    kGetResString = WAGELINK_EARLIER_DISPID_GET_RES_STRING,
    kGetResStringArg = WAGELINK_EARLIER_DISPID_GET_RES_STRING_ARG,
    kLang = WAGELINK_EARLIER_DISPID_LANG,
    kUnLang = WAGELINK_EARLIER_DISPID_UN_LANG,
};

// QueryProc of the earlier revisions: the element list and the result text only.
template <class T>
HRESULT EarlierQueryProc(T& self, com::DispatchArguments& args, com::WORD, VARIANT* out) {
    com::DispatchArgument eleList(args, 0);
    com::BstrArgument sRetXml(args, 1);
    VARIANT_BOOL result = com::VARIANT_FALSE;
    HRESULT hr = self.QueryProc(eleList.value(), sRetXml.ref(), &result);
    sRetXml.WriteBack();
    return component::detail::BoolResult(hr, result, out);
}

template <class Self, class Class, class Interface>
class EarlierObject : public com::Automation<Self, Interface> {
  public:
    void* Answer(const com::IID& iid) {
        if (iid == com::IID_IDispatch) return static_cast<Interface*>(this);
        for (const com::IID& known : kind_.interfaces)
            if (iid == known) return static_cast<Interface*>(this);
        return nullptr;
    }
    // The revision's default interface comes first.
    const com::IID* DescribingInterface() const { return &kind_.interfaces.front(); }

    HRESULT WAGELINK_CALL Transact(BSTR sXML, IDispatch** login, BSTR* result) override {
        return inner_.Transact(sXML, login, result);
    }
    HRESULT WAGELINK_CALL QueryProc(IDispatch* eleList, BSTR* sRetXml,
                                    VARIANT_BOOL* result) override {
        return inner_.QueryProc(eleList, sRetXml, nullptr, nullptr, result);
    }

  protected:
    explicit EarlierObject(const EarlierKind& kind) : kind_(kind), inner_(kind.behaviour) {}

    const EarlierKind& kind_;
    Class inner_;  // never handed out: only its methods are called
};

template <class Class>
class FirstRevisionObject final
    : public EarlierObject<FirstRevisionObject<Class>, Class, FirstRevisionInterface> {
  public:
    explicit FirstRevisionObject(const EarlierKind& kind)
        : EarlierObject<FirstRevisionObject, Class, FirstRevisionInterface>(kind) {}

    static constexpr com::DispatchMember<FirstRevisionObject> kMembers[] = {
        {"Transact", kTransact, 2, 2, &component::CommonMembers<FirstRevisionObject>::Transact},
        {"QueryProc", kQueryProc, 2, 2, &EarlierQueryProc<FirstRevisionObject>},
    };
};

template <class Class>
class SecondRevisionObject final
    : public EarlierObject<SecondRevisionObject<Class>, Class, SecondRevisionInterface> {
  public:
    explicit SecondRevisionObject(const EarlierKind& kind)
        : EarlierObject<SecondRevisionObject, Class, SecondRevisionInterface>(kind) {}

    HRESULT WAGELINK_CALL GenLen(BSTR* Lstr, SHORT* result) override {
        return this->inner_.GenLen(Lstr, result);
    }
    HRESULT WAGELINK_CALL GetResString(BSTR* ResId, BSTR* result) override {
        return this->inner_.GetResString(ResId, result);
    }
    HRESULT WAGELINK_CALL GetResStringArg(BSTR* ResId, VARIANT* Arg1, VARIANT* Arg2, VARIANT* Arg3,
                                          VARIANT* result) override {
        return this->inner_.GetResStringArg(ResId, Arg1, Arg2, Arg3, result);
    }
    HRESULT WAGELINK_CALL Lang(BSTR* cnString, BSTR* result) override {
        return this->inner_.Lang(cnString, result);
    }
    HRESULT WAGELINK_CALL unLang(BSTR* LString, BSTR* result) override {
        return this->inner_.unLang(LString, result);
    }

    using Members = component::CommonMembers<SecondRevisionObject>;
    static constexpr com::DispatchMember<SecondRevisionObject> kMembers[] = {
        {"Transact", kTransact, 2, 2, &Members::Transact},
        {"QueryProc", kQueryProc, 2, 2, &EarlierQueryProc<SecondRevisionObject>},
        {"GenLen", kGenLen, 1, 1, &Members::GenLen},
        {"GetResString", kGetResString, 1, 1, &Members::GetResString},
        {"GetResStringArg", kGetResStringArg, 1, 4, &Members::GetResStringArg},
        {"Lang", kLang, 1, 1, &Members::Lang},
        {"unLang", kUnLang, 1, 1, &Members::unLang},
    };
};

}  // namespace revisions
