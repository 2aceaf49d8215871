// Dialogs: lifecycle, confirm and cancel rules, binding errors, helpers.
#include "support/ui/dialog_script.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/say.h"
#include "ui/tget.h"
#include "util/errors.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

using namespace velt;
using velt::platform::MsgButton;
using velt::test::UiScript;

namespace {

// The test form over TESTDLG: description 101, date 102, price 103, notes 104
// (enabled by a flag), "Avanti" 301, "Conferma" 201, "Annulla" 202.
struct Form {
    Value desc = std::string(20, ' ');
    Value date = Date();
    Value price = 0.0;
    Value notes = std::string(10, ' ');
    bool ask = true;
    bool notesEnabled = true;
    bool atEnd = false;
    int actions = 0;
    std::function<bool(TCONTROL&)> notesValid;
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};

    Form() {}
    void bind()
    {
        auto modified = [this](int, int, TWINDOW&) { dlg.LMODIFY = true; };
        TGET::REDEFINE(101, bindVar(desc), dlg, {.change = modified, .varname = "cDesc"});
        TGET::REDEFINE(102, bindVar(date), dlg, {.change = modified, .varname = "dData"});
        TGET::REDEFINE(103, bindVar(price), dlg, {.picture = "@E 999.99", .change = modified, .varname = "nPrezzo"});
        TGET::REDEFINE(104, bindVar(notes), dlg,
                       {.valid = notesValid, .when = [this] { return notesEnabled; }, .change = modified});
        TBUTTON::REDEFINE(301, [this](TBUTTON&) { ++actions; atEnd = true; }, dlg, {}, [this] { return !atEnd; });
        TBUTTON::REDEFINE(201, [this](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
        TBUTTON::REDEFINE(202, [this](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
    }
    int run()
    {
        bind();
        dlg.ACTIVATE({.centered = true, .valid = [this](TWINDOW&) { return __VALID(dlg, ask); }, .resize16 = true});
        return dlg.NRESULT;
    }
};

QColor pixelUnder(const QImage& img, QWidget* w, int dy)
{
    QRect g = w->geometry();
    return img.pixelColor(g.left() + g.width() / 2, g.bottom() + dy);
}

} // namespace

TEST(Dialog, EscWithoutChangesClosesAtOnce)
{
    UiScript ui;
    ui.next().key("Esc");
    Form f;
    EXPECT_EQ(f.run(), 2);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(ui.dialogsShown(), 1);
}

TEST(Dialog, EscAfterAChangeAsksAndNoKeepsItOpenWhereItWas)
{
    UiScript ui;
    ui.boxes().answer(MsgButton::No);
    ui.boxes().answer(MsgButton::Yes);
    ui.next().type(103, "12").key("Esc").snapshot().key("Esc");
    Form f;
    EXPECT_EQ(f.run(), 2);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "Annullo le modifiche?");
    EXPECT_EQ(ui.messages()[0].kind, 5);
    ASSERT_EQ(ui.snapshots().size(), 1u);
    EXPECT_EQ(ui.snapshots()[0].focusId, 103);
    EXPECT_EQ(ui.snapshots()[0].at(103).text, "12");
}

TEST(Dialog, InvalidDateIsMarkedRedAndEscAfterwardsIsACancel)
{
    UiScript ui;
    ui.boxes().answer(MsgButton::Ok);  // "Data non valida."
    ui.boxes().answer(MsgButton::Yes); // "Annullo le modifiche?"
    QWidget* dateWidget = nullptr;
    ui.next()
        .type(102, "31/02/24")
        .then([&](TDIALOG& d) { dateWidget = test::widgetOf(d, 102); })
        .click(201)
        .snapshot()
        .key("Esc");
    Form f;
    EXPECT_EQ(f.run(), 2);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "Data non valida.");
    EXPECT_EQ(ui.messages()[0].kind, 1);
    EXPECT_EQ(ui.messages()[0].title, "Attenzione");
    EXPECT_EQ(ui.messages()[1].text, "Annullo le modifiche?"); // not the checks again
    // The typed text stays, the variable holds the empty date, focus on the field.
    EXPECT_EQ(ui.snapshots()[0].at(102).text, "31/02/24");
    EXPECT_EQ(ui.snapshots()[0].focusId, 102);
    EXPECT_TRUE(f.date.date().isEmpty());
    // While the message showed, the strip under the field was red, and only then.
    ASSERT_EQ(ui.messageGrabs().size(), 2u);
    ASSERT_TRUE(dateWidget);
    const QImage& during = ui.messageGrabs()[0];
    EXPECT_EQ(pixelUnder(during, dateWidget, 1), QColor(255, 0, 0));
    EXPECT_EQ(pixelUnder(during, dateWidget, 2), QColor(255, 0, 0));
    EXPECT_NE(pixelUnder(during, dateWidget, 3), QColor(255, 0, 0));
    EXPECT_NE(pixelUnder(ui.messageGrabs()[1], dateWidget, 1), QColor(255, 0, 0));
}

TEST(Dialog, ConfirmChecksRunInBindingOrderSkippingDisabledFields)
{
    UiScript ui;
    for (int i = 0; i < 3; ++i) ui.boxes().answer(MsgButton::Ok);
    ui.next()
        .type(102, "30/02/24")
        .click(201) // date and price both fail: only the date is reported
        .type(102, "29/02/24")
        .click(201) // price 1000 set in code does not fit "999.99"
        .snapshot()
        .type(103, "5")
        .type(101, "x")
        .click(201); // notes would fail, but they are disabled
    Form f;
    f.price = 1000.0;
    f.notesEnabled = false;
    f.notesValid = [](TCONTROL&) { return false; };
    EXPECT_EQ(f.run(), 1);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "Data non valida.");
    EXPECT_EQ(ui.messages()[1].text, "Numero troppo grande.");
    EXPECT_EQ(ui.snapshots()[0].focusId, 103);
    EXPECT_EQ(ui.snapshots()[0].at(103).text, "******");
    EXPECT_FALSE(ui.snapshots()[0].at(104).enabled);
    EXPECT_EQ(f.date.date(), Date::fromYMD(2024, 2, 29));
    EXPECT_EQ(f.price.number(), 5.0);
    EXPECT_EQ(f.desc.text(), "x" + std::string(19, ' '));
}

