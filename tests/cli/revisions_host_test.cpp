// Each revision's server library, registered through the host in a registry of its own and
// called by ProgID as the platform calls it.
#include <gtest/gtest.h>

#include "support/host.h"

namespace {

using testing_support::HostRun;
using testing_support::Slurp;

struct Library {
    const char* file;
    const char* version;
    std::vector<const char*> identifiers;  // type library, classes, interfaces
    bool holdsCaller;
};

void PrintTo(const Library& library, std::ostream* out) {
    *out << library.file;
}

class RevisionLibrary : public ::testing::TestWithParam<Library> {
  protected:
    testing_support::HostFolder folder;  // the platform's library and the current server

    std::string Path(const char* file) { return std::string(WAGELINK_BINARY_DIR) + "/" + file; }
    void SetUp() override {
        ASSERT_EQ(folder.Run({"unregister", Path("libwagelink.so")}).exit, 0);
        ASSERT_EQ(folder.Run({"register", Path(GetParam().file)}).exit, 0);
        ASSERT_EQ(folder.Run({"demo-db", "demo.db"}).exit, 0);
    }
    HostRun Transact(const char* progId, const std::string& request,
                     std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"transact", progId, request, "--connection",
                                         "Provider=SQLite;Data Source=demo.db"};
        args.insert(args.end(), more.begin(), more.end());
        return folder.Run(args);
    }
};

TEST_P(RevisionLibrary, RegistersItsIdentifiersAndAnswersByProgId) {
    const std::string registry = Slurp(folder.File("registry"));
    const std::string library = Path(GetParam().file);
    EXPECT_NE(registry.find("InprocServer32=" + library + "\n"), std::string::npos) << registry;
    if (std::string(GetParam().file) != "libwagelink.so") {
        EXPECT_EQ(registry.find("libwagelink.so"), std::string::npos)
            << "the current server stayed";
    }
    EXPECT_NE(registry.find(std::string("\\TypeLib\\Version=") + GetParam().version),
              std::string::npos)
        << registry;
    for (const char* identifier : GetParam().identifiers)
        EXPECT_NE(registry.find(identifier), std::string::npos) << identifier;

    std::string examples = std::string(WAGELINK_SOURCE_DIR) + "/examples/";
    HostRun persons = Transact("Wagelink.ISalaryPerson", examples + "add-salary-persons.xml");
    EXPECT_EQ(persons.exit, 4) << "the example rejects a record: " << persons.err;
    EXPECT_NE(persons.out.find("<result n=\"1\" key=\"梁诗雨\" code=\"0\""), std::string::npos)
        << persons.out;
    HostRun paged =
        Transact("Wagelink.ISalaryItem", examples + "query-salary-items.xml", {"--pages", "pages"});
    // The earlier revisions know no trial and would write every record: refused before it is sent.
    const std::string before = Slurp(folder.File("demo.db"));
    HostRun trial =
        Transact("Wagelink.ISalaryItem", examples + "add-salary-items.xml", {"--validate-only"});
    if (GetParam().holdsCaller) {
        EXPECT_EQ(trial.exit, 4) << trial.err;
        EXPECT_EQ(paged.exit, 0) << paged.err;
    } else {
        EXPECT_EQ(trial.exit, 2) << trial.err;
        EXPECT_NE(trial.err.find(std::string(GetParam().file) + ", type library " +
                                 GetParam().version + ") is an earlier interface revision"),
                  std::string::npos)
            << trial.err;
        EXPECT_EQ(Slurp(folder.File("demo.db")), before);
        EXPECT_EQ(paged.exit, 1);
        EXPECT_NE(paged.err.find("AddObjectReference"), std::string::npos) << paged.err;
        HostRun whole = Transact("Wagelink.ISalaryItem", examples + "query-salary-items.xml");
        EXPECT_NE(whole.out.find("<personname>"), std::string::npos) << whole.out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, RevisionLibrary,
    ::testing::Values(
        Library{
            "libwagelink.so",
            "1.1",
            {"{E6963367-ED87-410F-BD7D-DE811C62AF0B}", "{AFC2C0DE-B3E9-4985-BB0F-F9171BDB0D84}",
             "{2C62CCCF-B960-4CDD-80A4-805FA96607A3}", "{528ED197-7DCB-4D5F-8206-368AD2F9EDEF}"},
            true},
        Library{"libwagelink-rev2.so",
                "1.3",
                {"{BCA8F226-2247-4A13-8419-C6A87EDFEE4F}", "{C40E7259-C016-499A-8644-B23CC63E4ABB}",
                 "{46316AD2-25FB-44AE-A320-DD10BB341898}", "{B04C73C5-57E5-43A1-8A14-D162E44F6E2E}",
                 "{C33BF364-E5AF-484A-824B-EB45A7002117}", "{29DAA996-C838-4165-8143-5A1ED38517B0}",
                 "{71C60509-CD14-48A7-AA34-470B70D5B4DA}"},
                false},
        Library{"libwagelink-rev1.so",
                "1.0",
                {"{BCA8F226-2247-4A13-8419-C6A87EDFEE4F}", "{C40E7259-C016-499A-8644-B23CC63E4ABB}",
                 "{46316AD2-25FB-44AE-A320-DD10BB341898}", "{CC324116-A306-4A6D-9BD5-E549813F5C6E}",
                 "{B41CA393-71FB-4C92-B579-D097354CC115}"},
                false}),
    [](const ::testing::TestParamInfo<Library>& info) {
        std::string name = info.param.file;
        name = name.substr(3, name.find('.') - 3);
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

}  // namespace
