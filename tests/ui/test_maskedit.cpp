// The picture-mask editor: what each key does to an edit field's text.
//
// Each row enters a field bound to a value (focus-in: the picture loses its
// ",", the whole text is selected), optionally puts the field in a given
// state, types keys and compares the resulting state. States are written as
// the text with "|" at the cursor, or "[" and "]" around the selection.
// Keys: plain characters are typed; "\b" is Backspace, "\x7f" the Delete key,
// "^" + letter a Ctrl key (Ctrl+V pastes the row's clipboard).
#include "ui/maskedit.h"

#include "util/cp1252.h"

#include <gtest/gtest.h>

#include <ostream>

namespace velt {
void PrintTo(const Value& v, std::ostream* os)
{
    switch (v.type()) {
    case ValueType::Nil: *os << "NIL"; break;
    case ValueType::Text: *os << '"' << v.text() << '"'; break;
    case ValueType::Number: *os << v.number(); break;
    case ValueType::Date: *os << "date " << v.date().toText(true); break;
    case ValueType::Logical: *os << (v.logical() ? ".T." : ".F."); break;
    }
}
} // namespace velt

namespace {

using velt::Date;
using velt::MaskEditor;
using velt::Value;

std::string render(const MaskEditor& ed)
{
    std::u32string t = velt::utf8ToCodePoints(ed.text());
    if (ed.selectionLength()) {
        t.insert(ed.selectionStart() + ed.selectionLength(), U"]");
        t.insert(ed.selectionStart(), U"[");
    } else {
        t.insert(ed.cursor(), U"|");
    }
    return velt::codePointsToUtf8(t);
}

void setRendered(MaskEditor& ed, std::string_view s)
{
    std::u32string text;
    size_t cursor = 0, selStart = 0, selEnd = 0;
    bool sel = false;
    for (char32_t c : velt::utf8ToCodePoints(s)) {
        if (c == U'|') cursor = text.size();
        else if (c == U'[') { selStart = text.size(); sel = true; }
        else if (c == U']') selEnd = cursor = text.size();
        else text += c;
    }
    ed.setState(velt::codePointsToUtf8(text), cursor, selStart, sel ? selEnd - selStart : 0);
}

velt::EditResult press(MaskEditor& ed, std::string_view keys, std::string_view clipboard)
{
    velt::EditResult r;
    const std::u32string k = velt::utf8ToCodePoints(keys);
    for (size_t i = 0; i < k.size(); ++i) {
        char32_t c = k[i];
        if (c == U'^' && i + 1 < k.size()) r = ed.ctrlChar(char(k[++i]), clipboard);
        else if (c == 0x7F) r = ed.del();
        else if (MaskEditor::minusRefused(c)) r = {};
        else r = ed.typeChar(c);
    }
    return r;
}

// Entering the field as TGET does: picture without ",", LMINUS off for a
// number, the got-focus callback may turn it on, redisplay, select all.
void enter(MaskEditor& ed, const Value& var, const char* picture, bool gotFocusAllowsMinus = false)
{
    MaskEditor::LMINUS = true;
    ed.bind(var, picture);
    ed.beginEdit();
    if (gotFocusAllowsMinus) MaskEditor::LMINUS = true;
    ed.show(var);
    ed.selectAll();
}

struct Row {
    const char* name;
    Value var;
    const char* picture;
    const char* start; // "" = as entered
    const char* keys;
    const char* expect;
    std::optional<Value> stored = std::nullopt; // value written on leaving
    const char* shownAfter = nullptr;           // text once left
    bool minus = false;                         // got-focus callback sets LMINUS
    const char* clipboard = "";
};

void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }

Date d(int y, int m, int day) { return Date::fromYMD(y, m, day); }
const std::string kBlanks6(6, ' ');

