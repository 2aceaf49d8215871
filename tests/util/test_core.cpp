#include "util/cp1252.h"
#include "util/date.h"
#include "util/numround.h"

#include <gtest/gtest.h>

using namespace velt;

TEST(Round, HalvesAwayFromZeroOnTheDecimalValue)
{
    struct Case { double in; int dec; double out; };
    const Case cases[] = {
        {1.005, 2, 1.01}, {2.675, 2, 2.68}, {8.991, 2, 8.99}, {-1.005, 2, -1.01},
        {0.5, 0, 1.0},    {-0.5, 0, -1.0},  {2.5, 0, 3.0},    {1.45, 1, 1.5},
        {1234.5, 0, 1235}, {0.125, 2, 0.13}, {99.995, 2, 100.0}, {0.0049, 2, 0.0},
        {10.0 * 1.15, 1, 11.5}, {0.1 + 0.2, 1, 0.3}, {1e15 + 0.5, 0, 1e15 + 0.5},
    };
    for (const auto& c : cases) EXPECT_EQ(ROUND(c.in, c.dec), c.out) << c.in << " @" << c.dec;
}

TEST(Round, DivisionByZeroYieldsZero)
{
    EXPECT_EQ(DIV(5, 0), 0.0);
    EXPECT_EQ(DIV(6, 3), 2.0);
}

TEST(Date, JulianDaysAndWeekday)
{
    EXPECT_EQ(Date::fromYMD(2000, 1, 1).julian(), 2451545);
    Date d = Date::fromYMD(2024, 1, 1);
    EXPECT_EQ(d.dow(), 2); // Monday
    int y, m, dd;
    d.addDays(59).ymd(y, m, dd);
    EXPECT_EQ(y * 10000 + m * 100 + dd, 20240229);
    EXPECT_TRUE(Date::fromYMD(2023, 2, 29).isEmpty());
    EXPECT_TRUE(Date().isEmpty());
    EXPECT_LT(Date(), Date::fromYMD(1900, 1, 1));
}

TEST(Date, TextWithTheCenturyWindow)
{
    struct Case { const char* text; int ymd; bool ok; };
    const Case cases[] = {
        {"01/01/80", 19800101, true}, {"31/12/79", 20791231, true}, {"29/02/24", 20240229, true},
        {"31/02/24", 0, false},       {"  /  /  ", 0, true},        {"", 0, true},
        {"15/06/2031", 20310615, true}, {"1a/01/24", 0, false},     {"12/13/24", 0, false},
    };
    for (const auto& c : cases) {
        bool ok = !c.ok;
        Date d = Date::fromText(c.text, &ok);
        int y, m, dd;
        d.ymd(y, m, dd);
        EXPECT_EQ(y * 10000 + m * 100 + dd, c.ymd) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    EXPECT_EQ(Date::fromYMD(2024, 3, 5).toText(), "05/03/24");
    EXPECT_EQ(Date().toText(), "  /  /  ");
    EXPECT_EQ(Date::fromYMD(2024, 3, 5).toDtos(), "20240305");
    EXPECT_EQ(Date::fromDtos("20240305"), Date::fromYMD(2024, 3, 5));
    EXPECT_TRUE(Date::fromDtos("        ").isEmpty());
}

TEST(Cp1252, RoundTripsEveryMappedByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b < 0x80 || b >= 0xA0 || (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D)) all += char(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\xE8\x80"), "è€");
    EXPECT_EQ(utf8ToCp1252("Lunedì €"), "Luned\xEC \x80");
    EXPECT_EQ(utf8ToCp1252("日"), "?");
    EXPECT_EQ(utf8Length("Lunedì"), 6u);
}