TEST(Dialog, ValidCallbackFailureSaysCampoNonValido)
{
    UiScript ui;
    ui.boxes().answer(MsgButton::Ok);
    ui.next().type(104, "no").click(201).snapshot().type(104, "ok").click(201);
    Form f;
    f.notesValid = [&f](TCONTROL&) { return f.notes.text().substr(0, 2) == "ok"; };
    EXPECT_EQ(f.run(), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Campo non valido.");
    EXPECT_EQ(ui.snapshots()[0].focusId, 104);
}

TEST(Dialog, WhenCallbacksAfterClicksAndFromCode)
{
    UiScript ui;
    int actionsBeforeCodeClick = -1;
    ui.next()
        .snapshot()
        .click(301) // the action reaches the end: the button greys at once
        .snapshot()
        .then([&](TDIALOG& d) {
            actionsBeforeCodeClick = 1;
            ITEM(d, 301)->CLICK(); // its when is false now: nothing happens
        })
        .key("Esc");
    Form f;
    f.run();
    ASSERT_EQ(ui.snapshots().size(), 2u);
    EXPECT_TRUE(ui.snapshots()[0].at(301).enabled);
    EXPECT_FALSE(ui.snapshots()[1].at(301).enabled);
    EXPECT_EQ(actionsBeforeCodeClick, 1);
    EXPECT_EQ(f.actions, 1);
}

TEST(Dialog, CancelButtonDoesNotReevaluateWhens)
{
    UiScript ui;
    bool flag = true;
    Value v = std::string(5, ' ');
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    TGET::REDEFINE(101, bindVar(v), dlg, {.when = [&] { return flag; }});
    TBUTTON::REDEFINE(301, [&](TBUTTON&) { flag = false; }, dlg, {}, {}, {}, std::nullopt, true);
    TBUTTON::REDEFINE(202, [&](TBUTTON&) { flag = false; }, dlg); // 202: re-evaluates
    ui.next().click(301).snapshot().click(202).snapshot().then([&](TDIALOG& d) { d.forceEnd(); });
    dlg.ACTIVATE({});
    ASSERT_EQ(ui.snapshots().size(), 2u);
    EXPECT_TRUE(ui.snapshots()[0].at(101).enabled);
    EXPECT_FALSE(ui.snapshots()[1].at(101).enabled);
}

TEST(Dialog, DuplicateIdStopsTheProgramBeforeAnythingShows)
{
    UiScript ui;
    ui.boxes().answer(MsgButton::Ok);
    Value a = std::string("a"), b = std::string("b");
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    TGET::REDEFINE(101, bindVar(a), dlg);
    int line = __LINE__ + 1;
    EXPECT_THROW(TGET::REDEFINE(101, bindVar(b), dlg), Abandon);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].kind, 1);
    EXPECT_EQ(ui.messages()[0].text,
              "Duplicate id 101\nFunction: TestBody  Line: " + std::to_string(line));
    EXPECT_EQ(ui.services().end().count(), 1);
    EXPECT_EQ(ui.dialogsShown(), 0);
}

