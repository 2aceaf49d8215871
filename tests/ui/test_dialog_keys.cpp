// Dialogs: keyboard and focus, edit-field display, redisplay helpers.
#include "support/ui/dialog_script.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/say.h"
#include "ui/tget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace velt;
using velt::test::UiScript;

namespace {

// TESTDLG with its four fields, three buttons and the label 401.
struct Keys {
    Value desc = std::string(10, ' ');
    Value date = Date();
    Value price = 0.0;
    Value notes = std::string(10, ' ');
    std::string pricePicture = "@E 9,999.99";
    bool notesEnabled = true;
    int avanti = 0;
    std::string label = "Totale 0";
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    InitBlock init;
    std::function<void(TBUTTON&)> onAvanti;
    std::function<void()> onLabel;

    int run()
    {
        TGET::REDEFINE(101, bindVar(desc), dlg, {.picture = "@!"});
        TGET::REDEFINE(102, bindVar(date), dlg);
        TGET::REDEFINE(103, bindVar(price), dlg, {.picture = pricePicture});
        TGET::REDEFINE(104, bindVar(notes), dlg, {.when = [this] { return notesEnabled; }});
        TBUTTON::REDEFINE(301, [this](TBUTTON& b) {
            ++avanti;
            if (onAvanti) onAvanti(b);
        }, dlg);
        TBUTTON::REDEFINE(201, [this](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
        TBUTTON::REDEFINE(202, [this](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
        TSAY::REDEFINE(401, [this](TSAY&) -> Value {
            if (onLabel) onLabel();
            return label;
        }, dlg);
        dlg.ACTIVATE({.valid = [this](TWINDOW&) { return __VALID(dlg, false); }, .init = init, .resize16 = true});
        return dlg.NRESULT;
    }
};

std::vector<int> focusIds(const UiScript& ui)
{
    std::vector<int> ids;
    for (const auto& s : ui.snapshots()) ids.push_back(s.focusId);
    return ids;
}

} // namespace

TEST(DialogKeys, TabFollowsTheTemplateSkipsDisabledAndWraps)
{
    UiScript ui;
    ui.next()
        .snapshot()                       // first tab stop
        .key("Tab").snapshot()            // 102
        .key("Tab Tab").snapshot()        // 104 disabled: 301
        .key("Tab Tab Tab").snapshot()    // past 202 back to 101
        .key("Shift+Tab").snapshot()      // 202
        .key("Esc");
    Keys k;
    k.notesEnabled = false;
    k.run();
    EXPECT_EQ(focusIds(ui), (std::vector<int>{101, 102, 301, 101, 202}));
}

TEST(DialogKeys, EnterInAFieldMovesOnWithoutADefaultButton)
{
    UiScript ui;
    ui.next().type(101, "abc").key("Enter").snapshot().key("Enter").snapshot().key("Esc");
    Keys k;
    EXPECT_EQ(k.run(), 2);
    EXPECT_EQ(focusIds(ui), (std::vector<int>{102, 103}));
    EXPECT_EQ(k.desc.text(), "ABC" + std::string(7, ' '));
}

TEST(DialogKeys, ArrowsMoveBetweenButtonsAndEnterPressesOne)
{
    UiScript ui;
    ui.next()
        .then([](TDIALOG& d) { ITEM(d, 201)->SETFOCUS(); })
        .key("Down").snapshot()
        .key("Up Left").snapshot()
        .key("Enter").snapshot()
        .key("Right Enter");
    Keys k;
    EXPECT_EQ(k.run(), 1);
    EXPECT_EQ(focusIds(ui), (std::vector<int>{202, 301, 301}));
    EXPECT_EQ(k.avanti, 1);
}

TEST(DialogKeys, AltMnemonicPressesTheButtonAfterTheFieldWroteItsValue)
{
    UiScript ui;
    ui.next().type(103, "12.5").snapshot().key("Alt+C");
    Keys k;
    EXPECT_EQ(k.run(), 1);
    EXPECT_EQ(ui.snapshots()[0].at(103).text, "12,5");
    EXPECT_DOUBLE_EQ(k.price.number(), 12.5);
}

TEST(DialogKeys, CloseBoxCountsAsEsc)
{
    UiScript ui;
    ui.next().then([](TDIALOG& d) { d.HWND->close(); });
    Keys k;
    EXPECT_EQ(k.run(), 2);
}

TEST(DialogKeys, InitReturningFalseKeepsTheFocusItPlaced)
{
    UiScript ui;
    ui.next().snapshot().key("Esc");
    Keys k;
    k.init = [&k](TWINDOW&) {
        ITEM(k.dlg, 103)->SETFOCUS();
        return false;
    };
    k.run();
    EXPECT_EQ(focusIds(ui), (std::vector<int>{103}));
}

TEST(DialogKeys, NumberFieldShowsThousandsOnlyWithoutFocus)
{
    struct Case {
        std::string picture;
        double value;
        std::string unfocused, focused;
    };
    const Case cases[] = {
        {"@E 9,999.99", 1234.5, "1.234,50", "1234,50"},
        {"@ZE 999.99", 0.0, "", "0,00"},
        {"999", 1000.0, "***", "***"},
    };
    for (const Case& c : cases) {
        UiScript ui;
        std::string before, during, after;
        ui.next()
            .then([&](TDIALOG& d) { before = static_cast<TGET*>(ITEM(d, 103))->GETTEXT(); })
            .then([&](TDIALOG& d) { ITEM(d, 103)->SETFOCUS(); })
            .then([&](TDIALOG& d) { during = static_cast<TGET*>(ITEM(d, 103))->GETTEXT(); })
            .key("Tab")
            .then([&](TDIALOG& d) { after = static_cast<TGET*>(ITEM(d, 103))->GETTEXT(); })
            .key("Esc");
        Keys k;
        k.pricePicture = c.picture;
        k.price = c.value;
        k.run();
        EXPECT_EQ(before, c.unfocused) << c.picture;
        EXPECT_EQ(during, c.focused) << c.picture;
        EXPECT_EQ(after, c.unfocused) << c.picture;
        EXPECT_EQ(k.price.number(), c.value) << c.picture; // leaving it unchanged keeps the value
    }
}

TEST(DialogKeys, RefreshAllShowsValuesChangedInCodeAndIgnoresNestedCalls)
{
    UiScript ui;
    Keys k;
    int labelCalls = 0;
    k.onLabel = [&] {
        ++labelCalls;
        REFRESHALL(k.dlg); // from inside a redisplay: returns at once
    };
    ui.next()
        .then([&](TDIALOG& d) {
            labelCalls = 0;
            k.desc = std::string("nuovo     ");
            k.price = 7.0;
            k.label = "Totale 7";
            REFRESHALL(d);
        })
        .snapshot()
        .key("Esc");
    k.run();
    const auto& s = ui.snapshots().at(0);
    EXPECT_EQ(s.at(101).text, "NUOVO"); // "@!"
    EXPECT_EQ(s.at(103).text, "7,00");
    EXPECT_EQ(s.at(401).text, "Totale 7");
    EXPECT_EQ(labelCalls, 1);
}

TEST(DialogKeys, ClickIsIgnoredWhileTheButtonsOwnActionRuns)
{
    UiScript ui;
    ui.next().click(301).key("Esc");
    Keys k;
    k.onAvanti = [](TBUTTON& b) { b.CLICK(); };
    k.run();
    EXPECT_EQ(k.avanti, 1);
}

TEST(DialogKeys, TypingGoesThroughThePictureEditor)
{
    struct Case {
        int id;            // 101 text "@!", 102 date, 103 number "@E 9,999.99"
        std::string keys;  // after the field got the focus (whole text selected)
        std::string shown; // while still in the field
    };
    const Case cases[] = {
        {101, "a b c", "ABC"},
        {103, "x", ""},             // the selection goes, the letter is refused
        {103, "- 1 2 . 5", "12,5"}, // minus refused in a number field
        {102, "2 5 1 2 2 6", "25/12/26"},
        {103, "Ctrl+V", "1234,50"}, // no paste into a number field
        {102, "Ctrl+V", "11/12/26"},
    };
    for (const Case& c : cases) {
        UiScript ui;
        QGuiApplication::clipboard()->setText("99");
        std::string shown;
        ui.next()
            .then([&](TDIALOG& d) { ITEM(d, c.id)->SETFOCUS(); })
            .key(c.keys)
            .then([&](TDIALOG& d) { shown = static_cast<TGET*>(ITEM(d, c.id))->GETTEXT(); })
            .key("Esc");
        Keys k;
        k.price = 1234.5;
        k.date = Date::fromYMD(2026, 12, 11);
        k.run();
        EXPECT_EQ(shown, c.shown) << c.id << " " << c.keys;
    }
}

TEST(DialogKeys, SetFocusPassesOverAControlItsWhenRefuses)
{
    UiScript ui;
    ui.next().then([](TDIALOG& d) { ITEM(d, 104)->SETFOCUS(); }).snapshot().key("Esc");
    Keys k;
    k.notesEnabled = false;
    k.run();
    EXPECT_EQ(focusIds(ui), (std::vector<int>{301}));
}

TEST(DialogKeys, LabelMnemonicMovesToTheFieldAfterIt)
{
    UiScript ui;
    ui.next().key("Alt+P").snapshot().key("Esc"); // "&Prezzo:"
    Keys k;
    k.run();
    EXPECT_EQ(focusIds(ui), (std::vector<int>{103}));
}