const Row kRows[] = {
    // ---- number fields ---------------------------------------------------
    {"entering selects all, typing replaces", 12.0, "999", "", "5", "5|", 5.0, "5"},
    {"letter over the selection empties the field", 12.5, "@E 999.99", "", "a", "|", 0.0},
    {"refused minus keeps the selection", 12.0, "999", "", "-", "[12]"},
    {"editing form has no thousands separators", 1234.5, "@E 99,999.99", "", "", "[1234,50]"},
    {"point typed as comma", 1234.5, "@E 99,999.99", "", "12.5", "12,5|", 12.5, "12,50"},
    {"minus allowed by the got-focus callback, once, first", 0.0, "@E 999.99", "", "-5-", "-5|", -5.0, "-5,00",
     true},
    {"minus not at the start", 0.0, "@E 999.99", "", "5-", "5|", 5.0, "5,00", true},
    {"minus over a selection that starts the text", 12.0, "999", "[12]", "-", "-|", std::nullopt, nullptr, true},
    {"minus after a selection inside is refused, selection kept", 12.0, "999", "1[2]", "-", "1[2]", std::nullopt,
     nullptr, true},
    {"comma in an integer mask, rounded when left", 0.0, "999", "", "1,5", "1,5|", 1.5, "2"},
    {"text limit of 999 is 3", 0.0, "999", "", "1000", "100|", 100.0},
    {"second comma refused", 0.0, "@E 999.99", "", "12,5,.", "12,5|", 12.5},
    {"the shown decimal point counts as the comma", 12.5, "999.99", "12.50|", ",", "12.50|"},
    {"nothing before the sign", -5.0, "@E 999.99", "|-5,00", "3,", "|-5,00", std::nullopt, nullptr, true},
    {"backspace deletes the selection only", 123.0, "999", "1[23]", "\b", "1|", 1.0},
    {"backspace", 123.0, "999", "12|3", "\b", "1|3", 13.0},
    {"delete", 123.0, "999", "|123", "\x7f", "|23", 23.0},
    {"zero shows 0,00 while editing a Z picture", 0.0, "@ZE 999.99", "", "", "[0,00]", 0.0, ""},
    {"paste refused in a number field", 1.0, "999", "", "^V", "[1]", std::nullopt, nullptr, false, "5"},
    {"digits not typed over the limit with a selection", 999.0, "999", "[9]99", "12", "1|99"},

    // ---- date fields ("99/99/9999", overwrite over 8 characters) ----------
    {"impossible date stays as typed", Date(), "", "", "310224", "31/02/24|", Date(), "31/02/24"},
    {"typed date", Date(), "", "", "150324", "15/03/24|", d(2024, 3, 15), "15/03/24"},
    {"two-digit year window", Date(), "", "", "010180", "01/01/80|", d(1980, 1, 1)},
    {"letter refused, selection kept", d(2024, 3, 15), "", "", "a", "[15/03/24]"},
    {"cursor skips the slash", d(2024, 3, 12), "", "12/03|/24", "1", "12/03/1|4", d(2014, 3, 12)},
    {"nothing typed past the end", d(2024, 3, 12), "", "12/03/24|", "1", "12/03/24|"},
    {"backspace blanks and steps over the slash", d(2024, 3, 12), "", "12/0|3/24", "\b\b", "1| / 3/24"},
    {"backspace blanks only the selection", d(2024, 3, 12), "", "12/[03]/24", "\b", "12/|  /24"},
    {"backspace at the start", d(2024, 3, 12), "", "|12/03/24", "\b", "|12/03/24"},
    {"delete without a selection does nothing", d(2024, 3, 12), "", "1|2/03/24", "\x7f", "1|2/03/24"},
    {"delete blanks the selection", d(2024, 3, 12), "", "", "\x7f", "|  /  /  ", Date(), "  /  /  "},
    {"paste refused in a date field", Date(), "", "", "^V", "[  /  /  ]", std::nullopt, nullptr, false, "150324"},
    {"cut refused in a date field", d(2024, 3, 12), "", "", "^X", "[12/03/24]"},

    // ---- text fields -----------------------------------------------------
    {"capitals as typed, padded to the variable", kBlanks6, "@!", "", "abc", "ABC|", "ABC   ", "ABC"},
    {"shop code: digits only, insert mode", std::string(13, ' '), "9999999999999", "", "12a3", "123|"},
    {"shop code inserts in the middle", std::string(13, ' '), "9999999999999", "1|3", "2", "12|3", "123          "},
    {"@9 takes digits only", kBlanks6, "@9", "", "4x2", "42|"},
    {"A needs a letter, 9 a digit", "    ", "AA99", "", "1ab1c2", "ab12|"},
    {"accented letter at an A", "  ", "AA", "", "\xC3\xA8", "\xC3\xA8|"},
    {"text limit is the variable's length", "abc", "", "", "wxyz", "wxy|", "wxy"},
    {"a literal mask overwrites", "123-456", "999-999", "", "98", "98| -   "},
    {"literal mask: typing over the literal", "123-456", "999-999", "123|-456", "7", "123-7|56"},
    {"literal mask: no paste", "123-456", "999-999", "", "^V", "[123-456]", std::nullopt, nullptr, false, "1"},
    {"cut, then undo", "abcd", "", "ab[cd]", "^X", "ab|"},
    {"cut and undo restore the text", "abcd", "", "ab[cd]", "^X^Z", "ab[cd]"},
    {"undo takes back a run of typing, redo", "   ", "", "|", "abc^Z", "|"},
    {"second undo redoes", "   ", "", "|", "abc^Z^Z", "abc|"},
    {"paste cut at the limit", "abcde", "", "ab|", "^V", "ab123|", std::nullopt, nullptr, false, "123456"},
    {"paste in capitals", kBlanks6, "@!", "", "^V", "XY|", "XY    ", nullptr, false, "xy"},
    {"paste takes the first line", kBlanks6, "", "", "^V", "ab|", std::nullopt, nullptr, false, "ab\r\ncd"},
    {"paste of letters into digits refused", kBlanks6, "999999", "", "^V", "|", std::nullopt, nullptr, false,
     "12a"},
    {"tab, enter and esc are not typed", "ab", "", "ab|", "\t\r\x1b", "ab|"},
    {"other Ctrl letters refused", "ab", "", "ab|", "^A^B", "ab|"},

    // ---- logical fields --------------------------------------------------
    {"logical replaced by F", true, "", "", "f", "F|", false, "F"},
    {"only T and F", true, "", "", "x", "[T]"},
    {"nothing past the one character", true, "", "T|", "F", "T|"},
    {"backspace then T", false, "", "F|", "\bt", "T|", true},
};

