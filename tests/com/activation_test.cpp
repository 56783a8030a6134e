#include "com/activation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/fault.h"
#include "com/late_call.h"
#include "com/registry.h"
#include "component/identities.h"
#include "support/temp_dir.h"
#include "wagelink_identities.h"

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

namespace {

// The registry file's text, for comparing it whole.
std::string RegistryText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A machine where the platform registered its own components first, at the identifiers our
// platform library uses (its row mapper's class and interface, its login class under our
// ProgID): registering and unregistering Wagelink beside it leaves its keys as they were after
// every step, gives our classes where none stood, and leaves the file as it was at the end.
// Revisions under the same ProgIDs replace each other, and removing one keeps what another
// registered since.
TEST_F(Activation, RegistrationSharesTheRegistryWithThePlatform) {
    const std::string path = dir.File("registry");
    const std::string mapper = "CLSID\\" WAGELINK_GUID_TEXT(WAGELINK_CLSID_ROW_XML_MAPPER);
    const std::string mapperInterface =
        "Interface\\" WAGELINK_GUID_TEXT(WAGELINK_IID_ROW_XML_MAPPER);
    const std::string theirs = "{6E0A33D1-0C2B-4A57-9D7E-3F1B2C4D5E6F}";
    {
        com::Registry platform = com::Registry::Open();
        platform.Set(mapper, "RowXmlMapper");
        platform.Set(mapper + "\\InprocServer32", "/opt/platform/qzplatform.so");
        platform.Set("QzLogin.Login\\CLSID", theirs);
        platform.Set("CLSID\\" + theirs + "\\InprocServer32", "/opt/platform/qzlogin.so");
        platform.Set(mapperInterface + "\\TypeLib", theirs);
        platform.Set(mapperInterface + "\\TypeLib\\Version", "2.0");
        platform.Set("TypeLib\\" + theirs + "\\2.0\\0\\linux", "/opt/platform/qzplatform.so");
        platform.Save();
    }
    const std::string before = RegistryText(path);
    std::vector<std::string> platformLines;
    for (std::size_t at = 0, end; (end = before.find('\n', at)) != std::string::npos; at = end + 1)
        platformLines.push_back(before.substr(at, end - at));
    const std::string platformLibrary =
        std::string(WAGELINK_BINARY_DIR) + "/libwagelink-platform.so";
    const std::string rev2 = std::string(WAGELINK_BINARY_DIR) + "/libwagelink-rev2.so";
    auto call = [](const std::string& library, const char* name) {
        return reinterpret_cast<com::DllRegisterServerFn>(com::LoadExport(library, name))();
    };
    auto expectPlatformKept = [&](const char* step) {
        const std::string now = RegistryText(path);
        for (const std::string& line : platformLines)
            EXPECT_NE(now.find(line + "\n"), std::string::npos) << step << ": " << line;
    };
    ASSERT_EQ(call(platformLibrary, "DllRegisterServer"), com::S_OK);
    ASSERT_EQ(call(kServer, "DllRegisterServer"), com::S_OK);
    expectPlatformKept("after registering");
    com::Registry registered = com::Registry::Open();
    EXPECT_EQ(registered.Get(
                  "CLSID\\" WAGELINK_GUID_TEXT(WAGELINK_CLSID_XML_DOCUMENT) "\\InprocServer32"),
              std::filesystem::canonical(platformLibrary).string())
        << "a free class is ours";
    EXPECT_FALSE(registered.Get("TypeLib\\" WAGELINK_GUID_TEXT(WAGELINK_PLATFORM_LIBID) "\\1.0"))
        << "a type library one of whose interfaces is the platform's is not registered";
    EXPECT_TRUE(registered.Get("Wagelink.ISalaryItem\\CLSID"));

    // Another revision under the same ProgIDs takes them; removing the first keeps its keys.
    ASSERT_EQ(call(rev2, "DllRegisterServer"), com::S_OK);
    EXPECT_EQ(com::Registry::Open().Get("Wagelink.ISalaryItem\\CLSID"),
              WAGELINK_GUID_TEXT(WAGELINK_EARLIER_CLSID_SALARY_ITEM));
    ASSERT_EQ(call(kServer, "DllUnregisterServer"), com::S_OK);
    EXPECT_EQ(com::Registry::Open().Get("Wagelink.ISalaryItem\\CLSID"),
              WAGELINK_GUID_TEXT(WAGELINK_EARLIER_CLSID_SALARY_ITEM));
    ASSERT_EQ(call(rev2, "DllUnregisterServer"), com::S_OK);
    ASSERT_EQ(call(platformLibrary, "DllUnregisterServer"), com::S_OK);
    expectPlatformKept("after unregistering");
    EXPECT_EQ(RegistryText(path), before) << "nothing of ours is left, nothing of theirs gone";
}

}  // namespace
