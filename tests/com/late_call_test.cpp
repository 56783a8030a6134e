#include "com/late_call.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/fault.h"
#include "com/automation.h"
#include "support/faults.h"

namespace {

// Doubles a text in place (by reference) and tells whether its optional argument was given.
class Echo final : public com::Automation<Echo> {
  public:
    static inline int alive = 0;
    Echo() { ++alive; }
    ~Echo() { --alive; }
    void* Answer(const com::IID& iid) { return iid == com::IID_IDispatch ? this : nullptr; }

    static com::HRESULT Twice(Echo&, com::DispatchArguments& args, com::WORD, com::VARIANT* out) {
        com::BstrArgument text(args, 0);
        com::Variant missing;
        com::VARIANT* suffix = com::VariantArgument(args, 1, missing);
        std::string doubled = com::BstrToUtf8(text.value()) + com::BstrToUtf8(text.value());
        com::SysFreeString(*text.ref());
        *text.ref() = com::Bstr(doubled).Detach();
        text.WriteBack();
        *out = com::Variant::FromText(com::IsMissing(*suffix) ? "omitted" : com::ToText(*suffix))
                   .Detach();
        return com::S_OK;
    }
    static com::HRESULT Fail(Echo&, com::DispatchArguments&, com::WORD, com::VARIANT*) {
        throw base::Fault(6, "Overflow in Fail");
    }
    static com::HRESULT Count(Echo&, com::DispatchArguments& args, com::WORD, com::VARIANT* out) {
        *out = com::Variant::FromShort(com::ToShort(args.Raw(0))).Detach();
        return com::S_OK;
    }
    static com::HRESULT Exhaust(Echo&, com::DispatchArguments&, com::WORD, com::VARIANT*) {
        throw std::bad_alloc();
    }
    static com::HRESULT Stray(Echo&, com::DispatchArguments&, com::WORD, com::VARIANT*) {
        throw 42;  // not derived from std::exception
    }
    static constexpr com::DispatchMember<Echo> kMembers[] = {
        {"Twice", 1, 1, 2, &Twice},     {"Fail", 2, 0, 0, &Fail},   {"Count", 3, 1, 1, &Count},
        {"Exhaust", 4, 0, 0, &Exhaust}, {"Stray", 5, 0, 0, &Stray},
    };
};

TEST(LateCall, ByReferenceAndOmittedOptionalArguments) {
    auto echo = Echo::Create();
    com::Variant text = com::Variant::FromText("薪");
    com::Variant result =
        com::CallByName(echo.get(), "twice", com::DISPATCH_METHOD, {com::ByRef(text)});
    EXPECT_EQ(com::ToText(*result.get()), "omitted");
    EXPECT_EQ(com::ToText(*text.get()), "薪薪") << "the by-reference argument was not written back";

    com::Variant byValue = com::Variant::FromText("a");
    com::Variant suffix = com::Variant::FromText("given");
    result =
        com::CallByName(echo.get(), "TWICE", com::DISPATCH_METHOD, {*byValue.get(), *suffix.get()});
    EXPECT_EQ(com::ToText(*result.get()), "given");
    EXPECT_EQ(com::ToText(*byValue.get()), "a") << "a by-value argument changed";

    com::Variant missing = com::Variant::Missing();
    result = com::CallByName(echo.get(), "Twice", com::DISPATCH_METHOD,
                             {*byValue.get(), *missing.get()});
    EXPECT_EQ(com::ToText(*result.get()), "omitted");
}

TEST(LateCall, WrongNamesCountsAndTypesGetStandardCodes) {
    auto echo = Echo::Create();
    try {
        com::CallByName(echo.get(), "Nope", com::DISPATCH_METHOD);
        FAIL();
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), 438);
    }
    com::DISPPARAMS none{nullptr, nullptr, 0, 0};
    com::Variant out;
    EXPECT_EQ(
        echo->Invoke(1, com::IID_NULL, 0, com::DISPATCH_METHOD, &none, out.get(), nullptr, nullptr),
        com::DISP_E_BADPARAMCOUNT);
    com::Variant notText = com::Variant::FromError(5);
    com::VARIANT args[] = {*notText.get()};
    com::DISPPARAMS one{args, nullptr, 1, 0};
    com::UINT argErr = 99;
    EXPECT_EQ(
        echo->Invoke(1, com::IID_NULL, 0, com::DISPATCH_METHOD, &one, out.get(), nullptr, &argErr),
        com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    // Arguments travel in reverse: argErr counts from the end of rgvarg.
    com::Variant text = com::Variant::FromText("x");
    com::VARIANT two[] = {*text.get(), *notText.get()};  // declared order: notText, text
    com::DISPPARAMS pair{two, nullptr, 2, 0};
    argErr = 99;
    EXPECT_EQ(
        echo->Invoke(1, com::IID_NULL, 0, com::DISPATCH_METHOD, &pair, out.get(), nullptr, &argErr),
        com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u) << "the first declared argument is the last in rgvarg";
    EXPECT_EQ(echo->Invoke(77, com::IID_NULL, 0, com::DISPATCH_METHOD, &none, out.get(), nullptr,
                           nullptr),
              com::DISP_E_MEMBERNOTFOUND);
}

