// Chinese names of every kind travel unchanged through every database and driver: written by
// bound parameters, read back, found by the record checks' bound comparisons and by the literals
// of an export's conditions, with the same replies on SQLite and on the server.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/utf.h"
#include "db/recordset.h"
#include "demo_database.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/requests.h"
#include "support/server_db.h"
#include "xml/document.h"

namespace {

using testing_support::Entry;
using testing_support::XmlEscape;

// The hundred most common surnames, a hundred common given-name characters; names of one to four
// characters from them, and names that are hard in other ways.
std::vector<std::string> Corpus() {
    const std::u16string surnames =
        u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶"
        u"程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺"
        u"顾毛郝龚邵万钱严覃武戴莫孔向汤";
    const std::u16string given =
        u"伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红鹏飞建国文辉力春梅琳雪云燕晶"
        u"亮宇浩凯鑫婷欣怡佳慧思雨晓东海波峰帆琪瑶颖志新宏彬斌俊轩梓涵子豪博然诗晨阳光荣嘉瑞天"
        u"佑泽宁安德秋月冬松柏竹菊莉蓉婉珍";
    std::vector<std::string> names;
    for (std::size_t i = 0; i < surnames.size(); ++i) {
        std::u16string name(1, surnames[i]);
        for (std::size_t k = 0; k < i % 4; ++k) name += given[(i * 7 + k * 31) % given.size()];
        names.push_back(base::Utf16ToUtf8(name));
    }
    for (std::size_t i = 0; i < given.size(); i += 10)
        names.push_back(base::Utf16ToUtf8(given.substr(i, 2)));
    for (const char* name :
         {"𠀀", "𪚥", "李𠀀", "王𪚥明", "１２３", "张（三）", "王·五", "赵，六", "Ａｂｃ",
          "Zhang三", "李四", "高明晶", "姚军", "付萍娟", "欧阳娜娜",
          "王伟王伟王伟王伟王伟王伟王伟王伟王伟王伟", "abcdefghijklmnopqrstuvwxyzabcdefghijklmn"})
        names.push_back(name);  // the last two at the check's limit of 40 bytes
    return names;
}

std::string Code(std::size_t i) {
    return "C" + std::to_string(1000 + i);
}

// Enrols every name of the corpus in payroll 001 with its payroll row of 2026-11.
void WriteCorpus(db::Connection& connection, const std::vector<std::string>& names) {
    db::Transaction transaction(connection);
    for (std::size_t i = 0; i < names.size(); ++i)
        testing_support::WritePayrollPerson(connection, Code(i), names[i]);
    transaction.Commit();
}

struct Outcome {
    std::string importReply;
    std::vector<std::string> readBack;
    std::multiset<std::string> exported;
};

Outcome RunCorpus(const std::string& connectionString, const std::vector<std::string>& names) {
    auto connection = testing_support::ConnectTo(connectionString);
    WriteCorpus(*connection, names);
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(connectionString);
    std::vector<std::string> records;
    std::string conditions;
    for (std::size_t i = 0; i < names.size(); ++i) {
        records.push_back(
            testing_support::ItemRecord({{"personno", Code(i)}, {"personname", names[i]}},
                                        {Entry{"奖金", "0", std::to_string(i)}}));
        conditions += "<field name='cPsn_Name' operation='=' value='" + XmlEscape(names[i]) +
                      "' logic='or'/>";
    }
    Outcome out;
    out.importReply =
        testing_support::Transact(server.get(), testing_support::AddRequest(records), login.get());
    for (std::size_t i = 0; i < names.size(); ++i) {
        db::Recordset row;
        row.Open("select cPsn_Name, F_9 from WA_GZData where cPsn_Num = ?", *connection,
                 db::adOpenUnspecified, db::adLockUnspecified, {db::Value(Code(i))});
        out.readBack.push_back(row.IsEOF() ? "<none>" : row[0].Text() + "/" + row[1].Text());
    }
    const std::string query =
        "<vkinterface roottag='salaryitem' proc='QUERY' docid='Q' "
        "paginate='0'><salaryitem>" +
        conditions + "</salaryitem></vkinterface>";
    xml::Document exported;
    EXPECT_TRUE(exported.Load(testing_support::Transact(server.get(), query, login.get())));
    for (xml::Element record : exported.Root().Children("salaryitem"))
        out.exported.insert(record.FirstChild("personname").Text());
    return out;
}

TEST(NameCorpus, EveryNameIsWrittenReadAndFoundAlikeOnEveryDatabase) {
    REQUIRE_TEST_SERVER();
    const std::vector<std::string> names = Corpus();
    testing_support::TempDir dir;
    sql::WriteDemoDatabase(dir.File("demo.db"));
    const Outcome onSqlite = RunCorpus("Provider=SQLite;Data Source=" + dir.File("demo.db"), names);
    testing_support::ServerDb server;
    const Outcome onServer = RunCorpus(server.ConnectionString(), names);

    xml::Document reply;
    ASSERT_TRUE(reply.Load(onSqlite.importReply)) << onSqlite.importReply;
    std::size_t written = 0;
    for (xml::Element result : reply.Root().Children("result"))
        written += result.GetAttribute("code") == "0";
    EXPECT_EQ(written, names.size()) << onSqlite.importReply;
    EXPECT_EQ(onServer.importReply, onSqlite.importReply);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string expected = names[i] + "/" + std::to_string(i);
        EXPECT_EQ(onSqlite.readBack[i], expected);
        EXPECT_EQ(onServer.readBack[i], expected);
    }
    const std::multiset<std::string> all(names.begin(), names.end());
    EXPECT_EQ(onSqlite.exported, all);
    EXPECT_EQ(onServer.exported, all);
}

}  // namespace
