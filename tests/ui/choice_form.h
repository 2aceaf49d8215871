#pragma once
// The test form over the CHOICE template, shared by the tests of the choice
// controls: supplier list 101, printer list 102, check boxes 110 and 111, a
// radio group 121..123, a one-button group 131, an edit field 105 enabled
// only while check box 110 is ticked, "Conferma" 201, "Annulla" 202. Each
// test binds what it needs through the hooks before run().
#include "ui/button.h"
#include "ui/dialog.h"

#include <functional>

namespace velt::test {

struct ChoiceForm {
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "CHOICE"}};
    std::function<void(ChoiceForm&)> bindControls;
    bool ask = false;

    int run()
    {
        if (bindControls) bindControls(*this);
        TBUTTON::REDEFINE(201, [this](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
        TBUTTON::REDEFINE(202, [this](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
        dlg.ACTIVATE({.centered = true, .valid = [this](TWINDOW&) { return __VALID(dlg, ask); }, .resize16 = true});
        return dlg.NRESULT;
    }
};

} // namespace velt::test
