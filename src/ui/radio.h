#pragma once
// TRADMENU and TRADIO: a group of radio buttons bound to a number variable,
// the position (from 1) of the chosen option.
//
//   Value nOrdine = 1;
//   TRADMENU* g = TRADMENU::REDEFINE(bindVar(nOrdine), dlg, {111, 112, 113},
//                                    {.change = [&](TRADMENU&) { dlg.LMODIFY = true; }});
//
// The group is not a window: only its buttons (TRADIO) are controls of the
// dialog, found by ITEM and CTL and taking part in the confirm checks and
// the when callbacks; each carries the group's message, when and valid
// callbacks and variable name. The buttons own the group (the last one to
// go takes it along); the form keeps the pointer REDEFINE returns while the
// dialog lives.
//
// A click on a button that is not the chosen one checks it, unchecks the
// previous one, sets the variable and runs BCHANGE(group); a click on the
// chosen button changes nothing; either way the dialog's when callbacks are
// evaluated again. A group of one button ignores clicks. The arrow keys
// move through the group, choosing the button they reach. A variable that
// does not hold a number, or holds 0, is set to 1 when bound.
#include "ui/control.h"

#include <source_location>
#include <vector>

class QRadioButton;

namespace velt {

class TRADMENU;
class TRADIO;

// REDEFINE arguments after (getset, dialog, ids), in their order.
struct TRadMenuArgs {
    std::function<void(TRADMENU&)> change;   // BCHANGE
    int textColour = -1, backColour = -1;    // -1: the dialog's
    std::string message;                     // CMSG of every button
    WhenBlock when;                          // BWHEN of every button
    std::function<bool(TCONTROL&)> valid;    // CARGO of every button
    std::string varname;                     // CVARNAME of every button
};

class TRADMENU {
public:
    using Args = TRadMenuArgs;
    static TRADMENU* REDEFINE(SetGet getset, TDIALOG& dialog, const std::vector<int>& ids, const Args& a = {},
                              std::source_location where = std::source_location::current());

    SetGet BSETGET;
    std::vector<TRADIO*> AITEMS;             // the buttons, in option order
    std::function<void(TRADMENU&)> BCHANGE;
    int NOPTION = 1;                         // the chosen option, from 1

    Value VARGET() const { return BSETGET ? BSETGET(std::nullopt) : Value(); }
    void VARPUT(const Value& v)
    {
        if (BSETGET) BSETGET(v);
    }
    // Checks the button of the variable's option and unchecks the others.
    void REFRESH();
    // A click on the button at position (from 1).
    void clicked(int position);

private:
    TRADMENU() = default;
};

class TRADIO : public TCONTROL {
public:
    std::shared_ptr<TRADMENU> OGROUP;
    int NPOS = 0;         // position in the group, from 1
    bool LCHECKED = false;

    void CLICK() override;
    void REFRESH() override;
    QRadioButton* button() const;

    const char* className() const override { return "TRADIO"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override;
    // Arrow keys move to the group's previous / next button (wrapping) and
    // choose it, as the platform's dialogs do with their radio groups.
    bool filterKey(QKeyEvent& e) override;

private:
    friend class TRADMENU;
    TRADIO() = default;
    void show(bool checked);
};

} // namespace velt
