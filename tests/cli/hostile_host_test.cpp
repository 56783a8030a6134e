// The host facing hostile files and a hostile machine: request encodings, NUL characters,
// planted links, full disks, broken registries, databases that are not payroll databases.
#include "support/host.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "large_demo.h"

namespace {

using testing_support::HostRun;
using testing_support::Slurp;

class HostileHost : public ::testing::Test {
  protected:
    testing_support::HostFolder folder;
    std::string database = folder.File("demo.db");

    void SetUp() override { ASSERT_EQ(folder.Run({"demo-db", "demo.db"}).exit, 0); }
    HostRun Transact(const std::string& request, std::vector<std::string> more = {},
                     const std::string& progId = "Wagelink.ISalaryItem") {
        std::vector<std::string> args = {"transact", progId, "-", "--connection",
                                         "Provider=SQLite;Data Source=" + database};
        args.insert(args.end(), more.begin(), more.end());
        return folder.Run(args, request);
    }
};

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

TEST_F(HostileHost, RequestsAreReadInTheEncodingTheirMarkNames) {
    const std::string expected = "<reply docid=\"薪\" proc=\"ADD\"/>\n";
    EXPECT_EQ(Transact("\xEF\xBB\xBF<r proc='ADD' docid='薪'/>").out, expected);
    EXPECT_EQ(Transact(Utf16(u"<r proc='ADD' docid='薪'/>", false)).out, expected);
    EXPECT_EQ(Transact(Utf16(u"<r proc='ADD' docid='薪'/>", true)).out, expected);
    HostRun odd = Transact("\xFF\xFE<\0r", {});
    EXPECT_EQ(odd.exit, 1);
    EXPECT_EQ(odd.err.rfind("error 13: ", 0), 0u) << odd.err;
}

TEST_F(HostileHost, ANulCharacterIsNotASilentEnd) {
    const std::string notXml =
        "<reply code=\"100\" message=\"解析XML时发生错误,请你检查XML参数格式\"/>\n";
    EXPECT_EQ(Transact(std::string("<r proc='ADD' docid='ab'/>\0<junk", 32)).out, notXml);
    EXPECT_EQ(Transact(std::string("<r proc='ADD' docid='a\0b'/>", 26)).out, notXml);
}

TEST_F(HostileHost, PagesNeverFollowALinkPlantedInTheirFolder) {
    std::filesystem::create_directory(folder.File("pages"));
    std::ofstream(folder.File("victim")) << "keep me";
    std::filesystem::create_symlink(folder.File("victim"), folder.File("pages/page-1-of-3.xml"));
    HostRun run = Transact(
        "<r roottag='salaryitem' proc='QUERY' paginate='2'><salaryitem>"
        "<field name='cGZGradeNum' operation='=' value='002'/></salaryitem></r>",
        {"--pages", "pages"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Slurp(folder.File("victim")), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(folder.File("pages/page-1-of-3.xml")));
    EXPECT_NE(Slurp(folder.File("pages/page-1-of-3.xml")).find("<salaryitem>"), std::string::npos);
}

// A page or a reply larger than the file size limit: the write fails and the host says so (the
// limit leaves room for the database's own files, which this export does not grow).
TEST_F(HostileHost, AFileSizeLimitIsAFaultNotAKill) {
    sql::WriteLargeDemoDatabase(folder.File("large.db"), 600, 20);
    std::filesystem::create_directory(folder.File("pages"));
    auto run = [&](const std::string& paginate, const std::string& pages) {
        std::ofstream(folder.File("query.xml"))
            << "<r roottag='salaryitem' proc='QUERY' paginate='" + paginate +
                   "'><salaryitem><field name='cDept_Num' operation='=' value='0201' logic='and'/>"
                   "<field name='iMonth' operation='=' value='11'/></salaryitem></r>";
        const std::string command =
            "cd '" + folder.dir().path().string() +
            "' && ulimit -f 256 && WAGELINK_REGISTRY=registry '" + WAGELINK_BINARY_DIR +
            "/wagelink' transact Wagelink.ISalaryItem query.xml " +
            "--connection 'Provider=SQLite;Data Source=large.db' " + pages + " > out 2> err";
        return std::system(("sh -c \"" + command + "\"").c_str());
    };
    for (auto [paginate, pages] : {std::pair{"500", "--pages pages"}, {"0", ""}}) {
        int status = run(paginate, pages);
        ASSERT_TRUE(WIFEXITED(status)) << "the host was killed";
        EXPECT_EQ(WEXITSTATUS(status), 1) << "the host claimed success";
        EXPECT_NE(
            Slurp(folder.File("err")).find(pages[0] ? "cannot write" : "Cannot write the reply"),
            std::string::npos)
            << Slurp(folder.File("err"));
    }
}

TEST_F(HostileHost, DatabasesThatAreNotPayrollDatabases) {
    std::ofstream(folder.File("empty.db")).close();
    database = folder.File("empty.db");
    HostRun empty = Transact("<r proc='ADD'/>");
    EXPECT_EQ(empty.out.rfind("<reply code=\"-2147467259\" message=\"Cannot open database", 0), 0u)
        << empty.out;
    EXPECT_NE(empty.out.find("the file is empty"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(database), 0u) << "the empty file became a database";
    ASSERT_EQ(folder.Run({"demo-db", "other.db"}).exit, 0);
    database = folder.File("other.db");
    std::system(("sqlite3 '" + database + "' 'drop table WA_PsnMsg; drop table GL_mend'").c_str());
    HostRun partial = Transact("<r proc='ADD'/>");
    EXPECT_EQ(partial.out,
              "<reply code=\"-2147467259\" message=\"The database is not a payroll database: it "
              "has no table GL_mend, WA_PsnMsg\"/>\n");
}

TEST_F(HostileHost, ADatabaseOnlyReadableIsStillExported) {
    const std::string mount = folder.File("readonly");
    std::filesystem::create_directory(mount);
    if (::mount("none", mount.c_str(), "tmpfs", 0, nullptr) != 0)
        GTEST_SKIP() << "this machine does not let the test mount a file system";
    std::filesystem::copy_file(database, mount + "/demo.db");
    ASSERT_EQ(::mount("none", mount.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    database = mount + "/demo.db";
    HostRun run = Transact(
        "<r roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem>"
        "<field name='cPsn_Num' operation='=' value='0015'/></salaryitem></r>");
    HostRun write = Transact(
        "<r roottag='salaryitem' proc='ADD'><salaryitem><salarygradeno>002</salarygradeno>"
        "<departmentno>0201</departmentno><year>2026</year><month>12</month><personno>0015"
        "</personno><personname>沈建平</personname><persongradeno>临时工</persongradeno>"
        "<entry name='奖金' type='0'>1</entry></salaryitem></r>");
    ::umount(mount.c_str());
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_NE(run.out.find("<personno>0015</personno>"), std::string::npos) << run.out;
    EXPECT_NE(write.out.find("code=\"100\""), std::string::npos)
        << "a write to a database only readable must fail, not succeed: " << write.out;
}

TEST_F(HostileHost, TheRegistryIsReadOnlyWhenItIsARegistry) {
    std::string registry = Slurp(folder.File("registry"));
    std::string crlf;
    for (char c : registry) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::ofstream(folder.File("registry"), std::ios::binary) << crlf;
    EXPECT_EQ(Transact("<r proc='ADD' docid='1'/>").out, "<reply docid=\"1\" proc=\"ADD\"/>\n")
        << "CRLF line ends";
    std::filesystem::remove(folder.File("registry"));
    std::filesystem::create_directory(folder.File("registry"));
    HostRun directory = Transact("<r/>");
    EXPECT_EQ(directory.exit, 1);
    EXPECT_NE(directory.err.find("Class not registered"), std::string::npos) << directory.err;
    std::filesystem::remove(folder.File("registry"));
    std::ofstream(folder.File("registry")) << std::string(2 << 20, '#');
    EXPECT_EQ(Transact("<r/>").exit, 1) << "a registry of 2 MiB was read";
}

TEST_F(HostileHost, RegistrationsAtOnceKeepEachOthersEntries) {
    std::filesystem::remove(folder.File("registry"));
    std::vector<std::thread> registrations;
    for (int i = 0; i < 8; ++i) {
        const char* library = i % 2 ? "/libwagelink.so" : "/libwagelink-platform.so";
        registrations.emplace_back([&, library] {
            const std::string command = "WAGELINK_REGISTRY='" + folder.File("registry") + "' '" +
                                        WAGELINK_BINARY_DIR + "/wagelink' register '" +
                                        WAGELINK_BINARY_DIR + library + "'";
            std::system(command.c_str());
        });
    }
    for (std::thread& t : registrations) t.join();
    std::string registry = Slurp(folder.File("registry"));
    for (const char* progId : {"Wagelink.ISalaryItem\\CLSID=", "Wagelink.ISalaryPerson\\CLSID=",
                               "QzLogin.Login\\CLSID=", "Wagelink.XmlDocument\\CLSID="})
        EXPECT_NE(registry.find(progId), std::string::npos) << progId;
}

TEST_F(HostileHost, HelpAndVersion) {
    for (const char* help : {"--help", "help"}) {
        HostRun run = folder.Run({help});
        EXPECT_EQ(run.exit, 0);
        EXPECT_EQ(run.out.rfind("usage:\n  wagelink demo-db PATH | --connection STR\n", 0), 0u)
            << run.out;
        EXPECT_EQ(run.err, "");
    }
    HostRun version = folder.Run({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_EQ(version.out.rfind("wagelink 1.", 0), 0u) << version.out;
}

}  // namespace