class TypedKeys : public ::testing::TestWithParam<Row> {};

TEST_P(TypedKeys, Row)
{
    const Row& row = GetParam();
    MaskEditor ed;
    enter(ed, row.var, row.picture, row.minus);
    if (*row.start) setRendered(ed, row.start);
    press(ed, row.keys, row.clipboard);
    EXPECT_EQ(render(ed), row.expect);
    if (row.stored) {
        EXPECT_EQ(ed.value(row.var), *row.stored);
    }
    if (row.shownAfter) {
        Value v = ed.value(row.var);
        ed.endEdit();
        ed.show(v);
        EXPECT_EQ(ed.text(), row.shownAfter);
    }
    MaskEditor::LMINUS = true;
}

INSTANTIATE_TEST_SUITE_P(MaskEditor, TypedKeys, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             std::string n;
                             for (const char* p = info.param.name; *p; ++p)
                                 n += (std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
                             return std::to_string(info.index) + "_" + n;
                         });

// ---- focus, display and the confirm checks -------------------------------

TEST(MaskEditor, NumberFieldTurnsTheMinusSwitchOffWhileFocused)
{
    MaskEditor::LMINUS = true;
    MaskEditor text, number;
    text.bind(std::string("ab"), "");
    number.bind(5.0, "999");
    text.beginEdit();
    EXPECT_TRUE(MaskEditor::LMINUS);
    number.beginEdit();
    EXPECT_FALSE(MaskEditor::LMINUS);
    // The switch is shared: a text field refuses the minus too meanwhile.
    EXPECT_TRUE(MaskEditor::minusRefused(U'-'));
    number.endEdit();
    EXPECT_TRUE(MaskEditor::LMINUS);
    EXPECT_FALSE(MaskEditor::minusRefused(U'-'));
}

TEST(MaskEditor, DisplayWithAndWithoutFocus)
{
    MaskEditor ed;
    ed.bind(1234.5, "@E 99,999.99");
    EXPECT_EQ(ed.text(), "1.234,50");
    ed.beginEdit();
    ed.show(1234.5);
    EXPECT_EQ(ed.text(), "1234,50");

    ed.bind(0.0, "@ZE 999.99");
    EXPECT_EQ(ed.text(), "");
    ed.bind(std::string("AB  "), "");
    EXPECT_EQ(ed.text(), "AB"); // trailing blanks removed
    ed.bind(Date(), "");
    EXPECT_EQ(ed.text(), "  /  /  ");
    EXPECT_EQ(ed.givenPicture().text(), "99/99/9999");
    EXPECT_EQ(ed.limit(), 8);
    ed.bind(std::string("ab"), "@!");
    EXPECT_EQ(ed.text(), "AB");
}

