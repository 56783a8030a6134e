// What both classes share: IDispatch over their member table, slots 1 to 9 apart from QueryProc,
// and the instance state. A class derives ServerObject<Class, Interface> and supplies
// `std::unique_ptr<RecordKind> NewRecordKind(Instance&)` and its QueryProc (and QueryProcKest).
//
// Faults: AddObjectReference and DropObjectReference trap every fault and return false; the
// other methods fail the call with the fault's HRESULT and error info, leaving results empty.
#pragma once

#include "com/automation.h"
#include "component/identities.h"
#include "component/instance.h"
#include "component/interfaces.h"
#include "component/record_kind.h"
#include "component/request_limits.h"
#include "component/transact.h"

namespace component {

// Converts an optional argument of GetResStringArg into the message argument it stands for.
messages::MessageArgument MessageArgumentOf(const VARIANT* value);

// The connection of an export called directly by a host, outside Transact: opened with the
// connection string of the latest login, and closed again when the export ends, so that no
// connection stays open between calls. Inside Transact the open connection is used as it is.
class ExportConnection {
  public:
    explicit ExportConnection(Instance& instance);
    ~ExportConnection();
    ExportConnection(const ExportConnection&) = delete;
    ExportConnection& operator=(const ExportConnection&) = delete;

  private:
    Instance& instance_;
    bool opened_ = false;
};

template <class Derived, class Interface>
class ServerObject : public com::Automation<Derived, Interface> {
  public:
    HRESULT WAGELINK_CALL AddObjectReference(IDispatch** Caller, VARIANT_BOOL* result) override {
        if (!result) return com::E_POINTER;
        *result = com::VARIANT_FALSE;
        if (!Caller) return com::S_OK;
        instance_.caller = com::ComPtr<IDispatch>(*Caller);
        *result = com::VARIANT_TRUE;
        return com::S_OK;
    }

    HRESULT WAGELINK_CALL DropObjectReference(IDispatch** Caller, VARIANT_BOOL* result) override {
        if (!result) return com::E_POINTER;
        bool same = Caller && com::SameObject(*Caller, instance_.caller.get());
        *result = same ? com::VARIANT_TRUE : com::VARIANT_FALSE;
        return com::S_OK;
    }

    HRESULT WAGELINK_CALL Transact(BSTR sXML, IDispatch** login, BSTR* result) override {
        if (!result) return com::E_POINTER;
        *result = nullptr;
        return com::Guarded([&] {
            CheckRequestSize(com::SysStringLen(sXML));  // before the text is copied
            std::string reply =
                component::Transact(instance_, *Derived::NewRecordKind(instance_),
                                    com::BstrToUtf8(sXML), login ? *login : nullptr);
            *result = com::Bstr(reply).Detach();
        });
    }

    HRESULT WAGELINK_CALL GenLen(BSTR* Lstr, com::SHORT* result) override {
        if (!result) return com::E_POINTER;
        *result = 0;
        return com::Guarded([&] { *result = messages::GenLen(TextOf(Lstr)); });
    }

    HRESULT WAGELINK_CALL GetResString(BSTR* ResId, BSTR* result) override {
        return TextResult(result, [&] { return instance_.messages.GetResString(TextOf(ResId)); });
    }

    HRESULT WAGELINK_CALL GetResStringArg(BSTR* ResId, VARIANT* Arg1, VARIANT* Arg2, VARIANT* Arg3,
                                          VARIANT* result) override {
        if (!result) return com::E_POINTER;
        com::VariantInit(result);
        return com::Guarded([&] {
            std::string text = instance_.messages.GetResStringArg(
                TextOf(ResId), MessageArgumentOf(Arg1), MessageArgumentOf(Arg2),
                MessageArgumentOf(Arg3));
            *result = com::Variant::FromText(text).Detach();
        });
    }

    HRESULT WAGELINK_CALL Lang(BSTR* cnString, BSTR* result) override {
        return TextResult(result, [&] { return instance_.messages.Lang(TextOf(cnString)); });
    }

    HRESULT WAGELINK_CALL unLang(BSTR* LString, BSTR* result) override {
        return TextResult(result, [&] { return instance_.messages.unLang(TextOf(LString)); });
    }

    Instance& instance() { return instance_; }

  protected:
    ServerObject(const Behaviour& behaviour, std::span<const messages::ItemName> itemNames)
        : instance_(behaviour, itemNames) {}

    // The body of QueryProc and QueryProcKest: runs `exportRows` with the conditions of
    // `eleList` and the text of `sRetXml`, and hands the working document back in it.
    template <class Export>
    HRESULT RunExport(IDispatch* eleList, BSTR* sRetXml, VARIANT_BOOL* result, Export exportRows);

    Instance instance_;

  private:
    static std::string TextOf(const BSTR* text) { return com::BstrToUtf8(text ? *text : nullptr); }

    template <class Body>
    static HRESULT TextResult(BSTR* result, Body body) {
        if (!result) return com::E_POINTER;
        *result = nullptr;
        return com::Guarded([&] { *result = com::Bstr(body()).Detach(); });
    }
};

// The member table both classes share (Derived adds QueryProcKest where it has it).
template <class T>
struct CommonMembers {
    using Args = com::DispatchArguments;

    static HRESULT AddObjectReference(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT DropObjectReference(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT Transact(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT QueryProc(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT QueryProcKest(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT GenLen(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT GetResString(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT GetResStringArg(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT Lang(T& instance, Args& args, com::WORD, VARIANT* out);
    static HRESULT unLang(T& instance, Args& args, com::WORD, VARIANT* out);
};

}  // namespace component

#include "component/server_object_impl.h"
