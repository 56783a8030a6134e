// The host, run as a user runs it.
#include "support/host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "db/recordset.h"
#include "large_demo.h"
#include "support/demo_db.h"

namespace {

using testing_support::HostRun;
using testing_support::Slurp;

class Host : public ::testing::Test {
  protected:
    testing_support::HostFolder folder;
    const testing_support::TempDir& dir = folder.dir();

    HostRun Wagelink(const std::vector<std::string>& args, const std::string& input = "") {
        return folder.Run(args, input);
    }
    HostRun Transact(const std::string& progId, const std::string& request,
                     std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"transact", progId, "-", "--connection",
                                         "Provider=SQLite;Data Source=" + dir.File("demo.db")};
        args.insert(args.end(), more.begin(), more.end());
        return Wagelink(args, request);
    }
    void SetUp() override { ASSERT_EQ(Wagelink({"demo-db", "demo.db"}).exit, 0); }
};

TEST_F(Host, DemoDatabaseIsWrittenOnceAndNeverOverwritten) {
    auto count = [&](const std::string& table) {
        auto c = std::make_unique<db::Connection>();
        c->Open("Provider=SQLite;Data Source=" + dir.File("demo.db"));
        db::Recordset rows;
        rows.Open("select count(*) from " + table, *c);
        return rows[0].Text();
    };
    EXPECT_EQ(count("WA_psn"), "19");
    EXPECT_EQ(count("pubperson"), "23");
    HostRun again = Wagelink({"demo-db", "demo.db"});
    EXPECT_EQ(again.exit, 1);
    EXPECT_NE(again.err.find("File exists"), std::string::npos) << again.err;
    EXPECT_EQ(count("WA_psn"), "19");
}

// A request answered as a whole: the reply says why, and the host exits 3.
TEST_F(Host, RequestsAnsweredAsAWhole) {
    HostRun notXml = Transact("Wagelink.ISalaryPerson", "<<<");
    EXPECT_EQ(notXml.exit, 3) << "a request refused as a whole";
    EXPECT_EQ(notXml.out,
              "<reply code=\"100\" message=\"解析XML时发生错误,请你检查XML参数格式\"/>\n");
    EXPECT_EQ(Transact("Wagelink.ISalaryItem", "<r docid='1'/>").out,
              "<reply code=\"710\" message=\"暂不提供此功能\"/>\n");
    EXPECT_EQ(Transact("Wagelink.ISalaryItem", "<r docid='1' proc='add'/>").out,
              "<reply docid=\"1\" proc=\"add\"/>\n");
    HostRun unopenable = Wagelink({"transact", "Wagelink.ISalaryItem", "-", "--connection",
                                   "Provider=SQLite;Data Source=" + dir.File("absent.db")},
                                  "<r proc='ADD'/>");
    EXPECT_EQ(unopenable.exit, 3);
    EXPECT_EQ(unopenable.out.rfind("<reply code=\"-2147467259\" message=\"Cannot open database", 0),
              0u)
        << unopenable.out;
}

// A call that fails: exit 1, the error's number and description, and a hint where there is a
// usual fix.
TEST_F(Host, FailedCallsSayWhyAndHowToMendThem) {
    HostRun unknown = Transact("No.Such.Class", "<r/>");
    EXPECT_EQ(unknown.exit, 1);
    EXPECT_EQ(unknown.err.rfind("error -2147221164: Class not registered: No.Such.Class\nhint: "
                                "the registry file ",
                                0),
              0u)
        << unknown.err;
    EXPECT_NE(unknown.err.find("wagelink register"), std::string::npos) << unknown.err;
    HostRun noPages =
        Transact("Wagelink.ISalaryItem",
                 "<r roottag='salaryitem' proc='QUERY' paginate='1'><salaryitem/></r>");
    EXPECT_EQ(noPages.exit, 1);
    EXPECT_EQ(noPages.err.rfind("error 91: ", 0), 0u) << noPages.err;
    EXPECT_NE(noPages.err.find("hint: the export is paged (its paginate is 1 or more): give "
                               "--pages DIR"),
              std::string::npos)
        << noPages.err;
    HostRun noPaginate = Transact("Wagelink.ISalaryItem", "<r roottag='salaryitem' proc='QUERY'/>");
    EXPECT_EQ(noPaginate.exit, 1);
    EXPECT_EQ(noPaginate.err.rfind("error 13: ", 0), 0u) << noPaginate.err;
}

