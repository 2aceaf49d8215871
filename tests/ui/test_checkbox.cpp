// Check boxes: the variable's value on show, each click (mouse, space,
// mnemonic, code) flips it, marks the dialog modified and re-evaluates the
// when callbacks.
#include "choice_form.h"
#include "support/ui/dialog_script.h"
#include "ui/checkbox.h"
#include "ui/tget.h"

#include <QCheckBox>

#include <gtest/gtest.h>

using namespace velt;
using velt::test::ChoiceForm;
using velt::test::UiScript;

namespace {

struct Boxes {
    Value lista, mostra, note = std::string(5, ' ');
    TCHECKBOX* box = nullptr;
    std::vector<bool> changes;
    ChoiceForm form;

    Boxes(Value l, Value m) : lista(std::move(l)), mostra(std::move(m))
    {
        form.bindControls = [this](ChoiceForm& f) {
            box = TCHECKBOX::REDEFINE(110, bindVar(lista), f.dlg,
                                      {.change = [this, &f](bool v, TCHECKBOX&) {
                                          f.dlg.LMODIFY = true;
                                          changes.push_back(v);
                                      }});
            TCHECKBOX::REDEFINE(111, bindVar(mostra), f.dlg, {.caption = "Mostra &tutto"});
            // The note field is enabled only while "Lista" is ticked.
            TGET::REDEFINE(105, bindVar(note), f.dlg, {.when = [this] { return lista.logical(); }});
        };
    }
};

bool ticked(TDIALOG& d, int id) { return qobject_cast<QCheckBox*>(velt::test::widgetOf(d, id))->isChecked(); }

} // namespace

TEST(CheckBox, ShowsTheVariableAndANonLogicalBecomesFalse)
{
    UiScript ui;
    Boxes t{Value(true), Value("S")};
    bool l = false, m = true;
    ui.next().then([&](TDIALOG& d) { l = ticked(d, 110); m = ticked(d, 111); }).snapshot().key("Esc");
    t.form.run();
    EXPECT_TRUE(l);
    EXPECT_FALSE(m);
    EXPECT_EQ(t.mostra, Value(false));
    EXPECT_EQ(ui.snapshots().at(0).at(111).text, "Mostra &tutto");
    EXPECT_TRUE(ui.snapshots().at(0).at(105).enabled);
}

TEST(CheckBox, EveryKindOfClickFlipsTheValueAndReevaluatesWhens)
{
    UiScript ui;
    Boxes t{Value(false), Value(false)};
    // mouse, space on the focused box, its mnemonic, and CLICK from code
    ui.next()
        .click(110).snapshot()
        .key("Space").snapshot()
        .key("Alt+L").snapshot()
        .then([&](TDIALOG&) { t.box->CLICK(); }).snapshot()
        .key("Esc");
    t.form.run();
    EXPECT_EQ(t.changes, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(t.lista, Value(false));
    ASSERT_EQ(ui.snapshots().size(), 4u);
    const bool expectEnabled[] = {true, false, true, false};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(ui.snapshots()[i].at(105).enabled, expectEnabled[i]) << i;
    // Two clicks restore the value, yet the dialog stays modified.
    EXPECT_TRUE(t.form.dlg.LMODIFY);
}

TEST(CheckBox, RefreshAllShowsAValueChangedInCode)
{
    UiScript ui;
    Boxes t{Value(false), Value(false)};
    bool after = false;
    ui.next().then([&](TDIALOG& d) {
        t.mostra = Value(true);
        REFRESHALL(d);
        after = ticked(d, 111);
    }).key("Esc");
    t.form.run();
    EXPECT_TRUE(after);
    EXPECT_TRUE(t.changes.empty());
}
