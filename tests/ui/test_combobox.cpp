// Combo boxes: filling with the current value, picking, letter search, Esc
// in the open list, confirm checks, SET / REFRESH / REFRESHALL.
#include "choice_form.h"
#include "support/ui/dialog_script.h"
#include "ui/combobox.h"
#include "ui/tget.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace velt;
using velt::test::ChoiceForm;
using velt::test::UiScript;

namespace {

const std::vector<std::string> kSuppliers = {"BIANCHI SRL   ", "BRAMBILLA     ", "ROSSI & C.    ", "VERDI SPA     "};

std::vector<std::string> shownItems(TDIALOG& d, int id)
{
    std::vector<std::string> out;
    auto* cb = qobject_cast<QComboBox*>(velt::test::widgetOf(d, id));
    for (int i = 0; cb && i < cb->count(); ++i) out.push_back(cb->itemText(i).toStdString());
    return out;
}

struct Combo {
    Value supplier;
    TCOMBOBOX* cb = nullptr;
    std::vector<std::string> changes;
    std::function<bool(TCONTROL&)> valid;
    ChoiceForm form;

    explicit Combo(Value v) : supplier(std::move(v))
    {
        form.bindControls = [this](ChoiceForm& f) {
            cb = TCOMBOBOX::REDEFINE(101, bindVar(supplier), f.dlg,
                                     {.items = kSuppliers, .valid = valid,
                                      .change = [this, &f](TCOMBOBOX&, const Value& v) {
                                          f.dlg.LMODIFY = true;
                                          changes.push_back(v.text());
                                      },
                                      .varname = "cFornitore"});
        };
    }
};

} // namespace

TEST(ComboBox, ListAlwaysHoldsTheValueAsFirstEntryWhenItIsNotAnItem)
{
    struct Case {
        std::string value;
        std::vector<std::string> expected;
        int selected; // 0-based
    } cases[] = {
        // A new record with a blank supplier: an empty first entry, selected.
        {std::string(30, ' '), {"", "BIANCHI SRL   ", "BRAMBILLA     ", "ROSSI & C.    ", "VERDI SPA     "}, 0},
        // A supplier no longer in the table still shows, first.
        {"NERI GIUSEPPE", {"NERI GIUSEPPE", "BIANCHI SRL   ", "BRAMBILLA     ", "ROSSI & C.    ", "VERDI SPA     "}, 0},
        // A value among the items (blanks do not count) is just selected.
        {"ROSSI & C.                    ", {"BIANCHI SRL   ", "BRAMBILLA     ", "ROSSI & C.    ", "VERDI SPA     "}, 2},
    };
    for (const Case& c : cases) {
        UiScript ui;
        Combo t{Value(c.value)};
        std::vector<std::string> items;
        int current = -1;
        ui.next().then([&](TDIALOG& d) {
            items = shownItems(d, 101);
            current = t.cb->combo()->currentIndex();
        }).key("Esc");
        t.form.run();
        EXPECT_EQ(items, c.expected) << c.value;
        EXPECT_EQ(current, c.selected) << c.value;
        EXPECT_TRUE(t.changes.empty());
        EXPECT_FALSE(t.form.dlg.LMODIFY);
    }
}

TEST(ComboBox, PickingStoresTheItemWithoutTrailingBlanksAndRunsTheChange)
{
    UiScript ui;
    Combo t{Value(std::string(30, ' '))};
    // Down picks the next entry; a letter picks the next item that begins
    // with it, from the one shown; a letter no item begins with does nothing.
    ui.next().then([](TDIALOG& d) { velt::test::widgetOf(d, 101)->setFocus(); })
        .key("Down").key("B").key("R").key("X").click(201);
    EXPECT_EQ(t.form.run(), 1);
    EXPECT_EQ(t.changes, (std::vector<std::string>{"BIANCHI SRL", "BRAMBILLA", "ROSSI & C."}));
    EXPECT_EQ(t.supplier, Value("ROSSI & C."));
    EXPECT_TRUE(t.form.dlg.LMODIFY);
}

TEST(ComboBox, PickingTheEntryShownChangesNothing)
{
    UiScript ui;
    Combo t{Value("VERDI SPA")};
    ui.next().then([&](TDIALOG&) { t.cb->pick(4); }).key("Esc");
    t.form.run();
    EXPECT_TRUE(t.changes.empty());
    EXPECT_EQ(t.supplier, Value("VERDI SPA"));
}