// A command line the host cannot act on: exit 2, nothing sent.
TEST_F(Host, AWrongCommandLineSendsNothing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"transact", "Wagelink.ISalaryItem", "-"},
          std::vector<std::string>{"frobnicate"}, std::vector<std::string>{}})
        EXPECT_EQ(Wagelink(args).exit, 2) << args.size();
}

// A script reads the outcome from the exit code alone.
TEST_F(Host, ExitCodesAScriptCanTrust) {
    const std::string record =
        "<salaryitem><salarygradeno>001</salarygradeno><departmentno>0101</departmentno><year>2026"
        "</year><month>MONTH</month><personno>0001</personno><personname>林晓东</personname>"
        "<persongradeno>管理人员</persongradeno><entry name='奖金' type='0'>1</entry></salaryitem>";
    auto add = [&](std::initializer_list<const char*> months) {
        std::string request = "<vkinterface roottag='salaryitem' proc='ADD'>";
        for (const char* month : months)
            request += std::string(record).replace(record.find("MONTH"), 5, month);
        return request + "</vkinterface>";
    };
    const std::pair<std::string, int> kCases[] = {
        {add({"11", "11"}), 0},
        {add({"11", "10"}), 4},  // month 10 is closed: one record rejected
        {"<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'/>", 0},
        {"not xml", 3},
        {"<?xml version='1.0'?>", 3},
        {"<vkinterface proc='DELETE'/>", 3},
    };
    for (const auto& [request, exit] : kCases)
        EXPECT_EQ(Transact("Wagelink.ISalaryItem", request).exit, exit) << request;
    EXPECT_EQ(Wagelink({"transact", "Wagelink.ISalaryItem", "-", "--connection",
                        "Provider=SQLite;Data Source=" + dir.File("none.db")},
                       add({"11"}))
                  .exit,
              3)
        << "the set-up's fault reply";
    EXPECT_EQ(Transact("Wagelink.ISalaryItem", "<r roottag='r' proc='QUERY' paginate='1'/>").exit,
              1)
        << "a paged export without a page directory fails the call";
}

TEST_F(Host, TheExamplePersonImportEnrolsAndRejects) {
    HostRun run = Wagelink({"transact", "Wagelink.ISalaryPerson",
                            std::string(WAGELINK_SOURCE_DIR) + "/examples/add-salary-persons.xml",
                            "--connection", "Provider=SQLite;Data Source=" + dir.File("demo.db"),
                            "--login-year", "2026", "--login-month", "12"});
    EXPECT_EQ(
        run.out,
        "<reply docid=\"DEMO-PERSONS-1\" proc=\"ADD\"><result n=\"1\" key=\"梁诗雨\" code=\"0\" "
        "message=\"成功\"/><result n=\"2\" key=\"范志强\" code=\"0\" message=\"成功\"/><result "
        "n=\"3\" key=\"韦佳琪\" code=\"101\" message=\"是否扣税判断标志不合法！\"/></reply>\n")
        << run.err;
    auto c = std::make_unique<db::Connection>();
    c->Open("Provider=SQLite;Data Source=" + dir.File("demo.db"));
    db::Recordset rows;
    rows.Open(
        "select p.M2 || '/' || d.iYear || '/' || d.iMonth from WA_psn p join WA_GZData d on "
        "d.cPsn_Num = p.cPsn_Num where p.cPsn_Num = '0020'",
        *c);
    EXPECT_EQ(rows[0].Text(), "PF0000000020/2026/11");
}

TEST_F(Host, ServerAndPlatformRegisterOnTheirOwn) {
    auto registered = [&](const std::string& progId) {
        return Slurp(dir.File("registry")).find(progId + "\\CLSID=") != std::string::npos;
    };
    EXPECT_TRUE(registered("Wagelink.ISalaryItem"));
    EXPECT_TRUE(registered("QzLogin.Login")) << "register without a library registers both";
    const std::string server = std::string(WAGELINK_BINARY_DIR) + "/libwagelink.so";
    ASSERT_EQ(Wagelink({"unregister", server}).exit, 0);
    EXPECT_FALSE(registered("Wagelink.ISalaryItem"));
    EXPECT_TRUE(registered("QzLogin.Login")) << "unregistering the server removed the platform";
    EXPECT_TRUE(registered("Wagelink.XmlDocument"));
    ASSERT_EQ(Wagelink({"register", server}).exit, 0);
    EXPECT_EQ(Transact("Wagelink.ISalaryItem", "<r proc='ADD' docid='x'/>").out,
              "<reply docid=\"x\" proc=\"ADD\"/>\n");
    ASSERT_EQ(Wagelink({"unregister"}).exit, 0);
    EXPECT_FALSE(registered("QzLogin.Login"));
}