TEST(LateCall, FaultsComeBackWithNumberAndDescription) {
    auto echo = Echo::Create();
    try {
        com::CallByName(echo.get(), "Fail", com::DISPATCH_METHOD);
        FAIL();
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), 6);
        EXPECT_EQ(f.description(), "Overflow in Fail");
    }
    com::Variant big = com::Variant::FromLong(99999);
    try {
        com::CallByName(echo.get(), "Count", com::DISPATCH_METHOD, {*big.get()});
        FAIL();
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), base::kOverflow);
    }
}

// Every exception leaves a member the same way, through Invoke and through a vtable method alike.
TEST(ErrorInfo, OneBoundaryForEveryException) {
    auto echo = Echo::Create();
    auto fault = [&](const char* member) {
        return testing_support::FaultOf(
            [&] { com::CallByName(echo.get(), member, com::DISPATCH_METHOD); });
    };
    EXPECT_EQ(fault("Exhaust"), std::make_pair(7, std::string("Out of memory")));
    EXPECT_EQ(fault("Stray").first, com::E_UNEXPECTED);

    EXPECT_EQ(com::Guarded([] { throw std::bad_alloc(); }), com::hr(0x800A0007));
    EXPECT_EQ(com::TakeErrorInfo()->number, 7);
    EXPECT_EQ(com::Guarded([] { throw 42; }), com::E_UNEXPECTED);
    EXPECT_EQ(com::TakeErrorInfo()->number, com::E_UNEXPECTED);
    EXPECT_EQ(com::Guarded([] { throw std::runtime_error("plain"); }), com::E_FAIL);
    EXPECT_EQ(com::TakeErrorInfo()->description, "plain");
    EXPECT_EQ(com::Guarded([] {}), com::S_OK);
    EXPECT_FALSE(com::TakeErrorInfo()) << "a call that succeeds leaves no error info";
}

TEST(ErrorInfo, ReadByTheCallerOnTheSameThreadOnly) {
    com::ClearErrorInfo();
    com::HRESULT hr = com::ReportFault(base::Fault(13, "Type mismatch here"));
    EXPECT_EQ(static_cast<std::uint32_t>(hr), 0x800A000Du);
    bool otherThreadSaw = true;
    std::thread([&] { otherThreadSaw = com::TakeErrorInfo().has_value(); }).join();
    EXPECT_FALSE(otherThreadSaw);
    auto info = com::TakeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->number, 13);
    EXPECT_EQ(info->description, "Type mismatch here");
    EXPECT_FALSE(com::TakeErrorInfo()) << "error info is taken once";
}

TEST(ObjectCounting, ReferencesReachZero) {
    Echo::alive = 0;
    {
        auto a = Echo::Create();
        com::ComPtr<com::IDispatch> b(a.get());
        com::ComPtr<com::IUnknown> unknown = b.As<com::IUnknown>(com::IID_IUnknown);
        EXPECT_TRUE(com::SameObject(unknown.get(), static_cast<com::IDispatch*>(a.get())));
        EXPECT_EQ(Echo::alive, 1);
    }
    EXPECT_EQ(Echo::alive, 0);
}

}  // namespace

namespace {

// A script object that knows its names only through IDispatchEx, as Wine's VBScript objects do;
// without that interface it knows none.
class ScriptObject final : public com::Automation<ScriptObject, com::IDispatchEx> {
  public:
    explicit ScriptObject(bool ex) : ex_(ex) {}
    void* Answer(const com::IID& iid) {
        if (iid == com::IID_IDispatch) return static_cast<com::IDispatch*>(this);
        return ex_ && iid == com::IID_IDispatchEx ? this : nullptr;
    }
    com::HRESULT WAGELINK_CALL GetIDsOfNames(const com::IID&, com::LPOLESTR*, com::UINT, com::LCID,
                                             com::DISPID*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT WAGELINK_CALL GetDispID(com::BSTR name, com::DWORD flags,
                                         com::DISPID* id) override {
        flags_ = flags;
        return com::DispatchGetIDsOfNames(kMembers, &name, 1, id);
    }
    static com::HRESULT Page(ScriptObject&, com::DispatchArguments& args, com::WORD,
                             com::VARIANT* out) {
        *out = com::Variant::FromLong(com::ToLong(args.Raw(0)) + 1).Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<ScriptObject> kMembers[] = {
        {"ProcessExport", 7, 1, 1, &Page}};
    com::DWORD flags_ = 0;

  private:
    bool ex_;
};

TEST(LateCall, NamesFoundThroughIDispatchExWhenGetIDsOfNamesIsNotImplemented) {
    auto script = ScriptObject::Create(true);
    com::Variant result = com::CallByName(script.get(), "processexport", com::DISPATCH_METHOD,
                                          {*com::Variant::FromLong(41).get()});
    EXPECT_EQ(com::ToLong(*result.get()), 42);
    EXPECT_EQ(script->flags_, com::fdexNameCaseInsensitive);
    auto plain = ScriptObject::Create(false);
    EXPECT_THROW(com::GetDispId(plain.get(), "ProcessExport"), base::Fault);
}

}  // namespace
