#include "support/dispatch.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "component/classes.h"
#include "component/identities.h"
#include "platform/objects.h"
#include "support/revisions.h"

namespace {

using testing_support::CallText;

com::DISPID IdOf(com::IDispatch* object, const char* name) {
    return com::GetDispId(object, name);
}

TEST(Dispatch, EveryMethodHasTheDispIdOfTheTable) {
    auto item = testing_support::NewSalaryItem();
    auto person = testing_support::NewSalaryPerson();
    const std::pair<const char*, std::uint32_t> kTable[] = {{"AddObjectReference", 0x60030000},
                                                            {"DropObjectReference", 0x60030001},
                                                            {"Transact", 0x60030002},
                                                            {"QueryProc", 0x60030007},
                                                            {"GenLen", 0x60030009},
                                                            {"GetResString", 0x6003000A},
                                                            {"GetResStringArg", 0x6003000B},
                                                            {"Lang", 0x6003000C},
                                                            {"unLang", 0x6003000D}};
    for (const auto& [name, id] : kTable) {
        EXPECT_EQ(static_cast<std::uint32_t>(IdOf(item.get(), name)), id) << name;
        EXPECT_EQ(static_cast<std::uint32_t>(IdOf(person.get(), name)), id) << name;
    }
    EXPECT_EQ(static_cast<std::uint32_t>(IdOf(item.get(), "queryprockest")), 0x60030013u);
    EXPECT_EQ(static_cast<std::uint32_t>(IdOf(item.get(), "TRANSACT")), 0x60030002u);
    EXPECT_THROW(IdOf(person.get(), "QueryProcKest"), base::Fault);
}

TEST(Dispatch, SalaryItemAnswersItsEarlierInterfaceIdentifier) {
    auto item = testing_support::NewSalaryItem();
    auto current = item.As<com::IUnknown>(component::IID_SalaryItem);
    auto earlier = item.As<com::IUnknown>(component::IID_SalaryItemEarlier);
    ASSERT_TRUE(current && earlier);
    EXPECT_EQ(current.get(), earlier.get());
    EXPECT_FALSE(item.As<com::IUnknown>(component::IID_SalaryPerson));
    auto person = testing_support::NewSalaryPerson();
    EXPECT_FALSE(person.As<com::IUnknown>(component::IID_SalaryItemEarlier));

    // A vtable client asks whether a failed call leaves error info, and gets back the same object.
    auto support = item.As<com::ISupportErrorInfo>(com::IID_ISupportErrorInfo);
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(component::IID_SalaryItem), com::S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(component::IID_SalaryPerson), com::S_FALSE);
    EXPECT_TRUE(com::SameObject(support.get(), current.get()));
}

TEST(Dispatch, HeldCallerIsReplacedNeverDropped) {
    auto item = testing_support::NewSalaryItem();
    auto first = testing_support::NewLogin("a");
    auto second = testing_support::NewLogin("b");
    auto call = [&](const char* name, com::IDispatch* object) {
        com::Variant arg = com::Variant::FromDispatch(object);
        return com::ToBool(
            *com::CallByName(item.get(), name, com::DISPATCH_METHOD, {com::ByRef(arg)}).get());
    };
    EXPECT_TRUE(call("DropObjectReference", nullptr)) << "no caller held and none given";
    EXPECT_TRUE(call("AddObjectReference", first.get()));
    EXPECT_TRUE(call("AddObjectReference", second.get()));
    EXPECT_FALSE(call("DropObjectReference", first.get()));
    EXPECT_TRUE(call("DropObjectReference", second.get()));
    auto* object = static_cast<component::SalaryItem*>(
        static_cast<component::SalaryItemInterface*>(item.get()));
    EXPECT_EQ(object->instance().caller.get(), second.get()) << "Drop released the caller";
}

TEST(Dispatch, MessageServicesByName) {
    auto item = testing_support::NewSalaryItem();
    auto person = testing_support::NewSalaryPerson();
    EXPECT_EQ(CallText(item.get(), "GetResString", {"Qz.WA.EAI.00038"}), "成功");
    EXPECT_EQ(CallText(item.get(), "GetResStringArg", {"Qz.WA.EAI.00010"}), "Qz.WA.EAI.00010");
    com::Variant id = com::Variant::FromText("Qz.WA.EAI.00015");
    com::Variant missing = com::Variant::Missing();
    com::Variant arg2 = com::Variant::FromText("0101");
    com::Variant result = com::CallByName(item.get(), "GetResStringArg", com::DISPATCH_METHOD,
                                          {com::ByRef(id), *missing.get(), com::ByRef(arg2)});
    EXPECT_EQ(result.type(), com::VT_BSTR);
    EXPECT_EQ(com::ToText(*result.get()), "工资类别[]中没有部门[0101]！");
    EXPECT_EQ(com::ToShort(*com::CallByName(item.get(), "GenLen", com::DISPATCH_METHOD,
                                            {*com::Variant::FromText("代扣税").get()})
                                .get()),
              6);
    for (auto* server : {item.get(), person.get()}) {
        std::string translated = CallText(server, "Lang", {"代扣税"});
        EXPECT_EQ(CallText(server, "unLang", {translated}), "代扣税");
    }
    EXPECT_EQ(CallText(person.get(), "Lang", {"年终奖"}), "年终奖");
}

