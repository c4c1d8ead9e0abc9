#include "config/IntParse.h"

#include <gtest/gtest.h>

using vorlund::parseInt32;
using vorlund::readIntOrDefault;

TEST(IntParse, DecimalWithinTheSigned32BitRange) {
    EXPECT_EQ(readIntOrDefault("12", 0), 12);
    EXPECT_EQ(readIntOrDefault("-5", 0), -5);
    EXPECT_EQ(readIntOrDefault("+7", 0), 7);
    EXPECT_EQ(readIntOrDefault("2147483647", 0), 2147483647);
    EXPECT_EQ(readIntOrDefault("-2147483648", 0), INT32_MIN);
    EXPECT_EQ(readIntOrDefault("0007", 0), 7);
    EXPECT_EQ(readIntOrDefault("2147483648", 0), 0);
    EXPECT_EQ(readIntOrDefault("-2147483649", 0), 0);
    EXPECT_EQ(readIntOrDefault("99999999999999999999", 0), 0);
}

TEST(IntParse, HexadecimalPrefixesGiveTwosComplement) {
    EXPECT_EQ(readIntOrDefault("0x1F", 0), 31);
    EXPECT_EQ(readIntOrDefault("0X1f", 0), 31);
    EXPECT_EQ(readIntOrDefault("$1F", 0), 31);
    EXPECT_EQ(readIntOrDefault("x1F", 0), 31);
    EXPECT_EQ(readIntOrDefault("X1f", 0), 31);
    EXPECT_EQ(readIntOrDefault("$FFFFFFFF", 0), -1);
    EXPECT_EQ(readIntOrDefault("$80000000", 0), INT32_MIN);
    EXPECT_EQ(readIntOrDefault("$000000001F", 0), 31); // leading zeros are not significant
    EXPECT_EQ(readIntOrDefault("$100000000", 0), 0);   // nine significant digits
    EXPECT_EQ(readIntOrDefault("0x1", 0), 1);
}

TEST(IntParse, LeadingBlanksAreSkippedButNothingElseIsForgiven) {
    EXPECT_EQ(readIntOrDefault("   42", 0), 42);
    EXPECT_EQ(readIntOrDefault("  $10", 0), 16);
    EXPECT_EQ(readIntOrDefault("42 ", 0), 0);
    EXPECT_EQ(readIntOrDefault("\t42", 0), 0);
    EXPECT_EQ(readIntOrDefault(" 0x1F", 0), 0); // "0x" only counts at the very start
}

TEST(IntParse, EverythingElseGivesTheDefault) {
    for (const char* text : {"", "12abc", "1.5", "abc", "-", "+", "$", "x", "0x", "-$1F", "+x1",
                             "$G", "1e3", "- 5", "$-1"}) {
        EXPECT_EQ(readIntOrDefault(text, 77), 77) << '"' << text << '"';
    }
    EXPECT_FALSE(parseInt32("").has_value());
    EXPECT_EQ(parseInt32("  -0").value(), 0);
}
