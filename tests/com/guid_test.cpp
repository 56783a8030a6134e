#include "com/guid.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "base/fault.h"
#include "base/number.h"

namespace {

TEST(Guid, ParsesAndFormatsTheBracedForm) {
    auto g = com::ParseGuid("{afc2c0de-b3e9-4985-bb0f-f9171bdb0d84}");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Data1, 0xAFC2C0DEu);
    EXPECT_EQ(g->Data4[7], 0x84);
    EXPECT_EQ(com::FormatGuid(*g), "{AFC2C0DE-B3E9-4985-BB0F-F9171BDB0D84}");
    for (const char* bad :
         {"", "AFC2C0DE-B3E9-4985-BB0F-F9171BDB0D84", "{AFC2C0DE-B3E9-4985-BB0F-F9171BDB0D8G}",
          "{AFC2C0DE+B3E9-4985-BB0F-F9171BDB0D84}"})
        EXPECT_FALSE(com::ParseGuid(bad)) << bad;
}

TEST(Number, LeadingNumbersAndShortestText) {
    EXPECT_EQ(base::LeadingNumber("2007abc"), 2007);
    EXPECT_EQ(base::LeadingNumber("  12.5x"), 12.5);
    EXPECT_EQ(base::LeadingNumber("abc"), 0);
    EXPECT_EQ(base::LeadingNumber("-3e2z"), -300);
    EXPECT_EQ(base::LeadingNumber("."), 0);
    EXPECT_EQ(base::FormatNumber(1500.0), "1500");
    EXPECT_EQ(base::FormatNumber(1.5), "1.5");
    EXPECT_EQ(base::FormatNumber(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(base::ToInt16(0.5), 0);
    EXPECT_EQ(base::ToInt16(1.5), 2);
    EXPECT_EQ(base::ToInt16(-2.5), -2);
    EXPECT_THROW(base::ToInt16(32767.5), base::Fault);
    EXPECT_THROW(base::LeadingNumber("1e999"), base::Fault);
}

// Short numbers take a quicker path than long ones; both must read every text as the same double.
TEST(Number, ShortAndLongNumbersReadAlike) {
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 200000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        int whole = static_cast<int>(random() % 16), fraction = static_cast<int>(random() % 16);
        for (int d = 0; d < whole; ++d) text += static_cast<char>('0' + random() % 10);
        if (fraction > 0 || random() % 2) text += '.';
        for (int d = 0; d < fraction; ++d) text += static_cast<char>('0' + random() % 10);
        double expected = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), expected).ec != std::errc())
            expected = 0;  // no digits at all: the number reads as zero
        double read = base::LeadingNumber(text);
        EXPECT_EQ(std::signbit(read), std::signbit(expected)) << text;
        EXPECT_EQ(read, expected) << text;
    }
    EXPECT_EQ(base::LeadingNumber("0.1"), 0.1);
    EXPECT_EQ(base::LeadingNumber("123456789012345.6"), 123456789012345.6) << "16 digits";
    EXPECT_EQ(base::LeadingNumber("-.5"), -0.5);
}

}  // namespace