TEST(ComboBox, EscInTheOpenListOnlyClosesTheList)
{
    UiScript ui;
    Combo t{Value("BRAMBILLA")};
    bool openBefore = false, openAfter = true, endedAfter = true;
    ui.next()
        .then([&](TDIALOG& d) {
            QComboBox* cb = t.cb->combo();
            cb->setFocus();
            cb->showPopup();
            QTest::qWait(50);
            openBefore = cb->view()->isVisible();
            QWidget* popup = QApplication::activePopupWidget();
            QTest::keyClick(popup ? popup : cb->view(), Qt::Key_Escape);
            QTest::qWait(50);
            openAfter = cb->view()->isVisible();
            endedAfter = d.ended();
        })
        .key("Esc");
    EXPECT_EQ(t.form.run(), 2);
    EXPECT_TRUE(openBefore);
    EXPECT_FALSE(openAfter);
    EXPECT_FALSE(endedAfter);
    EXPECT_EQ(t.supplier, Value("BRAMBILLA"));
}

TEST(ComboBox, ConfirmWritesTheShownTextThenRunsTheValidCallback)
{
    UiScript ui;
    Combo t{Value(std::string(30, ' '))};
    t.valid = [](TCONTROL& c) { return !c.VARGET().text().empty(); };
    ui.boxes().answer(velt::platform::MsgButton::Ok);
    int focusAfterRefusal = 0;
    Value beforePick;
    ui.next()
        .click(201) // empty value: refused
        .then([&](TDIALOG& d) {
            focusAfterRefusal = d.focusedControl() ? d.focusedControl()->NID : 0;
            // The variable is changed behind the box's back; confirming
            // writes what the box shows.
            t.supplier = Value("SOMETHING ELSE");
            t.cb->SELECT(3);
        })
        .click(201);
    EXPECT_EQ(t.form.run(), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Campo non valido.");
    EXPECT_EQ(focusAfterRefusal, 101);
    EXPECT_EQ(t.supplier, Value("BRAMBILLA"));
}

TEST(ComboBox, SetRefreshAndRefreshAll)
{
    UiScript ui;
    Combo t{Value("BIANCHI SRL")};
    std::vector<std::string> afterSet, afterRefreshAll;
    std::string shownWhileFocused, shownUnfocused;
    ui.next()
        .then([&](TDIALOG& d) {
            t.cb->SET("GIALLI");      // missing: inserted first and selected
            t.cb->SET("VERDI SPA ");  // present: selected
            afterSet = shownItems(d, 101);
            EXPECT_EQ(t.cb->GETTEXT(), "VERDI SPA     ");
            // REFRESHALL leaves a focused combo box alone ...
            t.cb->combo()->setFocus();
            t.cb->takeFocus();
            t.supplier = Value("BRAMBILLA");
            REFRESHALL(d);
            shownWhileFocused = t.cb->GETTEXT();
            // ... and reselects it from its value otherwise.
            velt::test::widgetOf(d, 105)->setFocus();
            QApplication::processEvents();
            REFRESHALL(d);
            shownUnfocused = t.cb->GETTEXT();
            t.cb->SETITEMS({"UNO", "DUE"});
            afterRefreshAll = shownItems(d, 101);
        })
        .key("Esc");
    // Edit field 105 needs a binding to take the focus.
    Value note = std::string(5, ' ');
    auto inner = t.form.bindControls;
    t.form.bindControls = [&](ChoiceForm& f) {
        inner(f);
        TGET::REDEFINE(105, bindVar(note), f.dlg);
    };
    t.form.run();
    EXPECT_EQ(afterSet, (std::vector<std::string>{"GIALLI", "BIANCHI SRL   ", "BRAMBILLA     ", "ROSSI & C.    ",
                                                  "VERDI SPA     "}));
    EXPECT_EQ(shownWhileFocused, "VERDI SPA     ");
    EXPECT_EQ(shownUnfocused, "BRAMBILLA     ");
    EXPECT_EQ(afterRefreshAll, (std::vector<std::string>{"BRAMBILLA", "UNO", "DUE"}));
    EXPECT_TRUE(t.changes.empty()); // code never runs the change callback
}