TEST_F(Host, NumericOptionsAreCheckedForRange) {
    for (const char* month : {"4294967307", "13", "0", "11x", ""}) {
        HostRun run = Transact("Wagelink.ISalaryPerson", "<r/>", {"--login-month", month});
        EXPECT_EQ(run.exit, 2) << month;
        EXPECT_NE(
            run.err.find("--login-month: Value " + std::string(month) + " not in range 1 to 12"),
            std::string::npos)
            << run.err;
    }
    EXPECT_EQ(Transact("Wagelink.ISalaryPerson", "<r/>", {"--login-year", "65536"}).exit, 2);
    EXPECT_EQ(Transact("Wagelink.ISalaryPerson", "<r proc='ADD'/>", {"--login-month", "12"}).exit,
              5)
        << "an ADD without a record";
}

TEST_F(Host, PagesAreWrittenToFiles) {
    HostRun run =
        Transact("Wagelink.ISalaryItem",
                 "<r roottag='salaryitem' proc='query' paginate='2' docid='P'><salaryitem>"
                 "<field name='cGZGradeNum' operation='=' value='002'/></salaryitem></r>",
                 {"--pages", "pages"});
    ASSERT_EQ(run.exit, 0) << run.err;
    for (const char* page : {"page-1-of-3.xml", "page-2-of-3.xml", "page-3-of-3.xml"})
        EXPECT_TRUE(std::filesystem::exists(dir.path() / "pages" / page)) << page;
    EXPECT_EQ(Slurp(dir.File("pages/page-3-of-3.xml")), run.out);
    EXPECT_NE(run.out.find("<personno>0019</personno>"), std::string::npos);
}

TEST_F(Host, RosterPagesAreWrittenToFiles) {
    HostRun run = Wagelink({"transact", "Wagelink.ISalaryPerson",
                            std::string(WAGELINK_SOURCE_DIR) + "/examples/query-salary-persons.xml",
                            "--connection", "Provider=SQLite;Data Source=" + dir.File("demo.db"),
                            "--pages", "roster"});
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<std::size_t> sizes;
    for (const char* page : {"page-1-of-3.xml", "page-2-of-3.xml", "page-3-of-3.xml"}) {
        std::string xml = Slurp(dir.File(std::string("roster/") + page));
        EXPECT_EQ(xml.rfind("<vkinterface roottag=\"salaryperson\" docid=\"DEMO-ROSTER-1\" "
                            "proc=\"QUERY\" paginate=\"2\">",
                            0),
                  0u)
            << page;
        std::size_t records = 0;
        for (std::size_t at = xml.find("<salaryperson>"); at != std::string::npos;
             at = xml.find("<salaryperson>", at + 1))
            ++records;
        sizes.push_back(records);
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{2, 2, 1}));
    EXPECT_EQ(Slurp(dir.File("roster/page-3-of-3.xml")), run.out);
    EXPECT_NE(run.out.find("<personno>0019</personno>"), std::string::npos);
}

