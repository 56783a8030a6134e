#include "com/bstr.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/fault.h"

namespace {

TEST(Bstr, ChineseTextAndSurrogatePairsRoundTrip) {
    const std::string text = "工资类别 A-1 😀 end";
    com::Bstr b(text);
    EXPECT_EQ(b.utf8(), text);
    // 😀 is one code point but two UTF-16 units, as a BSTR counts them.
    EXPECT_EQ(b.size(), base::Utf8ToUtf16(text).size());
    EXPECT_EQ(base::Utf8ToUtf16("😀"), std::u16string(u"\xD83D\xDE00"));
    EXPECT_EQ(base::Utf16ToUtf8(u"\xD83D\xDE00"), "😀");
}

// ASCII runs of every length next to characters of every width, so that runs begin and end at
// every place in the eight characters converted at once; checked against a conversion of one
// code point at a time.
TEST(Bstr, RunsOfAsciiBetweenWideCharactersConvertAsSingleCharactersDo) {
    const std::vector<std::pair<std::string, std::u16string>> wide = {
        {"\xC3\xA9", u"\u00E9"},
        {"\xE5\xB7\xA5", u"\u5DE5"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"}};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string utf8;
        std::u16string utf16;
        for (int piece = 0; piece < 6; ++piece) {
            const int run = static_cast<int>(random() % 20);
            for (int k = 0; k < run; ++k) {
                const char c = static_cast<char>('a' + (k + piece) % 26);
                utf8 += c;
                utf16 += static_cast<char16_t>(c);
            }
            if (random() % 4 == 0) continue;
            const auto& [bytes, units] = wide[random() % wide.size()];
            utf8 += bytes;
            utf16 += units;
        }
        ASSERT_EQ(base::Utf8ToUtf16(utf8), utf16) << utf8;
        ASSERT_EQ(base::Utf16ToUtf8(utf16), utf8);
        ASSERT_EQ(base::Utf16Length(utf8), utf16.size()) << utf8;
    }
}

TEST(Bstr, EmbeddedNulIsPartOfTheText) {
    std::u16string withNul(u"a\0b", 3);
    com::Bstr b(withNul);
    EXPECT_EQ(b.size(), 3u);
    EXPECT_EQ(b.view(), withNul);
    EXPECT_EQ(b.utf8(), std::string("a\0b", 3));
    com::Bstr copy(b);
    EXPECT_EQ(copy.view(), withNul);
    EXPECT_NE(copy.get(), b.get());
}

TEST(Bstr, MalformedTextIsAFaultNotACrash) {
    for (std::u16string bad :
         {std::u16string(u"\xD800"), std::u16string(u"a\xDC00"), std::u16string(u"\xD800x")}) {
        try {
            base::Utf16ToUtf8(bad);
            FAIL() << "an unpaired surrogate was accepted";
        } catch (const base::Fault& f) {
            EXPECT_EQ(f.number(), base::kTypeMismatch);
        }
    }
    for (std::string bad : {"\xC3", "\xE5\xB7", "\xFF", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_THROW(base::Utf8ToUtf16(bad), base::Fault) << "accepted bytes " << bad.size();
}

TEST(Bstr, NullIsTheEmptyText) {
    EXPECT_EQ(com::SysStringLen(nullptr), 0u);
    EXPECT_EQ(com::BstrToUtf8(nullptr), "");
    com::SysFreeString(nullptr);
    com::Bstr empty("");
    EXPECT_NE(empty.get(), nullptr);
    EXPECT_EQ(empty.size(), 0u);
}

}  // namespace