TEST(Dialog, MissingTemplateAndMissingIdEndTheProgram)
{
    struct Case {
        std::string resName;
        int id;
        std::string text;
    };
    const Case cases[] = {
        {"NOSUCHDLG", 101, "Resource not found: NOSUCHDLG"},
        {"TESTDLG", 999, "Id not found: 999\nFunction: TestBody  Line: "},
    };
    for (const Case& c : cases) {
        UiScript ui;
        ui.boxes().answer(MsgButton::Ok);
        Value v = std::string("a");
        TDIALOG dlg{TDIALOG::NewArgs{.resName = c.resName}};
        TGET::REDEFINE(c.id, bindVar(v), dlg);
        EXPECT_THROW(dlg.ACTIVATE({}), Abandon);
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text.substr(0, c.text.size()), c.text);
        EXPECT_EQ(ui.services().end().count(), 1);
        EXPECT_EQ(ui.dialogsShown(), 0);
        EXPECT_EQ(TDIALOG::shownCount(), 0);
    }
}

TEST(Dialog, OneFieldWithDefaultButtonConfirmsOnEnter)
{
    UiScript ui;
    ui.next().type(101, "5").key("Enter");
    Value qty = 1.0;
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "ONEFIELD"}};
    TGET::REDEFINE(101, bindVar(qty), dlg, {.picture = "999"});
    TBUTTON::REDEFINE(201, [&](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
    TBUTTON::REDEFINE(202, [&](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
    dlg.ACTIVATE({.valid = [&](TWINDOW&) { return __VALID(dlg, false); }});
    EXPECT_EQ(dlg.NRESULT, 1);
    EXPECT_EQ(qty.number(), 5.0);
}

TEST(Dialog, WhenFalseShowsNothingAndGivesTwo)
{
    UiScript ui;
    bool initRan = false;
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    dlg.ACTIVATE({.init = [&](TWINDOW&) { initRan = true; }, .when = [] { return false; }});
    EXPECT_EQ(dlg.NRESULT, 2);
    EXPECT_FALSE(initRan);
    EXPECT_FALSE(dlg.LVISIBLE);
    EXPECT_EQ(ui.dialogsShown(), 0);
    EXPECT_EQ(TDIALOG::shownCount(), 0);
}

TEST(Dialog, WideningMultipliesWidthAndLeftEdgesOnly)
{
    UiScript ui;
    QRect narrow, wide, narrowField, wideField;
    DialogUnits units;
    for (bool widen : {false, true}) {
        Value v = std::string(5, ' ');
        TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
        TGET::REDEFINE(101, bindVar(v), dlg);
        ui.next().then([&](TDIALOG& d) {
            (widen ? wide : narrow) = QRect(QPoint(), d.HWND->size());
            (widen ? wideField : narrowField) = test::widgetOf(d, 101)->geometry();
            units = d.units();
            d.forceEnd();
        });
        dlg.ACTIVATE({.resize16 = widen});
    }
    EXPECT_EQ(narrow.width(), units.x(200));
    EXPECT_EQ(wide.width(), int(units.x(200) * 1.16668));
    EXPECT_EQ(wide.height(), narrow.height());
    EXPECT_EQ(wideField.left(), int(units.x(60) * 1.16668));
    EXPECT_EQ(wideField.width(), int(units.x(100) * 1.16668));
    EXPECT_EQ(wideField.top(), narrowField.top());
    EXPECT_EQ(wideField.height(), narrowField.height());
}

TEST(Dialog, ExceptionInAnActionEndsTheDialogsAndLeavesActivate)
{
    UiScript ui;
    ui.next().click(301);                                          // outer: opens the inner dialog
    ui.next().then([](TDIALOG& d) { ITEM(d, 301)->HWND->setFocus(); }).key("Space"); // inner: throws
    TDIALOG outer{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    TDIALOG inner{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    TBUTTON::REDEFINE(301, [](TBUTTON&) { throw Abandon{}; }, inner);
    bool returned = false;
    TBUTTON::REDEFINE(301, [&](TBUTTON&) {
        inner.ACTIVATE({});
        returned = true;
    }, outer);
    EXPECT_THROW(outer.ACTIVATE({}), Abandon);
    EXPECT_FALSE(returned);
    EXPECT_EQ(outer.NRESULT, 2);
    EXPECT_EQ(inner.NRESULT, 2);
    EXPECT_EQ(TDIALOG::shownCount(), 0);
    EXPECT_EQ(ui.dialogsShown(), 2);
}

TEST(Dialog, ItemAndCtlFindControlsOrNothing)
{
    test::uiApp();
    Form f;
    f.bind();
    EXPECT_EQ(ITEM(f.dlg, 103)->CVARNAME, "nPrezzo");
    EXPECT_EQ(ITEM(f.dlg, 999), nullptr);
    EXPECT_EQ(CTL(f.dlg, 1)->NID, 101);
    EXPECT_EQ(CTL(f.dlg, 99), nullptr);
    EXPECT_EQ(CTL(f.dlg, 0), nullptr);
    EXPECT_EQ(CTL(f.dlg, "dD")->NID, 102);
    EXPECT_EQ(CTL(f.dlg, "x"), nullptr);
    EXPECT_EQ(CTL(f.dlg, "cdesc"), nullptr); // case-sensitive
}

TEST(Dialog, IdCounterStartsAt101AndWrapsAfter30000To100)
{
    TCONTROL::resetIdCounter();
    EXPECT_EQ(TCONTROL::nextId(), 101);
    EXPECT_EQ(TCONTROL::nextId(), 102);
    int last = 0;
    for (int i = 103; i <= 30000; ++i) last = TCONTROL::nextId();
    EXPECT_EQ(last, 30000);
    EXPECT_EQ(TCONTROL::nextId(), 100);
    EXPECT_EQ(TCONTROL::nextId(), 101);
    TCONTROL::resetIdCounter();
}

TEST(Dialog, NonModalReturnsAtOnceAndEndsThroughItsValid)
{
    UiScript ui;
    int asked = 0;
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    ui.next().then([](TDIALOG& d) { d.END(1); });
    dlg.ACTIVATE({.valid = [&](TWINDOW&) { return ++asked > 0; }, .modal = false});
    EXPECT_EQ(TDIALOG::shownCount(), 1);
    for (int i = 0; i < 100 && TDIALOG::shownCount() > 0; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(dlg.NRESULT, 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(TDIALOG::shownCount(), 0);
    EXPECT_EQ(dlg.HWND, nullptr);
}
