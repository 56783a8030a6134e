#include <gtest/gtest.h>

#include "support/person_import.h"

namespace {

using testing_support::ByCaption;
using testing_support::ByName;
using testing_support::Extra;
using testing_support::PersonRecord;

class PersonChecks : public testing_support::PersonImportTest {};

TEST_F(PersonChecks, EachCheckRejectsWithItsMessage) {
    EXPECT_EQ(Rejection({{"salarygradeno", "009"}, {"salarygradename", "正式人员"}}),
              "工资类别：[009]不存在！");
    EXPECT_EQ(Rejection({{"salarygradeno", ""}}), "工资类别编号和名称不能同时为空！");
    EXPECT_EQ(Rejection({{"salarygradeno", ""}, {"salarygradename", "无此类别"}}),
              "工资类别：[无此类别]不存在！");
    EXPECT_EQ(Rejection({{"departmentno", ""}}), "部门编号不能为空！");
    EXPECT_EQ(Rejection({{"departmentno", "0301"}}), "工资类别[001]中没有部门[0301]！");
    EXPECT_EQ(Rejection({{"salarygradeno", ""}, {"salarygradename", "临时人员"}}),
              "工资类别[002]中没有部门[0101]！")
        << "the number found by name is used by the later checks";
    EXPECT_EQ(Rejection({{"departmentno", "02"}}), "部门编码为[02]的部门为非末级部门！");
    EXPECT_EQ(Rejection({{"personname", ""}}), "人员姓名不能为空！");
    std::string twentyOne;
    for (int i = 0; i < 21; ++i) twentyOne += "薪";
    EXPECT_EQ(Rejection({{"personname", twentyOne}}), "人员姓名长度超长！");
    EXPECT_EQ(Rejection({{"personname", std::string(41, 'n')}}), "人员姓名长度超长！");
    for (const char* flag : {"2", "-1", "0.5", "1.5"}) {
        EXPECT_EQ(Rejection({{"isforeign", flag}}), "是否中方人员判断标志不合法！") << flag;
        EXPECT_EQ(Rejection({{"taxtoken", flag}}), "是否扣税判断标志不合法！") << flag;
    }
    EXPECT_EQ(Rejection({{"personno", ""}}), "人员编号不能为空！");
    EXPECT_EQ(Rejection({{"personname", "梁诗"}}), "人员档案中没有此编号和姓名的人员！")
        << "code and name must both match the person master";
    const std::string longCode(21, '7');
    EXPECT_EQ(Rejection({{"personno", longCode}}), "人员档案中没有此编号和姓名的人员！")
        << "the person master lookup comes before the length";
    // A code longer than the person master's column: SQLite stores it, a server refuses it.
    if (!demo.OnServer()) {
        demo.Exec("insert into pubperson values ('" + longCode + "', '梁诗雨', '101')");
        EXPECT_EQ(Rejection({{"personno", longCode}}), "人员编号长度超长！");
    }
    // A code of exactly the longest length passes the length check (and fails the next).
    const std::string longest(20, '7');
    demo.Exec("insert into pubperson values ('" + longest + "', '梁诗雨', '101')");
    demo.Exec(
        "insert into WA_psn (cGZGradeNum, cPsn_Num, cPsn_Name, cDept_num, iPsnGrd_id) "
        "values ('001', '" +
        longest + "', '梁诗雨', '0101', 1)");
    EXPECT_EQ(Rejection({{"personno", longest}}),
              "人员编号[" + longest + "]已存在，不能重复导入！");
    EXPECT_EQ(Rejection({{"personno", "0001"}, {"personname", "林晓东"}}),
              "人员编号[0001]已存在，不能重复导入！");
    EXPECT_EQ(Rejection({{"persongradeno", ""}}), "人员类别名称不能为空！");
    EXPECT_EQ(Rejection({{"persongradeno", "无此类别"}}), "人员类别设置不正确！");
}

TEST_F(PersonChecks, FlagsReadTheirLeadingNumber) {
    for (const char* flag : {"", "0", "1", "1.0", "1abc", " 1", "x2"}) {
        testing_support::DemoDb fresh;
        auto login = testing_support::NewLogin(fresh.ConnectionString(), "2026", 12);
        std::string reply = testing_support::Transact(
            server.get(),
            testing_support::AddRequest({PersonRecord({{"isforeign", flag}, {"taxtoken", flag}})},
                                        "salaryperson"),
            login.get());
        EXPECT_NE(reply.find("code=\"0\""), std::string::npos) << flag << ": " << reply;
    }
}

TEST_F(PersonChecks, ExtraFieldChecks) {
    std::vector<Extra> hundred(100, ByName("M3", "x"));
    std::vector<Extra> hundredAndOne(101, ByName("nothing known", "x"));
    EXPECT_EQ(Rejection({}, hundredAndOne), "人员附加信息个数不能超过100！")
        << "the count comes before any entry is examined";
    EXPECT_EQ(Rejection({{"persongradeno", ""}}, hundredAndOne), "人员类别名称不能为空！");
    EXPECT_EQ(Rejection({}, {ByCaption("无此附加信息", "x")}),
              "人员附加信息[无此附加信息]未设置！");
    EXPECT_EQ(Rejection({}, {ByName("M9", "x")}), "人员附加信息[M9]未设置！");
    EXPECT_EQ(Rejection({}, {{"", "", "x", false, false}}), "人员附加信息[]未设置！")
        << "neither name nor caption";
    EXPECT_EQ(Rejection({}, {ByName("M3", std::string(61, 'v'))}), "人员附加信息[M3]超长！");
    std::string sixtyOne;
    for (int i = 0; i < 61; ++i) sixtyOne += "银";
    EXPECT_EQ(Rejection({}, {ByCaption("开户银行", sixtyOne)}), "人员附加信息[M3]超长！")
        << "characters are counted, and a caption's message names its column";
    EXPECT_EQ(Rejection({}, {ByName("M1", "1"), ByName("M2", std::string(61, ' '))}),
              "人员附加信息[M2]超长！")
        << "spaces count before trimming";
    // The first character of a name is dropped whatever it is.
    EXPECT_EQ(Rejection({{"taxtoken", "2"}}, {ByName("X7", "x")}), "是否扣税判断标志不合法！");
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += "银";
    std::string before = demo.FileBytes();
    EXPECT_EQ(
        Import(PersonRecord({}, {ByName("M3", sixty), ByName("X1", "y")})),
        std::make_pair(std::string("100"), std::string("数据库操作错误：人员档案表中没有[X1]列")))
        << "X1 passes the checks (field 1 exists) and names no roster column";
    EXPECT_EQ(demo.FileBytes(), before);
    EXPECT_EQ(Import(PersonRecord({}, hundred)),
              std::make_pair(std::string("100"),
                             std::string("数据库操作错误：人员附加信息[M3]在一条记录中出现多次")))
        << "100 entries pass the count; one column set twice is refused";
}

TEST_F(PersonChecks, ANameWithoutAFieldNumberEndsTheBatch) {
    std::string before = demo.FileBytes();
    std::string reply = ImportReply({PersonRecord({{"personno", "0022"},
                                                   {"personname", "范志强"},
                                                   {"departmentno", "0201"},
                                                   {"persongradeno", "临时工"}}),
                                     PersonRecord({}, {ByName("Mx", "1")}), PersonRecord()});
    EXPECT_NE(reply.find("<result n=\"1\" key=\"范志强\" code=\"0\""), std::string::npos) << reply;
    EXPECT_NE(
        reply.find("<result n=\"2\" key=\"Item\" code=\"999\" message=\"The extra field name 'Mx' "
                   "does not end in a field number\"/></reply>"),
        std::string::npos)
        << reply;
}

// Each record fails two neighbouring checks; the earlier one is reported.
TEST_F(PersonChecks, TheEarlierOfTwoFailingChecksIsReported) {
    struct Case {
        std::map<std::string, std::string> changes;
        std::vector<Extra> extras;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{{"salarygradeno", "009"}, {"departmentno", ""}}, {}, "工资类别：[009]不存在！"},
        {{{"departmentno", "0301"}, {"personname", ""}}, {}, "工资类别[001]中没有部门[0301]！"},
        {{{"departmentno", "02"}, {"personname", ""}}, {}, "部门编码为[02]的部门为非末级部门！"},
        {{{"personname", ""}, {"isforeign", "2"}}, {}, "人员姓名不能为空！"},
        {{{"isforeign", "2"}, {"taxtoken", "2"}}, {}, "是否中方人员判断标志不合法！"},
        {{{"taxtoken", "2"}, {"personno", ""}}, {}, "是否扣税判断标志不合法！"},
        {{{"personno", ""}, {"persongradeno", ""}}, {}, "人员编号不能为空！"},
        {{{"personno", "0001"}, {"personname", "林晓东"}, {"persongradeno", ""}},
         {},
         "人员编号[0001]已存在，不能重复导入！"},
        {{{"persongradeno", ""}}, {ByName("M9", "x")}, "人员类别名称不能为空！"},
        {{}, {ByName("M9", "x"), ByName("M1", std::string(61, 'v'))}, "人员附加信息[M9]未设置！"},
        {{}, {ByName("M1", std::string(61, 'v')), ByName("M9", "x")}, "人员附加信息[M1]超长！"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rejection(c.changes, c.extras), c.message);
}

}  // namespace