TEST(Dispatch, BadCallsGetStandardCodesAndFaultsComeBackAsExceptions) {
    auto item = testing_support::NewSalaryItem();
    com::DISPPARAMS none{nullptr, nullptr, 0, 0};
    com::Variant out;
    EXPECT_EQ(item->Invoke(component::kTransact, com::IID_NULL, 0, com::DISPATCH_METHOD, &none,
                           out.get(), nullptr, nullptr),
              com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(item->Invoke(component::kTransact, com::IID_IDispatch, 0, com::DISPATCH_METHOD, &none,
                           out.get(), nullptr, nullptr),
              com::DISP_E_UNKNOWNINTERFACE);
    com::Variant notText = com::Variant::FromError(7);
    com::VARIANT args[] = {*notText.get()};
    com::DISPPARAMS one{args, nullptr, 1, 0};
    EXPECT_EQ(item->Invoke(component::kGenLen, com::IID_NULL, 0, com::DISPATCH_METHOD, &one,
                           out.get(), nullptr, nullptr),
              com::DISP_E_TYPEMISMATCH);

    com::Variant unknown = com::Variant::FromText("Qz.WA.EAI.12345");
    com::VARIANT unknownArgs[] = {*unknown.get()};
    com::DISPPARAMS lookup{unknownArgs, nullptr, 1, 0};
    com::EXCEPINFO info{};
    EXPECT_EQ(item->Invoke(component::kGetResString, com::IID_NULL, 0, com::DISPATCH_METHOD,
                           &lookup, out.get(), &info, nullptr),
              com::DISP_E_EXCEPTION);
    EXPECT_EQ(com::HresultToFaultNumber(info.scode), base::kInvalidArgument);
    EXPECT_NE(com::BstrToUtf8(info.bstrDescription).find("Qz.WA.EAI.12345"), std::string::npos);
    com::ClearExcepInfo(&info);

    // Through the interface table the same fault is the HRESULT plus error info.
    auto* table = static_cast<component::SalaryItemInterface*>(item.get());
    com::Bstr longText(std::string(40000, 'x'));
    com::SHORT length = -1;
    EXPECT_EQ(static_cast<std::uint32_t>(table->GenLen(longText.InOut(), &length)), 0x800A0006u);
    EXPECT_EQ(length, 0);
    auto error = com::TakeErrorInfo();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, base::kOverflow);
}

// A script that turns an object into a value asks for its default member (DISPID 0): no class of
// any revision and no object of the platform library has one, and each says so, whatever the
// flags and arguments, as it does for any DISPID that is not its own.
TEST(Dispatch, NoObjectAnswersADispIdItHasNot) {
    std::vector<std::span<const com::CreatableClass>> libraries;
    for (const auto& revision : testing_support::AllRevisions())
        libraries.push_back(revision.classes);
    libraries.push_back(platform::PlatformClasses());
    com::Variant text = com::Variant::FromText("x");
    com::VARIANT args[] = {*text.get(), *text.get()};
    for (auto classes : libraries) {
        for (const com::CreatableClass& c : classes) {
            com::ComPtr<com::IDispatch> object = c.create().As<com::IDispatch>(com::IID_IDispatch);
            ASSERT_TRUE(object);
            for (com::DISPID id : {com::DISPID_VALUE, -1, -4, -5, 0x60030003, 0x7FFFFFFF}) {
                for (com::WORD flags : {com::DISPATCH_METHOD, com::DISPATCH_PROPERTYGET,
                                        com::WORD(3), com::DISPATCH_PROPERTYPUT}) {
                    for (com::UINT count : {0u, 2u}) {
                        com::DISPPARAMS params{args, nullptr, count, 0};
                        EXPECT_EQ(object->Invoke(id, com::IID_NULL, 0, flags, &params, nullptr,
                                                 nullptr, nullptr),
                                  com::DISP_E_MEMBERNOTFOUND)
                            << com::FormatGuid(c.clsid) << " DISPID " << id;
                    }
                }
            }
        }
    }
}

}  // namespace
