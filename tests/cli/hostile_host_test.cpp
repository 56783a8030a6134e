// The host facing hostile files and a hostile machine: request encodings, NUL characters,
// planted links, full disks, broken registries, databases that are not payroll databases.
#include "support/host.h"

#include <gtest/gtest.h>
#include <iconv.h>
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
    // Without a mark, the XML declaration's encoding: 薪 is C8 EB in GBK and GB18030.
    for (const char* encoding : {"GBK", "gb18030", "GB2312"})
        EXPECT_EQ(Transact("<?xml version='1.0' encoding='" + std::string(encoding) +
                           "'?><r proc='ADD' docid='\xD0\xBD'/>")
                      .out,
                  expected)
            << encoding;
    EXPECT_EQ(
        Transact("<?xml version='1.0' encoding='ISO-8859-1'?><r proc='ADD' docid='\xE9'/>").out,
        "<reply docid=\"é\" proc=\"ADD\"/>\n");
    EXPECT_EQ(
        Transact(Utf16(u"<?xml version='1.0'?><r proc='ADD' docid='薪'/>", false).substr(2)).out,
        expected)
        << "UTF-16 without a mark";
    for (const auto& [request, says] :
         {std::pair<std::string, std::string>{
              "<?xml version='1.0' encoding='GBK'?><r docid='\xFF\xFF'/>",
              "error 13: Type mismatch: the request is not GBK text: the byte 0xFF at offset 46 "
              "cannot be read"},
          {"<?xml version='1.0' encoding='no-such-code'?><r/>",
           "error 13: Type mismatch: the request's encoding no-such-code is not known"}}) {
        HostRun bad = Transact(request);
        EXPECT_EQ(bad.exit, 1);
        EXPECT_EQ(bad.err, says + "\n");
    }
}

// The demo's import written in GBK, as Chinese ERP exports often are, imports as its UTF-8 twin.
TEST_F(HostileHost, AGbkRequestImportsAsItsUtf8Twin) {
    const std::string utf8 =
        Slurp(std::string(WAGELINK_SOURCE_DIR) + "/examples/add-salary-items.xml");
    iconv_t toGbk = iconv_open("GBK", "UTF-8");
    ASSERT_NE(toGbk, reinterpret_cast<iconv_t>(-1));
    std::string gbk(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    char* out = gbk.data();
    std::size_t inLeft = utf8.size(), outLeft = gbk.size();
    ASSERT_NE(iconv(toGbk, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(toGbk);
    gbk.resize(gbk.size() - outLeft);
    ASSERT_NE(gbk.find("\xC1\xD6"), std::string::npos) << "林 in GBK";
    const HostRun twin = Transact(utf8);
    const HostRun gb = Transact("<?xml version=\"1.0\" encoding=\"GBK\"?>\n" + gbk);
    EXPECT_EQ(gb.out, twin.out) << gb.err;
    EXPECT_EQ(gb.exit, twin.exit);
    EXPECT_NE(twin.out.find("key=\"林晓东\" code=\"0\""), std::string::npos) << twin.out;
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
    const std::string query =
        "<r roottag='salaryitem' proc='QUERY' paginate='2'><salaryitem>"
        "<field name='cGZGradeNum' operation='=' value='002'/></salaryitem></r>";
    HostRun refused = Transact(query, {"--pages", "pages"});
    EXPECT_EQ(refused.exit, 2) << "a folder with an earlier run's pages: " << refused.err;
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;
    HostRun run = Transact(query, {"--pages", "pages", "--overwrite"});
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

// Every command has its own help; an option is never taken for a file name; --version and
// registrations say what is registered.
TEST_F(HostileHost, HelpVersionAndRegistrations) {
    const std::pair<std::vector<std::string>, const char*> kHelp[] = {
        {{"--help"}, "wagelink: plays the integration platform"},
        {{"demo-db", "--help"}, "Write the payroll schema and demo data"},
        {{"register", "--help"}, "Register a server library"},
        {{"transact", "--help"}, "Call Transact of a class"},
        {{"registrations", "--help"}, "List the registered classes"},
    };
    for (const auto& [args, says] : kHelp) {
        HostRun run = folder.Run(args);
        EXPECT_EQ(run.exit, 0) << args[0];
        EXPECT_EQ(run.out.rfind(says, 0), 0u) << run.out;
    }
    for (std::vector<std::string> args : {std::vector<std::string>{},
                                          {"frobnicate"},
                                          {"demo-db", "--nonsense"},
                                          {"demo-db"},
                                          {"register", "--nonsense"},
                                          {"transact", "--help-me", "-", "--connection", "x"}}) {
        HostRun run = folder.Run(args);
        EXPECT_EQ(run.exit, 2) << (args.empty() ? "" : args.back()) << ": " << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("--help")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("--nonsense")));

    HostRun version = folder.Run({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_EQ(version.out.rfind("wagelink 1.", 0), 0u) << version.out;
    EXPECT_NE(version.out.find("Wagelink.ISalaryItem      1.1  "), std::string::npos)
        << version.out;
    HostRun listed = folder.Run({"registrations"});
    EXPECT_NE(listed.out.find("QzLogin.Login"), std::string::npos) << listed.out;
    HostRun registered = folder.Run({"register", WAGELINK_BINARY_DIR "/libwagelink-rev2.so"});
    EXPECT_NE(registered.out.find("Wagelink.ISalaryItem    1.3  "), std::string::npos)
        << registered.out;
}

}  // namespace
