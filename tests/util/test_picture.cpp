// Picture masks: parsing, the editor's queries, TRANSFORM of every kind of
// value and the edit field's reading of numbers.
#include "util/picture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velt;

TEST(Picture, SplitsFunctionPartAndMask)
{
    Picture p("@ZE 99,999.99");
    EXPECT_EQ(p.functions(), "ZE");
    EXPECT_EQ(p.maskText(), "99,999.99");
    EXPECT_TRUE(p.blankWhenZero());
    EXPECT_TRUE(p.european());
    EXPECT_FALSE(p.upper());
    EXPECT_EQ(p.width(), 9);
    EXPECT_EQ(p.integerDigits(), 5);
    EXPECT_EQ(p.decimals(), 2);
    EXPECT_TRUE(p.isNumberMask());

    Picture upper("@!");
    EXPECT_TRUE(upper.upper());
    EXPECT_EQ(upper.width(), 0);
    EXPECT_FALSE(upper.hasLiterals());

    Picture digits("@9");
    EXPECT_TRUE(digits.digitsOnly());
    EXPECT_FALSE(digits.isNumberMask());

    EXPECT_EQ(Picture("   999").maskText(), "999");
    EXPECT_EQ(Picture("@E   999.99").maskText(), "999.99");
    EXPECT_TRUE(Picture("").empty());
}

TEST(Picture, LiteralsDecideOverwriteMode)
{
    Picture date("99/99/9999");
    EXPECT_TRUE(date.hasLiterals());
    EXPECT_TRUE(date.overwriteMode());
    EXPECT_FALSE(date.isLiteralAt(1));
    EXPECT_TRUE(date.isLiteralAt(2));
    EXPECT_FALSE(date.isLiteralAt(10)); // past the mask
    EXPECT_EQ(date.maskAt(5), U'/');
    EXPECT_EQ(date.maskAt(10), 0u);

    EXPECT_FALSE(Picture("9999999999999").hasLiterals());
    EXPECT_FALSE(Picture("XXAA99").hasLiterals());
}

TEST(Picture, EditingVariants)
{
    Picture p("@ZE 99,999.99");
    EXPECT_EQ(p.withoutCommas().text(), "@ZE 99999.99");
    EXPECT_EQ(p.withoutFunction('Z').text(), "@E 99,999.99");
    EXPECT_EQ(Picture("@Z 999").withoutFunction('Z').text(), "999");
    EXPECT_EQ(Picture("@Z").withoutFunction('Z').text(), "");
}

