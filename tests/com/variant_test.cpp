#include "com/variant.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "com/hresult.h"
#include "com/object.h"

namespace {

// Counts live instances so tests can see references released.
class Probe final : public com::Object<Probe, com::IDispatch> {
  public:
    static inline int alive = 0;
    Probe() { ++alive; }
    ~Probe() { --alive; }
    void* Answer(const com::IID& iid) { return iid == com::IID_IDispatch ? this : nullptr; }
    com::HRESULT WAGELINK_CALL GetTypeInfoCount(com::UINT*) override { return com::E_NOTIMPL; }
    com::HRESULT WAGELINK_CALL GetTypeInfo(com::UINT, com::LCID, void**) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT WAGELINK_CALL GetIDsOfNames(const com::IID&, com::LPOLESTR*, com::UINT, com::LCID,
                                             com::DISPID*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT WAGELINK_CALL Invoke(com::DISPID, const com::IID&, com::LCID, com::WORD,
                                      com::DISPPARAMS*, com::VARIANT*, com::EXCEPINFO*,
                                      com::UINT*) override {
        return com::E_NOTIMPL;
    }
};

int Faulting(auto call) {
    try {
        call();
    } catch (const base::Fault& f) {
        return f.number();
    }
    return 0;
}

TEST(Variant, CopiesAndClearsOfEveryType) {
    Probe::alive = 0;
    {
        com::ComPtr<Probe> probe = Probe::Create();
        com::SAFEARRAY* array = com::SafeArrayCreateVector(com::VT_VARIANT, 0, 3);
        com::SafeArrayElements(array)[0] = com::Variant::FromText("工资").Detach();
        com::SafeArrayElements(array)[1] = com::Variant::FromDispatch(probe.get()).Detach();
        com::SafeArrayElements(array)[2] = com::Variant::Missing().Detach();
        std::vector<com::Variant> all;
        all.push_back(com::Variant());
        all.push_back(com::Variant::Null());
        all.push_back(com::Variant::FromShort(-7));
        all.push_back(com::Variant::FromLong(70000));
        all.push_back(com::Variant::FromDouble(1.5));
        all.push_back(com::Variant::FromBool(true));
        all.push_back(com::Variant::FromText("代扣税"));
        all.push_back(com::Variant::FromDispatch(probe.get()));
        all.push_back(com::Variant::FromError(com::DISP_E_PARAMNOTFOUND));
        all.push_back(com::Variant::FromArray(array));
        std::vector<com::Variant> copies(all);  // deep copies
        for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(copies[i].type(), all[i].type());
        EXPECT_NE(copies[6].get()->bstrVal, all[6].get()->bstrVal);
        EXPECT_EQ(com::ToText(*copies[6].get()), "代扣税");
        EXPECT_NE(copies[9].get()->parray, all[9].get()->parray);
        EXPECT_EQ(com::ToText(com::SafeArrayElements(copies[9].get()->parray)[0]), "工资");
        all.clear();
        EXPECT_EQ(com::ToText(com::SafeArrayElements(copies[9].get()->parray)[0]), "工资");
        EXPECT_EQ(Probe::alive, 1);
    }
    EXPECT_EQ(Probe::alive, 0) << "a reference held by a copy was not released";
}

TEST(Variant, ByReferenceFormsReadThroughAndOwnNothing) {
    com::Bstr text("月结");
    com::SHORT i2 = 12;
    com::LONG i4 = -5;
    double r8 = 2.25;
    com::VARIANT_BOOL b = com::VARIANT_TRUE;
    com::Variant inner = com::Variant::FromText("inner");
    auto ref = [](com::VARTYPE vt, void* p) {
        com::VARIANT v;
        com::VariantInit(&v);
        v.vt = com::VT_BYREF | vt;
        v.byref = p;
        return v;
    };
    com::VARIANT refs[] = {ref(com::VT_BSTR, text.InOut()),
                           ref(com::VT_I2, &i2),
                           ref(com::VT_I4, &i4),
                           ref(com::VT_R8, &r8),
                           ref(com::VT_BOOL, &b),
                           ref(com::VT_VARIANT, inner.get())};
    EXPECT_EQ(com::ToText(refs[0]), "月结");
    EXPECT_EQ(com::ToShort(refs[1]), 12);
    EXPECT_EQ(com::ToLong(refs[2]), -5);
    EXPECT_EQ(com::ToDouble(refs[3]), 2.25);
    EXPECT_TRUE(com::ToBool(refs[4]));
    EXPECT_EQ(com::ToText(refs[5]), "inner");
    // A copy of a by-reference VARIANT stays a reference; CopyOf dereferences into an owned value.
    com::Variant owned = com::Variant::CopyOf(refs[0]);
    EXPECT_EQ(owned.type(), com::VT_BSTR);
    EXPECT_NE(owned.get()->bstrVal, text.get());
    for (com::VARIANT& v : refs) com::VariantClear(&v);
    EXPECT_EQ(text.utf8(), "月结") << "clearing a reference freed the caller's text";
    EXPECT_EQ(inner.type(), com::VT_BSTR);
}

TEST(Variant, ConversionFaultsFollowTheAutomationNumbers) {
    EXPECT_EQ(com::ToShort(*com::Variant::FromText(" 12 ").get()), 12);
    EXPECT_EQ(com::ToShort(*com::Variant::FromDouble(2.5).get()), 2);
    EXPECT_EQ(com::ToShort(*com::Variant::FromDouble(3.5).get()), 4);
    EXPECT_EQ(com::ToLong(*com::Variant::FromText("-70000").get()), -70000);
    EXPECT_EQ(com::ToShort(*com::Variant::FromLong(-32768).get()), -32768);
    EXPECT_EQ(com::ToShort(*com::Variant::FromBool(true).get()), -1) << "true is -1";
    EXPECT_EQ(com::ToLong(*com::Variant::FromBool(true).get()), -1);
    EXPECT_EQ(com::ToDouble(*com::Variant::FromText("1e-400").get()), 0) << "underflow is 0";
    EXPECT_EQ(com::ToText(*com::Variant::FromDouble(-0.0).get()), "0");
    EXPECT_EQ(com::ToText(*com::Variant::FromDouble(1500).get()), "1500");
    EXPECT_EQ(com::ToText(*com::Variant::FromDouble(1500.5).get()), "1500.5");

    EXPECT_EQ(Faulting([] { com::ToShort(*com::Variant::FromLong(32768).get()); }),
              base::kOverflow);
    EXPECT_EQ(Faulting([] { com::ToShort(*com::Variant::FromText("40000").get()); }),
              base::kOverflow);
    EXPECT_EQ(Faulting([] { com::ToLong(*com::Variant::FromDouble(3e9).get()); }), base::kOverflow);
    EXPECT_EQ(Faulting([] { com::ToShort(*com::Variant::FromText("12abc").get()); }),
              base::kTypeMismatch);
    EXPECT_EQ(Faulting([] { com::ToLong(*com::Variant::FromText("").get()); }),
              base::kTypeMismatch);
    EXPECT_EQ(Faulting([] { com::ToText(*com::Variant::FromError(5).get()); }),
              base::kTypeMismatch);
    EXPECT_EQ(Faulting([] { com::ToText(*com::Variant::Null().get()); }), base::kInvalidUseOfNull);
}

}  // namespace
