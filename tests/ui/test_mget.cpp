// The multi-line text field: display with line breaks, focus, Enter and Tab,
// the text limit, read-only, BCHANGE, the valid callback and REFRESHALL.
#include "support/ui/dialog_script.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/mget.h"
#include "ui/tget.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace velt;
using velt::test::UiScript;

namespace {

// MGETTEST: notes 101 (multi-line), code 102, "Conferma" 201, "Annulla" 202.
struct Form {
    Value notes = std::string("prima\r\nseconda");
    Value code = std::string(5, ' ');
    TMULTIGET::Args args;
    int changes = 0;
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "MGETTEST"}};
    TMULTIGET* field = nullptr;

    int run()
    {
        if (!args.change) args.change = [this](int, int, TWINDOW&) { ++changes; dlg.LMODIFY = true; };
        field = TMULTIGET::REDEFINE(101, bindVar(notes), dlg, args);
        TGET::REDEFINE(102, bindVar(code), dlg);
        TBUTTON::REDEFINE(201, [this](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
        TBUTTON::REDEFINE(202, [this](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
        dlg.ACTIVATE({.valid = [this](TWINDOW&) { return __VALID(dlg, false); }});
        return dlg.NRESULT;
    }
};

QPlainTextEdit* editOf(TDIALOG& d) { return qobject_cast<QPlainTextEdit*>(test::widgetOf(d, 101)); }

int focusId(TDIALOG& d) { return d.focusedControl() ? d.focusedControl()->NID : 0; }

} // namespace

TEST(MultiGet, LineBreaksConvertBothWays)
{
    EXPECT_EQ(TMULTIGET::toWidgetText("a\r\nb\rc\n"), "a\nb\nc\n");
    EXPECT_EQ(TMULTIGET::toVarText("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(TMULTIGET::toVarText(TMULTIGET::toWidgetText("x\r\n\r\ny")), "x\r\n\r\ny");
}

TEST(MultiGet, ShowsLinesTabSelectsAllEnterBreaksTabMovesOnFocusOutWrites)
{
    UiScript ui;
    QString shown, selected;
    int afterTab = 0;
    ui.next()
        .then([&](TDIALOG& d) {
            shown = editOf(d)->toPlainText();
            d.focusNext(true); // to the code field and back by Shift+Tab
        })
        .key("Shift+Tab")
        .then([&](TDIALOG& d) { selected = editOf(d)->textCursor().selectedText(); })
        .typeHere("uno")
        .key("Enter")
        .typeHere("due")
        .key("Tab")
        .then([&](TDIALOG& d) { afterTab = focusId(d); })
        .click(201);
    Form f;
    EXPECT_EQ(f.run(), 1);
    EXPECT_EQ(shown, "prima\nseconda");
    EXPECT_EQ(selected, QString("prima") + QChar(0x2029) + "seconda");
    EXPECT_EQ(afterTab, 102);
    EXPECT_EQ(f.notes.text(), "uno\r\ndue");
    EXPECT_GT(f.changes, 0);
}

TEST(MultiGet, ClickPutsTheCaretWithoutSelecting)
{
    UiScript ui;
    bool hasSelection = true;
    int clickedFocus = 0;
    ui.next()
        .type(102, "A")
        .then([&](TDIALOG& d) {
            // The text area is the field's viewport: the click goes there.
            QWidget* area = editOf(d)->viewport();
            QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            hasSelection = editOf(d)->textCursor().hasSelection();
            clickedFocus = focusId(d);
        })
        .key("Esc");
    Form f;
    f.run();
    EXPECT_EQ(clickedFocus, 101);
    EXPECT_FALSE(hasSelection);
}

TEST(MultiGet, TextLimitCountsLineBreaksAsStored)
{
    struct Case {
        const char* typed;
        const char* clip; // pasted after typing, "" for none
        const char* expected;
    };
    const Case cases[] = {
        {"abcdefgh", "", "abcdef"},
        {"abcd", "", "abcd"},
        {"abc\rde", "", "abc\r\nd"},   // the break takes two of the six
        {"ab", "12345", "ab1234"},       // a paste is cut to what fits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        UiScript ui;
        QApplication::clipboard()->setText(c.clip);
        std::string clip = c.clip;
        auto& s = ui.next();
        s.type(101, "");
        for (char ch : std::string(c.typed)) {
            if (ch == '\r') s.key("Enter");
            else s.typeHere(std::string(1, ch));
        }
        if (!clip.empty()) s.key("Ctrl+V");
        s.click(201);
        Form f;
        f.notes = std::string();
        f.args.length = 6;
        EXPECT_EQ(f.run(), 1);
        EXPECT_EQ(f.notes.text(), c.expected);
    }
}

TEST(MultiGet, ReadOnlyRefusesTypingPasteAndCutButCopies)
{
    UiScript ui;
    QApplication::clipboard()->setText("incollato");
    QString copied;
    ui.next()
        .type(101, "x")
        .key("Ctrl+V Ctrl+X Delete")
        .key("Ctrl+C")
        .then([&](TDIALOG&) { copied = QApplication::clipboard()->text(); })
        .click(201);
    Form f;
    f.args.readonly = true;
    EXPECT_EQ(f.run(), 1);
    EXPECT_EQ(f.notes.text(), "prima\r\nseconda");
    EXPECT_EQ(f.changes, 0);
    EXPECT_EQ(copied, QString("prima\nseconda"));
}

TEST(MultiGet, PasteAndCutWhenEditable)
{
    UiScript ui;
    QApplication::clipboard()->setText("a\nb");
    ui.next().type(101, "").key("Ctrl+X").key("Ctrl+V Ctrl+V").click(201);
    Form f;
    EXPECT_EQ(f.run(), 1);
    EXPECT_EQ(f.notes.text(), "prima\r\nsecondaprima\r\nseconda");
    EXPECT_GE(f.changes, 2);
}

TEST(MultiGet, ValidCallbackFailureStopsTheConfirm)
{
    UiScript ui;
    ui.boxes().answer(velt::platform::MsgButton::Ok);
    int focusAfter = 0;
    ui.next().type(102, "X").click(201).then([&](TDIALOG& d) { focusAfter = focusId(d); }).type(101, "ok").click(201);
    Form f;
    f.args.valid = [](TCONTROL& c) { return static_cast<TMULTIGET&>(c).GETTEXT() == "ok"; };
    EXPECT_EQ(f.run(), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Campo non valido.");
    EXPECT_EQ(focusAfter, 101);
    EXPECT_EQ(f.notes.text(), "ok");
}

TEST(MultiGet, RefreshAllRedisplaysOnlyAStaleField)
{
    UiScript ui;
    QString afterChange, afterBlanks;
    Form f;
    ui.next()
        .then([&](TDIALOG& d) {
            f.notes = std::string("nuova\r\nnota");
            REFRESHALL(d);
            afterChange = editOf(d)->toPlainText();
            // Trailing blanks alone are no difference: the shown text stays.
            f.notes = std::string("nuova\r\nnota   ");
            REFRESHALL(d);
            afterBlanks = editOf(d)->toPlainText();
        })
        .key("Esc");
    f.run();
    EXPECT_EQ(afterChange, "nuova\nnota");
    EXPECT_EQ(afterBlanks, "nuova\nnota");
    EXPECT_EQ(f.changes, 0); // redisplay is no user change
}
