// Dialog templates: reading the text format and finding templates by name.
#include "support/ui/dialog_script.h"
#include "ui/template.h"
#include "util/errors.h"

#include <gtest/gtest.h>


using namespace velt;

TEST(DialogTemplate, ReadsHeaderAndItemsInOrder)
{
    DialogTemplate t = parseTemplate(R"(# comment
DIALOG 5 6 180 60
TITLE "Quantit\"à\\"
STYLE 0x80C80080
FONT "Segoe UI" 9

ITEM -1  STATIC "&Quantità:" 8 10 50 8 0x50000000
ITEM 201 BUTTON "&Conferma"  30 36 50 14 0x50010001
)",
                                     "Q");
    EXPECT_EQ(t.title, "Quantit\"à\\");
    EXPECT_EQ(t.x, 5);
    EXPECT_EQ(t.h, 60);
    EXPECT_EQ(t.style, 0x80C80080u);
    EXPECT_EQ(t.fontFace, "Segoe UI");
    EXPECT_EQ(t.fontPoints, 9);
    ASSERT_EQ(t.items.size(), 2u);
    EXPECT_EQ(t.items[0].id, -1);
    EXPECT_EQ(t.items[0].text, "&Quantità:");
    EXPECT_EQ(t.items[1].className, "BUTTON");
    EXPECT_TRUE(t.items[1].defaultButton());
    EXPECT_TRUE(t.items[1].tabStop());
    EXPECT_EQ(t.indexOf(201), 1);
    EXPECT_EQ(t.item(999), nullptr);
}

TEST(DialogTemplate, RefusesBrokenLinesNamingTheLine)
{
    struct Case { const char* text; const char* needle; };
    const Case cases[] = {
        {"ITEM 1 EDIT \"\" 1 2 3 4 0\n", "riga 1"},               // item before DIALOG
        {"DIALOG 0 0 10\n", "riga 1"},                           // too few values
        {"DIALOG 0 0 10 10\nTITLE \"open\n", "riga 2"},          // unclosed text
        {"DIALOG 0 0 10 10\nITEM x EDIT \"\" 1 2 3 4 0\n", "riga 2"}, // id not a number
        {"DIALOG 0 0 10 10\nCOLOR 3\n", "riga 2"},               // unknown keyword
        {"TITLE \"no dialog\"\n", "DIALOG"},
    };
    for (const Case& c : cases) {
        try {
            parseTemplate(c.text, "BAD");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const VeltError& e) {
            EXPECT_NE(std::string(e.what()).find(c.needle), std::string::npos) << c.text << " -> " << e.what();
        }
    }
}

TEST(DialogTemplate, LoadsFromRegisteredDirectoryAndMissesUnknownNames)
{
    addTemplateDirectory(test::testTemplatesDir());
    auto t = loadTemplate("TESTDLG");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->title, "Prova");
    ASSERT_NE(t->item(102), nullptr);
    EXPECT_EQ(t->item(102)->className, "EDIT");
    EXPECT_FALSE(loadTemplate("NOSUCHTEMPLATE"));
    clearTemplateDirectories();
    EXPECT_FALSE(loadTemplate("TESTDLG"));
}

TEST(DialogTemplate, LoadsCompiledInTemplates)
{
    clearTemplateDirectories();
    auto t = loadTemplate("PRINTDLG");
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->items.empty());
    ASSERT_NE(t->item(201), nullptr);
    EXPECT_EQ(t->item(201)->className, "BUTTON");
}
