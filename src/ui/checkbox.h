#pragma once
// TCHECKBOX: a check box bound to a logical variable.
//
//   Value lStampa = false;
//   TCHECKBOX::REDEFINE(110, bindVar(lStampa), dlg,
//                       {.change = [&](bool, TCHECKBOX&) { dlg.LMODIFY = true; }});
//
// Each click (mouse, space, its mnemonic, or CLICK from code) sets the
// variable to the opposite of its value, shows it, runs BCHANGE(new value,
// check box) and re-evaluates the dialog's when callbacks. A variable that
// does not hold a logical is set to false when bound. The dialog owns the
// control.
#include "ui/control.h"

#include <source_location>

class QCheckBox;

namespace velt {

class TCHECKBOX;

// REDEFINE arguments after (id, getset), in their order.
struct TCheckArgs {
    std::function<void(bool, TCHECKBOX&)> change;   // BCHANGE
    std::function<bool(TCONTROL&)> valid;           // stored in CARGO
    int textColour = -1, backColour = -1;           // -1: the dialog's
    std::string message;                            // CMSG
    WhenBlock when;
    std::optional<std::string> caption;             // replaces the template text
    std::string varname;                            // CVARNAME
};

class TCHECKBOX : public TCONTROL {
public:
    using Args = TCheckArgs;
    static TCHECKBOX* REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a = {},
                               std::source_location where = std::source_location::current());

    std::function<void(bool, TCHECKBOX&)> BCHANGE; // hides TCONTROL's

    void CLICK() override;
    // Shows the variable's value.
    void REFRESH() override;
    bool checked() const;
    QCheckBox* box() const;

    const char* className() const override { return "TCHECKBOX"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override { REFRESH(); }

protected:
    void applyCaption() override;

private:
    TCHECKBOX() = default;
};

} // namespace velt