TEST(MaskEditor, NumberTooLargeForItsPicture)
{
    MaskEditor ed;
    ed.bind(1000.0, "999");
    EXPECT_EQ(ed.text(), "***");
    EXPECT_EQ(ed.confirmFailure(1000.0), "Numero troppo grande.");
    EXPECT_EQ(ed.confirmFailure(999.0), std::nullopt);

    // Typed digits that do not fit stay on screen after leaving the field.
    enter(ed, 0.0, "@E 99,999.99");
    press(ed, "123456789", "");
    Value v = ed.value(0.0);
    EXPECT_EQ(v, Value(123456789.0));
    ed.endEdit();
    ed.show(v);
    EXPECT_EQ(ed.text(), "123456789");
    EXPECT_EQ(ed.confirmFailure(v), "Numero troppo grande.");
    // A different value set in code shows as asterisks.
    ed.show(555555.0);
    EXPECT_EQ(ed.text(), "*********");
}

TEST(MaskEditor, DateConfirmCheck)
{
    MaskEditor ed;
    enter(ed, Date(), "");
    EXPECT_EQ(ed.confirmFailure(Date()), std::nullopt); // blank is valid
    press(ed, "310224", "");
    EXPECT_EQ(ed.confirmFailure(Date()), "Data non valida.");
    // A valid date set in code replaces the impossible text.
    ed.show(Date::fromYMD(2024, 2, 29));
    EXPECT_EQ(ed.text(), "29/02/24");
    EXPECT_EQ(ed.confirmFailure(Date::fromYMD(2024, 2, 29)), std::nullopt);
}

TEST(MaskEditor, ChangeNotification)
{
    MaskEditor ed;
    enter(ed, 12.0, "999");
    // A refused letter that deleted the selection changed the field.
    auto r = press(ed, "a", "");
    EXPECT_FALSE(r.accepted);
    EXPECT_TRUE(r.changed);
    r = press(ed, "a", "");
    EXPECT_FALSE(r.accepted);
    EXPECT_FALSE(r.changed);
    r = press(ed, "7", "");
    EXPECT_TRUE(r.accepted);
    EXPECT_TRUE(r.changed);
    r = ed.del(); // at the end: nothing to delete
    EXPECT_FALSE(r.changed);
}

TEST(MaskEditor, ReadOnlyField)
{
    MaskEditor ed;
    ed.bind(std::string("abc"), "", /*readOnly=*/true);
    ed.selectAll();
    for (const char* keys : {"x", "\b", "\x7f", "^V", "^X"}) {
        press(ed, keys, "zz");
        EXPECT_EQ(render(ed), "[abc]") << keys;
    }
    auto r = ed.ctrlChar('C');
    EXPECT_EQ(r.copyText, "abc"); // copying is fine
}

TEST(MaskEditor, PasswordNeverCopied)
{
    MaskEditor ed;
    ed.bind(std::string("secret"), "", false, /*password=*/true);
    ed.selectAll();
    EXPECT_FALSE(ed.ctrlChar('C').copyText);
    EXPECT_FALSE(ed.ctrlChar('X').copyText);
    EXPECT_EQ(ed.text(), "secret");
}

TEST(MaskEditor, CutGivesTheClipboardText)
{
    MaskEditor ed;
    ed.bind(std::string("abcd"), "");
    ed.setState("abcd", 4, 1, 2);
    auto r = ed.cut();
    EXPECT_EQ(r.copyText, "bc");
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(render(ed), "a|d");
}

TEST(MaskEditor, UndoStepBreaksWhenTheCursorMoves)
{
    MaskEditor ed;
    ed.bind(std::string(6, ' '), "");
    press(ed, "ab", "");
    ed.setState("ab", 0); // the user clicked at the start
    press(ed, "x", "");
    EXPECT_EQ(ed.text(), "xab");
    ed.undo();
    EXPECT_EQ(ed.text(), "ab");
}

TEST(MaskEditor, AccentedTextCountsCharacters)
{
    MaskEditor ed;
    // "caffè" is 5 characters in 6 bytes: the limit is 5 characters.
    enter(ed, std::string("caff\xC3\xA8"), "@!");
    EXPECT_EQ(ed.text(), "CAFF\xC3\x88");
    EXPECT_EQ(ed.limit(), 5);
    press(ed, "perch\xC3\xA9", "");
    EXPECT_EQ(render(ed), "PERCH|");
    setRendered(ed, "PERC|");
    press(ed, "\xC3\xA9", "");
    EXPECT_EQ(render(ed), "PERC\xC3\x89|");
}

} // namespace
