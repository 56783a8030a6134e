#include "com/activation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/fault.h"
#include "com/late_call.h"
#include "com/registry.h"
#include "component/identities.h"
#include "support/temp_dir.h"

namespace {

const std::string kServer = std::string(WAGELINK_BINARY_DIR) + "/libwagelink.so";

class Activation : public ::testing::Test {
  protected:
    void SetUp() override { setenv("WAGELINK_REGISTRY", dir.File("registry").c_str(), 1); }
    void TearDown() override { unsetenv("WAGELINK_REGISTRY"); }
    com::HRESULT Call(const char* name) {
        return reinterpret_cast<com::DllRegisterServerFn>(com::LoadExport(kServer, name))();
    }
    testing_support::TempDir dir;
};

TEST_F(Activation, RegisteredClassesAreCreatedByProgIdAndClsid) {
    ASSERT_EQ(Call("DllRegisterServer"), com::S_OK);
    com::Registry registry = com::Registry::Open();
    std::string key = "CLSID\\" + com::FormatGuid(component::CLSID_ISalaryItem);
    EXPECT_EQ(registry.Get(key + "\\InprocServer32\\ThreadingModel"), "Apartment");
    EXPECT_EQ(registry.Get(key + "\\progid"), "Wagelink.ISalaryItem")
        << "keys are not case-sensitive";
    EXPECT_EQ(registry.Get("TypeLib\\{E6963367-ED87-410F-BD7D-DE811C62AF0B}\\1.1"), "Wagelink");

    com::ComPtr<com::IDispatch> byProgId = com::CreateObject("Wagelink.ISalaryItem");
    com::ComPtr<com::IDispatch> byClsid =
        com::CreateObject(com::FormatGuid(component::CLSID_ISalaryPerson));
    com::Variant id = com::Variant::FromText("Qz.WA.EAI.00038");
    EXPECT_EQ(com::ToText(*com::CallByName(byProgId.get(), "GetResString", com::DISPATCH_METHOD,
                                           {com::ByRef(id)})
                               .get()),
              "成功");
    EXPECT_EQ(com::ToText(*com::CallByName(byClsid.get(), "GetResString", com::DISPATCH_METHOD,
                                           {com::ByRef(id)})
                               .get()),
              "成功");
    auto canUnload =
        reinterpret_cast<com::DllCanUnloadNowFn>(com::LoadExport(kServer, "DllCanUnloadNow"));
    EXPECT_EQ(canUnload(), com::S_FALSE) << "objects are alive";
    byProgId = nullptr;
    byClsid = nullptr;
    EXPECT_EQ(canUnload(), com::S_OK);

    ASSERT_EQ(Call("DllUnregisterServer"), com::S_OK);
    EXPECT_FALSE(com::Registry::Open().Get(key + "\\InprocServer32"));
    try {
        com::CreateObject("Wagelink.ISalaryItem");
        FAIL() << "an unregistered class was created";
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), com::REGDB_E_CLASSNOTREG);
    }
}

TEST_F(Activation, UnknownProgIdsAndMissingLibrariesFailCleanly) {
    com::CLSID clsid{};
    EXPECT_TRUE(com::FAILED(com::CLSIDFromProgID("No.Such.Class", &clsid)));
    try {
        com::CreateObject("No.Such.Class");
        FAIL();
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), com::REGDB_E_CLASSNOTREG);
    }
    com::Registry registry = com::Registry::Open();
    registry.Set("Broken.Class\\CLSID", "{11111111-2222-3333-4444-555555555555}");
    registry.Set("CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32",
                 dir.File("missing.so"));
    registry.Save();
    EXPECT_THROW(com::CreateObject("Broken.Class"), base::Fault);
}

}  // namespace
