#include "messages/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/fault.h"

namespace {

TEST(GenLen, CountsDoubleByteCharactersTwice) {
    EXPECT_EQ(messages::GenLen(""), 0);
    EXPECT_EQ(messages::GenLen("abc"), 3);
    EXPECT_EQ(messages::GenLen("代扣税"), 6);
    EXPECT_EQ(messages::GenLen("A代B扣"), 6);
    EXPECT_EQ(messages::GenLen("é"), 2) << "code page 936 writes é with two bytes";
    EXPECT_EQ(messages::GenLen("\u0E01"), 1) << "a character 936 cannot write counts 1";
    EXPECT_EQ(messages::GenLen("😀"), 2) << "two UTF-16 units";
    EXPECT_EQ(messages::GenLen(std::string(32767, 'a')), 32767);
    EXPECT_THROW(messages::GenLen(std::string(32768, 'a')), base::Fault);
    std::string wide;
    for (int i = 0; i < 16384; ++i) wide += "税";
    try {
        messages::GenLen(wide);
        FAIL() << "32768 bytes fitted into 16 bits";
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), base::kOverflow);
    }
}

TEST(Messages, ArgumentArrayKeepsPositionsOfMissingArguments) {
    using A = messages::MessageArgument;
    EXPECT_TRUE(messages::ArgumentArray(std::nullopt, std::nullopt, std::nullopt).empty());
    auto onlySecond = messages::ArgumentArray(std::nullopt, A("x"), std::nullopt);
    ASSERT_EQ(onlySecond.size(), 2u);
    EXPECT_FALSE(onlySecond[0]) << "the first element is the missing marker";
    EXPECT_EQ(onlySecond[1], "x");
    EXPECT_EQ(messages::ArgumentArray(A("a"), std::nullopt, std::nullopt).size(), 1u);
    EXPECT_EQ(messages::ArgumentArray(std::nullopt, std::nullopt, A("c")).size(), 3u);

    messages::Messages m(messages::SalaryItemNames());
    EXPECT_EQ(m.GetResStringArg("Qz.WA.EAI.00015"), "Qz.WA.EAI.00015");
    EXPECT_EQ(m.GetResStringArg("Qz.WA.EAI.00015", std::nullopt, "0101"),
              "工资类别[]中没有部门[0101]！");
    EXPECT_EQ(m.Plain("Qz.WA.EAI.00014"), "部门编号不能为空！");
}

TEST(Messages, ItemNamesTranslateBothWaysPerClass) {
    messages::Messages item(messages::SalaryItemNames());
    messages::Messages person(messages::SalaryPersonNames());
    setenv("WAGELINK_LANG", "en-US", 1);
    EXPECT_EQ(item.Lang("年终奖"), "Year-end bonus");
    EXPECT_EQ(person.Lang("年终奖"), "年终奖") << "row 8 is not in the person table";
    EXPECT_EQ(item.Lang("代扣税 "), "代扣税 ") << "a trailing blank is another name";
    EXPECT_EQ(item.unLang("YEAR-END BONUS"), "年终奖");
    EXPECT_EQ(person.unLang("year-end bonus"), "year-end bonus");
    EXPECT_EQ(person.unLang("tax WITHHELD"), "代扣税");
    EXPECT_EQ(person.Lang("计件工资"), "Piece-rate wage") << "row 7, the person table's last";
    EXPECT_EQ(person.unLang("PIECE-RATE wage"), "计件工资");
    EXPECT_EQ(item.unLang("基本工资"), "基本工资");
    setenv("WAGELINK_LANG", "zh-CN", 1);
    messages::Messages chinese(messages::SalaryItemNames());
    EXPECT_EQ(chinese.Lang("年终奖"), "年终奖");
    EXPECT_EQ(chinese.unLang("应发合计"), "应发合计");
}

}  // namespace
