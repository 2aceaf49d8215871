// The data dictionary: catalogue order, structures, index keys, file names.
#include "data/dictionary.h"

#include <gtest/gtest.h>

using namespace velt::data;

TEST(Dictionary, CatalogueOrderIndexFilesAndMemo)
{
    const auto& c = catalogue();
    std::vector<std::string> names;
    int indexFiles = 0;
    for (const auto& t : c) {
        names.push_back(t.name);
        indexFiles += int(t.indexes.size());
        EXPECT_EQ(t.hasMemo(), t.name == "VARIE") << t.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ARTICOLI", "FORNITOR", "TIPI1", "TIPI2", "TIPI3", "TIPI4", "TIPI5",
                                               "TIPI6", "CARICO", "SCARICO", "VARIE", "ETICHETT"}));
    EXPECT_EQ(indexFiles, 14);
    for (int level = 1; level <= 6; ++level) {
        const TableSpec* t = findTable("tipi" + std::to_string(level));
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(t->indexes.size(), 1u);
        EXPECT_EQ(t->indexes[0].file, t->name);
    }
}

TEST(Dictionary, ArticoliFieldsInFileOrderWithWidths)
{
    const TableSpec* a = findTable("ARTICOLI");
    ASSERT_NE(a, nullptr);
    std::string order;
    for (const auto& f : a->fields)
        order += f.name + " ";
    EXPECT_EQ(order, "CODNEG CODFOR DESCRIZIO MARCA PREACQ FORNITORE PREVEN SCORTA GIACENZA DATA "
                     "TIPO1 TIPO2 TIPO3 TIPO4 TIPO5 TIPO6 ");
    EXPECT_TRUE(sameField(*a->field("preven"), {"PREVEN", 'N', 6, 2}));
    EXPECT_TRUE(sameField(*a->field("DATA"), {"DATA", 'D', 8, 0}));
    EXPECT_EQ(a->field("NOPE"), nullptr);
    ASSERT_EQ(a->indexes.size(), 3u);
    EXPECT_EQ(a->indexes[0].file, "DESCRIZ");
    EXPECT_EQ(a->indexes[1].file, "CODNEG");
    EXPECT_EQ(a->indexes[2].file, "CODFOR");
    // Label table created on demand carries the price with two decimals.
    EXPECT_TRUE(sameField(*findTable("ETICHETT")->field("PREZZO"), {"PREZZO", 'N', 6, 2}));
    EXPECT_TRUE(sameField(*findTable("SCARICO")->field("CONTANTI"), {"CONTANTI", 'L', 1, 0}));
}

TEST(Dictionary, StoredKeysLoseEveryFieldArrow)
{
    struct Case {
        std::string given, stored;
    } cases[] = {
        {"FIELD -> descrizio", "descrizio"},
        {kTipiGroupKey, "tipo1 + tipo2 + tipo3 + tipo4 + tipo5 + tipo6"},
        {"codneg", "codneg"},
        {"UPPER(FIELD -> marca)", "UPPER(marca)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ((IndexFile{"X", c.given}.storedKey()), c.stored) << c.given;
    EXPECT_EQ(findTable("SCARICO")->indexes[0].storedKey(), "data");
    EXPECT_EQ(usersTable().indexes[0].storedKey(), "userid");
}

TEST(Dictionary, OutsideTablesAndViewNames)
{
    ASSERT_EQ(netTable().fields.size(), 1u);
    EXPECT_TRUE(sameField(netTable().fields[0], {"LOCK", 'C', 1, 0}));
    EXPECT_TRUE(netTable().indexes.empty());
    EXPECT_EQ(usersTable().fields.size(), 3u);
    EXPECT_EQ(findTable("users"), &usersTable());
    EXPECT_EQ(findTable("MOVITMP"), nullptr);
    EXPECT_EQ(viewFileName(7), "\x7FVIEW7.NTX");
    EXPECT_EQ(viewFileName(12), "\x7FVIEW12.NTX");
}
