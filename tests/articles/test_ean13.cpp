// Shop codes in EAN-13 form: check digits of real product codes, completion
// of typed codes, and the codes the article editor must refuse.
#include "articles/ean13.h"

#include <gtest/gtest.h>

using namespace velt::articles;

TEST(Ean13, CheckDigitOfRealProductCodes)
{
    const char* codes[] = {"4006381333931", "8001505005707", "5000112637922",
                           "8076809513722", "3017620422003", "8000500310427"};
    for (std::string c : codes) {
        SCOPED_TRACE(c);
        EXPECT_EQ(EAN13CHK(c), c.substr(12));
        EXPECT_EQ(EAN13CHK(c.substr(0, 12)), c.substr(12));
        EXPECT_TRUE(ISEAN13(c));
        EXPECT_TRUE(ISEAN13("  " + c + "   "));
        EXPECT_EQ(EAN13(c), c);
        // Completing the first 12 digits gives the real code back.
        std::string typed = c.substr(0, 12);
        EXPECT_TRUE(PUTEAN13(typed));
        EXPECT_EQ(typed, c);
    }
    // Sums already a multiple of ten, and the weight 3 on even positions.
    EXPECT_EQ(EAN13CHK("000000000000"), "0");
    EXPECT_EQ(EAN13CHK("100000000000"), "9");
    EXPECT_EQ(EAN13CHK("010000000000"), "7");
}

TEST(Ean13, TypedCodesAreCompletedCorrectedOrKept)
{
    struct Case { std::string typed, shown; bool accepted; };
    const Case cases[] = {
        {"800150500570", "8001505005707", true},      // 12 digits: check digit added
        {"8001505005701", "8001505005707", true},     // wrong last digit corrected
        {"8001505005707", "8001505005707", true},     // valid: unchanged
        {"1234", "1234", true},                       // short internal code kept
        {"1234         ", "1234         ", true},     // blank-padded field value
        {"12345678901", "12345678901", true},         // 11 characters: still free
        {" 123456789012", " 12345678901" + EAN13CHK(" 12345678901"), false}, // leading blank
        {"ABCDEFGHIJKL", "ABCDEFGHIJKL0", false},     // letters are no barcode
        {"80015050057X7", "80015050057X" + EAN13CHK("80015050057X"), false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.typed);
        std::string v = k.typed;
        EXPECT_EQ(PUTEAN13(v), k.accepted);
        EXPECT_EQ(v, k.shown);
    }
    EXPECT_FALSE(ISEAN13("800150500570"));
    EXPECT_FALSE(ISEAN13("80015050057070"));
    EXPECT_FALSE(ISEAN13(""));
}