TEST_F(Host, TheExampleKestExport) {
    HostRun run = Wagelink({"transact", "Wagelink.ISalaryItem",
                            std::string(WAGELINK_SOURCE_DIR) + "/examples/query-kest.xml",
                            "--connection", "Provider=SQLite;Data Source=" + dir.File("demo.db")});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_NE(run.out.find("<month>11</month><departmentname>人事科</departmentname>"
                           "<cpsnmobilephone>13800000003</cpsnmobilephone><entry name=\"基本工资\" "
                           "type=\"0\">4750</entry><entry name=\"奖金\" type=\"0\">900</entry>"
                           "</salaryitem>"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("<cpsnmobilephone>Null</cpsnmobilephone>"), std::string::npos);
}

// With --progress (or on a terminal) the host tells how far the import has come; records of the
// other class are pointed out.
TEST_F(Host, ImportWritesTheDatabase) {
    const std::string record =
        "<salaryitem><salarygradeno>002</salarygradeno><departmentno>0202</departmentno><year>2026"
        "</year><month>12</month><personno>0017</personno><personname>唐伟杰</personname>"
        "<persongradeno>临时工</persongradeno><entry name='计件工资' type='0'>2345.5</entry>"
        "</salaryitem>";
    HostRun run = Transact(
        "Wagelink.ISalaryItem",
        "<vkinterface roottag='salaryitem' docid='D' proc='ADD'>" + record + "</vkinterface>",
        {"--progress"});
    EXPECT_EQ(run.out,
              "<reply docid=\"D\" proc=\"ADD\"><result n=\"1\" key=\"唐伟杰\" code=\"0\" "
              "message=\"成功\"/></reply>\n");
    EXPECT_NE(run.err.find("records 1 of 1"), std::string::npos) << run.err;
    // An ADD that handled no record exits 5 and says what the root holds instead: no progress
    // where standard error is no terminal.
    const std::pair<std::string, std::string> kNoRecord[] = {
        {"<r proc='ADD'/>",
         "Wagelink.ISalaryItem takes <salaryitem> records, and the root <r> "
         "holds no element\n"},
        {"<r proc='ADD'><salaryItem/><salaryItem/><note/></r>",
         "Wagelink.ISalaryItem takes <salaryitem> records, and the root <r> holds 2 "
         "<salaryItem>, 1 <note>\n"},
    };
    for (const auto& [request, said] : kNoRecord) {
        HostRun none = Transact("Wagelink.ISalaryItem", request);
        EXPECT_EQ(none.exit, 5) << request;
        EXPECT_EQ(none.err, "wagelink: the ADD handled no record: " + said) << request;
    }
    HostRun other = Transact("Wagelink.ISalaryPerson", "<r proc='ADD'>" + record + "</r>");
    EXPECT_EQ(other.exit, 5);
    EXPECT_NE(other.err.find("the root <r> holds 1 <salaryitem>\nwagelink: Wagelink.ISalaryItem "
                             "takes the salaryitem records"),
              std::string::npos)
        << other.err;
    auto c = std::make_unique<db::Connection>();
    c->Open("Provider=SQLite;Data Source=" + dir.File("demo.db"));
    db::Recordset rows;
    rows.Open("select F_11 from WA_GZData where cPsn_Num = '0017' and iMonth = 12", *c);
    EXPECT_EQ(rows[0].Text(), "2345.5");
}

}  // namespace

namespace {

// --summary adds up: a 2,000-record import of which the last ten name persons the database does
// not know. --validate-only answers alike and leaves the file as it was.
TEST_F(Host, ValidateOnlyAndTheSummaryOfALargeImport) {
    std::string path = dir.File("large.db");
    sql::WriteLargeDemoDatabase(path, 1990, 1);
    {
        std::ofstream request(dir.File("large.xml"), std::ios::binary);
        request << sql::LargeDemoItemRequest(
            0, 2000, {{"应发合计", 0, [](int n) { return std::to_string(1000 + n); }}});
    }
    auto run = [&](std::vector<std::string> more) {
        std::vector<std::string> args = {"transact",
                                         "Wagelink.ISalaryItem",
                                         dir.File("large.xml"),
                                         "--connection",
                                         "Provider=SQLite;Data Source=" + path,
                                         "--summary"};
        args.insert(args.end(), more.begin(), more.end());
        return Wagelink(args);
    };
    const std::string before = Slurp(path);
    HostRun trial = run({"--validate-only"});
    EXPECT_EQ(trial.exit, 4) << "ten records rejected: " << trial.err;
    EXPECT_EQ(Slurp(path), before) << "the validate-only run wrote to the database";
    HostRun real = run({});
    EXPECT_EQ(real.exit, 4) << real.err;
    EXPECT_NE(Slurp(path), before);

    std::string firstTen = "first records not written (n key code message):\n";
    for (int n = 1991; n <= 2000; ++n)
        firstTen += "  " + std::to_string(n) + " " + sql::LargeDemoPersonName(n - 1) +
                    " 101 人员档案中没有此人员编号！\n";
    const std::string expected =
        "rejected: 10\nnot written: 0\nnot reached: 0\nbatch fault: 0\n" + firstTen +
        "most frequent messages:\n  1990 Qz.WA.EAI.00038, e.g. 成功\n  10 Qz.WA.EAI.00027, e.g. "
        "人员档案中没有此人员编号！\n";
    EXPECT_EQ(real.err, "records sent: 2000\nwritten: 1990\n" + expected);
    EXPECT_EQ(trial.err,
              "validate-only: what a real run would do; nothing was written\n"
              "records sent: 2000\nwould be written: 1990\n" +
                  expected);
    EXPECT_EQ(trial.out.rfind("<reply docid=\"LARGE\" proc=\"ADD\" mode=\"validate\">", 0), 0u)
        << trial.out.substr(0, 200);
    std::string unmarked = trial.out;
    unmarked.erase(unmarked.find(" mode=\"validate\""), 16);
    EXPECT_EQ(unmarked, real.out);
}

// A batch fault leaves records unanswered; they are counted, so that the outcomes still add up.
TEST_F(Host, TheSummaryCountsTheRecordsABatchFaultLeft) {
    auto c = std::make_unique<db::Connection>();
    c->Open("Provider=SQLite;Data Source=" + dir.File("demo.db"));
    c->Execute("insert into WA_GZtblset values ('002', 9, '奖金', 0)");  // the checks fault
    c.reset();
    std::string record =
        "<salaryitem><salarygradeno>001</salarygradeno><departmentno>0101</departmentno>"
        "<year>2026</year><month>11</month><personno>0001</personno><personname>林晓东"
        "</personname><persongradeno>管理人员</persongradeno><entry name='ITEM' type='0'>1"
        "</entry></salaryitem>";
    auto with = [&](const char* item) {
        std::string r = record;
        return r.replace(r.find("ITEM"), 4, item);
    };
    std::string request = "<vkinterface roottag='salaryitem' docid='F' proc='ADD'>" +
                          with("岗位工资") + with("奖金") + with("岗位工资") + "</vkinterface>";
    for (std::vector<std::string> mode :
         {std::vector<std::string>{"--summary"}, {"--summary", "--validate-only"}}) {
        HostRun run = Transact("Wagelink.ISalaryItem", request, mode);
        EXPECT_EQ(run.exit, 4) << "a batch fault";
        EXPECT_NE(run.err.find("written: 1\nrejected: 0\nnot written: 0\n"
                               "not reached: 2\nbatch fault: 1\n"),
                  std::string::npos)
            << run.err;
    }
    HostRun notXml = Transact("Wagelink.ISalaryItem", "<<<", {"--summary", "--validate-only"});
    EXPECT_EQ(notXml.exit, 3);
    EXPECT_NE(notXml.err.find("records sent: 0\n"), std::string::npos) << notXml.err;
    EXPECT_NE(notXml.err.find("request answered: 100 "), std::string::npos) << notXml.err;
    // A request the host cannot mark is not sent at all, rather than sent as a real import.
    HostRun unmarked = Transact("Wagelink.ISalaryItem",
                                "<" + std::string(300, 'a') + " proc='ADD'/>", {"--validate-only"});
    EXPECT_EQ(unmarked.exit, 1);
    EXPECT_NE(unmarked.err.find("--validate-only cannot mark the request"), std::string::npos)
        << unmarked.err;
}

}  // namespace

