#include "platform/Numbers.h"
#include <gtest/gtest.h>
#include <string>

TEST(ParseInteger, PlainDecimalsWithinTheirRangeAndNothingElse) {
    const struct {
        const char* text;
        int64_t value;
    } good[] = {{"0", 0},
                {"-0", 0},
                {"42", 42},
                {"007", 7},
                {"-17", -17},
                {"9223372036854775807", INT64_MAX},
                {"-9223372036854775808", INT64_MIN}};
    for (const auto& g : good) {
        int64_t v = 99;
        EXPECT_TRUE(ParseInteger(g.text, INT64_MIN, INT64_MAX, &v)) << g.text;
        EXPECT_EQ(v, g.value) << g.text;
    }

    // Signs, blanks, other bases and notations, and numbers past 64 bits.
    const char* bad[] = {"",
                         "-",
                         "+3",
                         "+0",
                         " 3",
                         "3 ",
                         "\t3",
                         "3\n",
                         "3x",
                         "x3",
                         "0x10",
                         "1.5",
                         "1e3",
                         "1,000",
                         "--3",
                         "-+3",
                         "3-",
                         "- 3",
                         "9223372036854775808",
                         "-9223372036854775809",
                         "18446744073709551616",
                         "99999999999999999999999"};
    for (const char* text : bad) {
        int64_t v = 99;
        EXPECT_FALSE(ParseInteger(text, INT64_MIN, INT64_MAX, &v)) << '"' << text << '"';
        EXPECT_EQ(v, 99) << "a refused number leaves the value alone: " << text;
    }
    int64_t v = 99;
    EXPECT_FALSE(ParseInteger(std::string_view("5\0", 2), 0, 9, &v)) << "a NUL is not a digit";

    // The range is inclusive at both ends.
    EXPECT_TRUE(ParseInteger("255", 0, 255, &v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(ParseInteger("-10", -10, 10, &v));
    EXPECT_EQ(v, -10);
    EXPECT_FALSE(ParseInteger("256", 0, 255, &v));
    EXPECT_FALSE(ParseInteger("-1", 0, 255, &v));
    EXPECT_FALSE(ParseInteger("-11", -10, 10, &v));
    EXPECT_EQ(v, -10);
}
