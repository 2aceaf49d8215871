// Key expressions: the forms the system stores and builds, their key bytes,
// types and lengths, and clear errors for what they cannot be.
#include "data/keyexpr.h"
#include "support/tempdir.h"
#include "util/errors.h"

#include <gtest/gtest.h>

using namespace velt;
using namespace velt::data;

namespace {

struct Fixture {
    test::TempDataDir dir;
    DbfTable t = DbfTable::create(dir.file("ARTICOLI.DBF"),
                                  {{"CODNEG", 'C', 13, 0}, {"DESCRIZIO", 'C', 40, 0}, {"PREVEN", 'N', 6, 2},
                                   {"DATA", 'D', 8, 0}, {"TIPO1", 'C', 12, 0}, {"TIPO2", 'C', 12, 0}},
                                  Share::Exclusive);
    std::string rec = t.blankRecord();
    Fixture()
    {
        t.putValue(rec.data(), 0, "8001");
        t.putValue(rec.data(), 1, "maglia è");
        t.putValue(rec.data(), 2, -12.5);
        t.putValue(rec.data(), 3, Date::fromYMD(2000, 1, 1));
        t.putValue(rec.data(), 4, "CAPI");
        t.putValue(rec.data(), 5, "LANA");
    }
    std::string key(const std::string& text, uint32_t recno = 7)
    {
        KeyExpr k = KeyExpr::compile(text, t.fields(), "ARTICOLI");
        std::string out(size_t(k.keyLength()), '\0');
        k.evalKey(rec.data(), recno, out.data());
        return out;
    }
};

std::string num(double v)
{
    std::string k(8, '\0');
    encodeNumberKey(v, k.data());
    return k;
}

} // namespace

TEST(KeyExpr, StoredAndBuiltFormsGiveTheirKeyBytes)
{
    Fixture f;
    struct Case {
        const char* expr;
        std::string key;
    } cases[] = {
        {"codneg", "8001" + std::string(9, ' ')},
        {"FIELD -> codneg", "8001" + std::string(9, ' ')},
        {"articoli->CODNEG", "8001" + std::string(9, ' ')},
        {"FIELD -> tipo1 + FIELD -> tipo2", "CAPI        LANA        "},
        {"UPPER(descrizio)", "MAGLIA \xC8" + std::string(32, ' ')},
        {"DTOS(data) + codneg", "200001018001" + std::string(9, ' ')},
        {"STR(preven, 8, 2)", "  -12.50"},
        {"STR(preven)", "       -13"},   // default length 10, no decimals; rounds half away from zero
        {"'X' + \"Y\"", "XY"},
        {"data", num(2451545)},
        {"preven", num(-12.5)},
        {"RECNO()", num(7)},
        {"preven + 1", num(-11.5)},
        {"!DELETED()", "T"},
    };
    for (const auto& c : cases) EXPECT_EQ(f.key(c.expr), c.key) << c.expr;

    KeyExpr k = KeyExpr::compile("FIELD -> tipo1 + FIELD -> tipo2", f.t.fields());
    EXPECT_EQ(k.keyType(), KeyType::Character);
    EXPECT_EQ(k.keyLength(), 24);
    EXPECT_EQ(KeyExpr::compile("data", f.t.fields()).keyType(), KeyType::Numeric);
    EXPECT_EQ(KeyExpr::compile("data", f.t.fields()).keyLength(), 8);

    KeyExpr del = KeyExpr::compile("!DELETED()", f.t.fields());
    EXPECT_TRUE(del.evalLogical(f.rec.data(), 1));
    DbfTable::setDeleted(f.rec.data(), true);
    EXPECT_FALSE(del.evalLogical(f.rec.data(), 1));
}

TEST(KeyExpr, FieldPrefixIsStripped)
{
    EXPECT_EQ(stripFieldPrefix("FIELD -> descrizio"), "descrizio");
    EXPECT_EQ(stripFieldPrefix("FIELD -> tipo1 + FIELD -> tipo2 + FIELD -> tipo3 + FIELD -> tipo4 + FIELD -> tipo5 + "
                               "FIELD -> tipo6"),
              "tipo1 + tipo2 + tipo3 + tipo4 + tipo5 + tipo6");
    EXPECT_EQ(stripFieldPrefix("field->data"), "data");
    EXPECT_EQ(stripFieldPrefix("MYFIELD -> x"), "MYFIELD -> x");   // only the word FIELD
}

TEST(KeyExpr, WrongExpressionsAreClearErrors)
{
    Fixture f;
    for (const char* bad : {"nonesiste", "codneg +", "UPPER(preven)", "codneg + preven", "PIPPO(codneg)",
                            "altro->codneg", "'aperto", "STR(preven, 0)", "(codneg", "!codneg", "codneg codfor"}) {
        try {
            KeyExpr::compile(bad, f.t.fields(), "ARTICOLI");
            ADD_FAILURE() << bad << " compiled";
        } catch (const VeltError& e) {
            EXPECT_NE(std::string(e.description()).find(bad), std::string::npos) << e.description();
        }
    }
}

TEST(KeyExpr, KeyerHonoursForTextAndViewCondition)
{
    Fixture f;
    KeyList none(13);
    CdxIndex ix = CdxIndex::build(f.dir.file("CODNEG.NTX"),
                                  {"codneg", "!DELETED()", KeyType::Character, 13}, Share::Exclusive, none);
    IndexKeyer keyer(ix, f.t.fields());
    std::string out;
    EXPECT_TRUE(keyer.keyFor(f.rec.data(), 1, out));
    EXPECT_EQ(out, "8001" + std::string(9, ' '));
    DbfTable::setDeleted(f.rec.data(), true);
    EXPECT_FALSE(keyer.keyFor(f.rec.data(), 1, out));

    keyer.setCondition([](const char*, uint32_t recno) { return recno % 2 == 0; });
    EXPECT_TRUE(keyer.keyFor(f.rec.data(), 2, out));   // the view's condition decides
    EXPECT_FALSE(keyer.keyFor(f.rec.data(), 3, out));
}
