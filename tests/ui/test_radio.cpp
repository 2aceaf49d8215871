// Radio groups: the button of the variable's option is checked on show (0 or
// a non-number means the first), clicks change the option once, a group of
// one ignores clicks, the buttons take part in the checks and whens.
#include "choice_form.h"
#include "support/ui/dialog_script.h"
#include "ui/radio.h"

#include <QRadioButton>

#include <gtest/gtest.h>

using namespace velt;
using velt::test::ChoiceForm;
using velt::test::UiScript;

namespace {

std::vector<bool> checks(TDIALOG& d, std::initializer_list<int> ids)
{
    std::vector<bool> out;
    for (int id : ids) out.push_back(qobject_cast<QRadioButton*>(velt::test::widgetOf(d, id))->isChecked());
    return out;
}

struct Group {
    Value option, single = 1;
    TRADMENU* group = nullptr;
    int changes = 0;
    bool enabled = true;
    std::function<bool(TCONTROL&)> valid;
    ChoiceForm form;

    explicit Group(Value v) : option(std::move(v))
    {
        form.bindControls = [this](ChoiceForm& f) {
            group = TRADMENU::REDEFINE(bindVar(option), f.dlg, {121, 122, 123},
                                       {.change = [this, &f](TRADMENU&) { ++changes; f.dlg.LMODIFY = true; },
                                        .when = [this] { return enabled; }, .valid = valid, .varname = "nOrdine"});
            TRADMENU::REDEFINE(bindVar(single), f.dlg, {131}, {.change = [this](TRADMENU&) { ++changes; }});
        };
    }
};

} // namespace

TEST(Radio, StartsOnTheVariablesOption)
{
    struct Case {
        Value value;
        double stored;
        std::vector<bool> shown;
    } cases[] = {
        {Value(0), 1, {true, false, false}},
        {Value(), 1, {true, false, false}},
        {Value("2"), 1, {true, false, false}},
        {Value(3), 3, {false, false, true}},
    };
    for (const Case& c : cases) {
        UiScript ui;
        Group t{c.value};
        std::vector<bool> shown;
        ui.next().then([&](TDIALOG& d) { shown = checks(d, {121, 122, 123}); }).key("Esc");
        t.form.run();
        EXPECT_EQ(t.option, Value(c.stored));
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(t.group->NOPTION, int(c.stored));
    }
}

TEST(Radio, ClicksChangeTheOptionOnceAndAGroupOfOneIgnoresThem)
{
    UiScript ui;
    Group t{Value(1)};
    std::vector<bool> afterTwo, afterAgain, single;
    ui.next()
        .click(123)
        .click(122).then([&](TDIALOG& d) { afterTwo = checks(d, {121, 122, 123}); })
        .click(122).then([&](TDIALOG& d) { afterAgain = checks(d, {121, 122, 123}); })
        .click(131).then([&](TDIALOG& d) { single = checks(d, {131}); })
        .key("Esc");
    t.form.run();
    EXPECT_EQ(afterTwo, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(afterAgain, afterTwo);
    EXPECT_EQ(single, std::vector<bool>{true});
    EXPECT_EQ(t.option, Value(2));
    EXPECT_EQ(t.single, Value(1));
    EXPECT_EQ(t.changes, 2); // 3, then 2; the repeated click and the lone button change nothing
    EXPECT_TRUE(t.form.dlg.LMODIFY);
}

TEST(Radio, ButtonsAreControlsOfTheDialogWithTheGroupsCallbacks)
{
    UiScript ui;
    Group t{Value(2)};
    t.valid = [](TCONTROL& c) { return c.VARGET() != Value(3); };
    ui.boxes().answer(velt::platform::MsgButton::Ok);
    bool disabledByWhen = false;
    ui.next()
        .click(123)
        .click(201) // option 3 refused by the group's valid callback
        .then([&](TDIALOG& d) {
            EXPECT_EQ(ITEM(d, 122)->className(), std::string("TRADIO"));
            EXPECT_EQ(CTL(d, "nOrd")->NID, 121);
            // While the group's when refuses, its buttons are disabled and
            // never checked.
            t.enabled = false;
            d.evalWhens();
            disabledByWhen = !velt::test::widgetOf(d, 121)->isEnabled();
        })
        .click(201);
    EXPECT_EQ(t.form.run(), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Campo non valido.");
    EXPECT_TRUE(disabledByWhen);
    EXPECT_EQ(t.option, Value(3));
}

TEST(Radio, ArrowKeysMoveThroughTheGroupAndChoose)
{
    UiScript ui;
    Group t{Value(1)};
    std::vector<int> options;
    auto note = [&](TDIALOG&) { options.push_back(int(t.option.number())); };
    ui.next()
        .then([](TDIALOG& d) { ITEM(d, 121)->takeFocus(); })
        .key("Down").then(note).key("Right").then(note).key("Down").then(note).key("Up").then(note)
        .snapshot().key("Esc");
    t.form.run();
    EXPECT_EQ(options, (std::vector<int>{2, 3, 1, 3})); // wrapping both ways
    EXPECT_EQ(ui.snapshots().at(0).focusId, 123);
    EXPECT_EQ(t.changes, 4);
}
