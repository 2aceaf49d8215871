// Number texts (NSTR family), values as text, filter literals, weekday names,
// digit checks, file-name parts and the small text helpers.
#include "util/cp1252.h"
#include "util/numfmt.h"
#include "util/strfmt.h"

#include <gtest/gtest.h>

using namespace velt;

TEST(NumberTexts, DefaultWidthsOfComputedValues)
{
    EXPECT_EQ(groupedNines(3), "999");
    EXPECT_EQ(groupedNines(6), "999,999");
    EXPECT_EQ(groupedNines(8), "99,999,999");
    EXPECT_EQ(groupedNines(10), "9,999,999,999");

    EXPECT_EQ(NSTR(1234), "        1.234"); // 13 wide: @E 9,999,999,999
    EXPECT_EQ(NSTR(0), "            0");
    EXPECT_EQ(ZSTR(0), std::string(13, ' '));
    EXPECT_EQ(ZSTR(7), "            7");
    EXPECT_EQ(ENSTR(1234.5), "     1.234,50"); // 13 wide: @E 99,999,999.99
    EXPECT_EQ(ENSTR(-1234.5), "    -1.234,50");
    EXPECT_EQ(ENSTR(2.675), "         2,68");
    EXPECT_EQ(ENSTR(1.234), "         1,23");
    EXPECT_EQ(EZSTR(0), std::string(13, ' '));
    EXPECT_EQ(EZSTR(0.5), "         0,50");
    EXPECT_EQ(NSTR(12345678901.0), std::string(13, '*'));
}

TEST(NumberTexts, FieldWidths)
{
    struct Case { int w, d, integer; };
    const Case cases[] = {{9, 2, 6}, {3, 0, 3}, {10, 0, 10}, {20, 0, 10}, {12, 3, 8}};
    for (const auto& c : cases) EXPECT_EQ(integerWidth(c.w, c.d), c.integer) << c.w << "," << c.d;
    EXPECT_EQ(enstrWidth(10), 10);
    EXPECT_EQ(enstrWidth(6), 8);

    // a field N(3,0): @E 999; a field N(9,2): @E 999,999.99
    EXPECT_EQ(NSTR(12, integerWidth(3, 0)), " 12");
    EXPECT_EQ(NSTR(1000, integerWidth(3, 0)), "***");
    EXPECT_EQ(ENSTR(1234.5, enstrWidth(integerWidth(9, 2))), "  1.234,50");
    EXPECT_EQ(NSTR(5, 0), "5");      // at least one digit
    EXPECT_EQ(ENSTR(5, 1), "5,00");  // at least one digit before the decimals
}

TEST(PlainNumber, NoBinaryNoise)
{
    struct Case { double v; const char* out; };
    const Case cases[] = {
        {12.5, "12.5"}, {0.1 + 0.2, "0.3"}, {1234, "1234"}, {-0.0, "0"}, {0, "0"},
        {-7.25, "-7.25"}, {0.001, "0.001"}, {1e15, "1000000000000000"},
        {1.0 / 3, "0.333333333333333"}, {1.15 * 100, "115"}, {100.0, "100"},
    };
    for (const auto& c : cases) EXPECT_EQ(plainNumber(c.v), c.out) << c.v;
}

TEST(CValToChar, EveryKindOfValue)
{
    EXPECT_EQ(CVALTOCHAR("abc "), "abc ");
    EXPECT_EQ(CVALTOCHAR(12.5), "12.5");
    EXPECT_EQ(CVALTOCHAR(true), ".T.");
    EXPECT_EQ(CVALTOCHAR(false), ".F.");
    EXPECT_EQ(CVALTOCHAR(Date()), "  /  /  ");
    EXPECT_EQ(CVALTOCHAR(Date::fromYMD(2024, 3, 9)), "09/03/24");
    EXPECT_EQ(CVALTOCHAR(Value()), "NIL");

    EXPECT_EQ(CVALTOCHAR(std::vector<Value>{"a", 1, Value()}), "a\r\n1\r\nNIL");
    std::vector<Value> big(300, Value("àbcd")); // 300 x (4 + 2) characters
    std::string t = CVALTOCHAR(big);
    EXPECT_EQ(t.substr(t.size() - 6), " ... }");
    EXPECT_EQ(utf8Length(t), 1000u + 6u);
}

