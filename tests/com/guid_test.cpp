#include "com/guid.h"

#include <gtest/gtest.h>

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

}  // namespace