namespace {

// What a user and a script are told where the host used to say too little: a request in GBK
// without a declaration, a registry that holds nothing, and a summary of messages that name
// their records, counted by the message they were made from.
TEST_F(Host, WhatTheUserIsToldWhereThereIsAUsualFix) {
    const std::string gbk =
        "<r proc='ADD'><salaryperson><personname>\xC1\xD6\xCF\xFE</personname>"
        "</salaryperson></r>";
    HostRun notUtf8 = Transact("Wagelink.ISalaryPerson", gbk);
    EXPECT_EQ(notUtf8.exit, 1);
    EXPECT_NE(notUtf8.err.find("the request is not UTF-8 text: the byte 0xC1 at offset 40 begins "
                               "no UTF-8 character (the request declares no encoding)"),
              std::string::npos)
        << notUtf8.err;
    EXPECT_NE(notUtf8.err.find("hint: a request in another encoding names it in its XML "
                               "declaration, e.g. <?xml version=\"1.0\" encoding=\"GBK\"?>"),
              std::string::npos)
        << notUtf8.err;
    EXPECT_NE(Transact("Wagelink.ISalaryPerson", "<?xml version='1.0' encoding='GBK'?>" + gbk).exit,
              1)
        << "declared, the same bytes are read";

    EXPECT_EQ(Wagelink({"registrations"}).out.find("nothing is registered"), std::string::npos);
    testing_support::HostFolder emptied;
    ASSERT_EQ(emptied.Run({"unregister"}).exit, 0);
    EXPECT_EQ(emptied.Run({"registrations"}).out,
              "nothing is registered in " + emptied.File("registry") +
                  " (wagelink register; WAGELINK_REGISTRY names another file)\n");

    const std::string persons =
        Slurp(std::string(WAGELINK_SOURCE_DIR) + "/examples/add-salary-persons.xml");
    Transact("Wagelink.ISalaryPerson", persons);
    HostRun again = Transact("Wagelink.ISalaryPerson", persons, {"--summary"});
    EXPECT_NE(again.err.find("most frequent messages:\n  2 Qz.WA.EAI.00065, e.g. "
                             "人员编号[0020]已存在，不能重复导入！\n  1 Qz.WA.EAI.00060, e.g. "
                             "是否扣税判断标志不合法！\n"),
              std::string::npos)
        << again.err;
}

}  // namespace