TEST(Transform, NumbersWithMasks)
{
    struct Case { double v; const char* pic; const char* out; };
    const Case cases[] = {
        // the forms' pictures
        {5, "99", " 5"},                 {12, "99", "12"},
        {1.5, "99", " 2"},               {100, "99", "**"},
        {0, "999", "  0"},               {999.5, "999", "***"},
        {12.5, "@E 999.99", " 12,50"},   {0, "@E 999.99", "  0,00"},
        {0.5, "@E 999.99", "  0,50"},    {-1.5, "@E 999.99", " -1,50"},
        {1234, "@E 9,999", "1.234"},     {5, "@E 9,999", "    5"},
        {12345, "@E 9,999", "*****"},
        {1234.5, "@E 99,999.99", " 1.234,50"},
        {12.5, "@E 99,999.99", "    12,50"},
        {1234.5, "@E 999,999.99", "  1.234,50"},
        {123456.78, "@E 999,999.99", "123.456,78"},
        {1234.5, "99,999.99", " 1,234.50"},
        // rounding of x.xx5 through ROUND (halves away from zero)
        {1.005, "@E 999.99", "  1,01"},  {2.675, "@E 999.99", "  2,68"},
        {-1.005, "@E 999.99", " -1,01"}, {999.995, "@E 999.99", "******"},
        // negatives: the sign takes the blank just left of the first digit
        {-5, "@E 9,999", "   -5"},       {-123, "@E 9,999", " -123"},
        {-1234, "@E 9,999", "*****"},    {-12, "99", "**"},
        {-999.99, "@E 999.99", "******"},
        {-0.001, "999.99", "  0.00"},    // no "-0.00"
        // blank when zero, judged on the rounded value
        {0, "@Z 999", "   "},            {5, "@Z 999", "  5"},
        {0.4, "@Z 999", "   "},          {0, "@ZE 999.99", "      "},
        {0.004, "@ZE 999.99", "      "}, {0.005, "@ZE 999.99", "  0,01"},
        // only decimals
        {0.5, ".99", ".50"},             {-0.5, ".99", "***"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TRANSFORM(c.v, c.pic), c.out) << c.v << " with \"" << c.pic << "\"";
}

TEST(Transform, DefaultNumberFormat)
{
    struct Case { double v; const char* pic; const char* out; };
    const Case cases[] = {
        {1, "@9", "         1"},           {1234, "", "      1234"},
        {12.5, "@9", "        12.5"},      {-3, "", "        -3"},
        {12345678901.0, "@9", "**********"}, {0, "@Z", "          "},
        {1234.25, "@E", "      1234,25"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TRANSFORM(c.v, c.pic), c.out) << c.v << " with \"" << c.pic << "\"";
}

TEST(Transform, TextDateAndLogical)
{
    EXPECT_EQ(TRANSFORM("abc  ", ""), "abc  ");
    EXPECT_EQ(TRANSFORM("abc", "@!"), "ABC");
    EXPECT_EQ(TRANSFORM("perché ù", "@!"), "PERCHÉ Ù");
    EXPECT_EQ(TRANSFORM("123", "9999999999999"), "123          ");
    EXPECT_EQ(TRANSFORM("12345678901234", "9999999999999"), "1234567890123");
    // literals stand in their positions (the edit field stores them too)
    EXPECT_EQ(TRANSFORM("12/34", "99-99"), "12-34");
    EXPECT_EQ(TRANSFORM("città", "@! XXXXXX"), "CITTÀ ");

    EXPECT_EQ(TRANSFORM(Date::fromYMD(2024, 1, 1), "99/99/9999"), "01/01/24");
    EXPECT_EQ(TRANSFORM(Date(), "99/99/9999"), "  /  /  ");
    EXPECT_EQ(TRANSFORM(true, ""), "T");
    EXPECT_EQ(TRANSFORM(false, ""), "F");
    EXPECT_EQ(TRANSFORM(Value(), "999"), "");
}

TEST(Transform, OverflowIsRecognisable)
{
    EXPECT_TRUE(isOverflowText(TRANSFORM(1000, "999")));
    EXPECT_FALSE(isOverflowText(TRANSFORM(999, "999")));
    EXPECT_FALSE(isOverflowText(""));
}

TEST(ReadNumber, EditFieldText)
{
    struct Case { const char* text; double v; };
    const Case cases[] = {
        {"", 0},          {"   ", 0},     {"12,5", 12.5},   {"  12.5", 12.5},
        {"1234,50", 1234.5}, {"12a", 12}, {"1,2,3", 1.2},   {"-3", -3},
        {"-", 0},         {"abc", 0},     {",5", 0.5},      {"1 2", 1},
        {"-0", 0},        {"007", 7},
    };
    for (const auto& c : cases) EXPECT_EQ(readNumber(c.text), c.v) << '"' << c.text << '"';
    EXPECT_FALSE(std::signbit(readNumber("-0")));
}

TEST(TextLimit, FollowsTheKindOfValue)
{
    EXPECT_EQ(textLimit(5.0, "999"), 3);
    EXPECT_EQ(textLimit(0.0, "@E 99,999.99"), 9);
    EXPECT_EQ(textLimit(0.0, "@ZE 999.99"), 6);
    EXPECT_EQ(textLimit(1.0, "@9"), 10);
    EXPECT_EQ(textLimit(Date(), "99/99/9999"), 8);
    EXPECT_EQ(textLimit("perché    ", "@!"), 10);
    EXPECT_EQ(textLimit(true, ""), 1);
}