TEST(MkStr, FilterLiterals)
{
    EXPECT_EQ(MKSTR(""), "\"\"");
    EXPECT_EQ(MKSTR("   "), "\"\"");
    EXPECT_EQ(MKSTR(0), "\"\"");
    EXPECT_EQ(MKSTR(Date()), "\"\"");
    EXPECT_EQ(MKSTR(Value()), "\"\"");
    EXPECT_EQ(MKSTR("ROSSI"), "\"ROSSI\"");
    EXPECT_EQ(MKSTR("AB\"C"), "\"AB\" + [\"] + \"C\"");
    EXPECT_EQ(MKSTR("\"X\""), "[\"] + \"X\" + [\"]");
    EXPECT_EQ(MKSTR(Date::fromYMD(2024, 1, 31)), "CTOD( \"31/01/24\" )");
    EXPECT_EQ(MKSTR(12.5), "12.5");
    EXPECT_EQ(MKSTR(true), ".T.");
}

TEST(O2A, ReplacesStrayDosBytesOnly)
{
    EXPECT_EQ(O2A("perch\x82 citt\x85 \x8A \x8D \x95 \x97"), "perché città è ì ò ù");
    // "Å" (C3 85) and "—" (E2 80 94) hold such bytes inside well-formed UTF-8
    EXPECT_EQ(O2A("Å—già"), "Å—già");
}

TEST(CDay, ItalianWeekdays)
{
    EXPECT_EQ(CDAY(Date()), "");
    EXPECT_EQ(CDAY(Date::fromYMD(2024, 1, 1)), "Lunedì");
    EXPECT_EQ(CDAY(Date::fromYMD(2024, 1, 7)), "Domenica");
    EXPECT_EQ(CDAY(Date::fromYMD(2024, 1, 6)), "Sabato");
}

TEST(IsNumber, DigitsOnly)
{
    EXPECT_FALSE(ISNUMBER(""));
    EXPECT_FALSE(ISNUMBER("12a"));
    EXPECT_FALSE(ISNUMBER("12 "));
    EXPECT_FALSE(ISNUMBER("-1"));
    EXPECT_TRUE(ISNUMBER("0012"));
}

TEST(FileNames, ExtensionAndBaseName)
{
    EXPECT_EQ(CFILEEXT("ARTICOLI.DBF"), "DBF");
    EXPECT_EQ(CFILEEXT(" X.TAR.GZ  "), "GZ");
    EXPECT_EQ(CFILEEXT("NET"), "");
    EXPECT_EQ(CFILEEXT("C:\\DIR.OLD\\NET"), "OLD\\NET"); // separators not looked at

    EXPECT_EQ(CFILENOEXT("C:\\SHOP\\PROG.EXE"), "PROG");
    EXPECT_EQ(CFILENOEXT("/srv/velt/VELT.CFG"), "VELT");
    EXPECT_EQ(CFILENOEXT("  NET "), "NET");
    EXPECT_EQ(CFILENOEXT("A.B.C"), "A.B");
    EXPECT_EQ(CFILENOEXT("/dir.d/"), "");
}

TEST(TextHelpers, IfNilUpperTrimPad)
{
    EXPECT_TRUE(IFNIL().isNil());
    EXPECT_TRUE(IFNIL(Value(), Value()).isNil());
    EXPECT_EQ(IFNIL(Value(), 3, "x"), Value(3));
    EXPECT_EQ(IFNIL(Value(false), 3), Value(false));

    EXPECT_EQ(UPPER("àèéìòù abc ÿ"), "ÀÈÉÌÒÙ ABC Ÿ");
    EXPECT_EQ(ALLTRIM("  a b  "), "a b");
    EXPECT_EQ(RTRIM("  a  "), "  a");
    EXPECT_EQ(LTRIM("  a  "), "a  ");
    EXPECT_EQ(PADR("però", 6), "però  ");
    EXPECT_EQ(PADL("7", 3), "  7");
    EXPECT_EQ(PADR("abcdef", 3), "abc");
}
