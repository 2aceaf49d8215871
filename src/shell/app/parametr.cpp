// PARAMETRI: the "Parametri" dialog over the label-sheet settings of
// VELT.CFG, edited in the command's own set of settings.
#include "shell/app/commands.h"
#include "shell/config/saveto.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/errorsys.h"
#include "ui/popmsg.h"
#include "ui/tget.h"

#include <array>

namespace velt::shell {

namespace {

struct Field {
    int id;
    const char* setting;
};
// In the dialog's tab order.
constexpr std::array<Field, 5> kFields = {{{101, "CFG_HMARG"},
                                           {102, "CFG_VMARG"},
                                           {103, "CFG_HSTEP"},
                                           {104, "CFG_VSTEP"},
                                           {105, "CFG_DESCR"}}};

// A setting without a number (missing, or written with another type letter)
// shows as 0.
Value numberOf(const std::string& name)
{
    Value v = settingValue(name);
    return v.isNumber() ? v : Value(0.0);
}

// Shows the dialog over `values`; true when it was confirmed.
bool editParameters(std::array<Value, kFields.size()>& values)
{
    TDIALOG dlg({.resName = "PARAMETRI"});
    auto modified = [&](int, int, TWINDOW&) { dlg.LMODIFY = true; };
    for (size_t i = 0; i < kFields.size(); ++i)
        TGET::REDEFINE(kFields[i].id, bindVar(values[i]), dlg, {.picture = "999", .change = modified});
    TBUTTON::REDEFINE(201, [&](TBUTTON&) {
        dlg.CARGO = 1;
        dlg.END(1);
    }, dlg);
    TBUTTON::REDEFINE(202, [&](TBUTTON&) {
        dlg.CARGO = 2;
        dlg.END();
    }, dlg, {}, {}, {}, std::nullopt, true);
    dlg.ACTIVATE({.centered = true, .valid = [&](TWINDOW&) { return __VALID(dlg, true); }});
    return dlg.NRESULT == 1;
}

} // namespace

void PARAMETRI()
{
    CommandSettings own;
    loadSettings();
    std::array<Value, kFields.size()> values;
    for (size_t i = 0; i < kFields.size(); ++i) values[i] = numberOf(kFields[i].setting);
    while (editParameters(values)) {
        for (size_t i = 0; i < kFields.size(); ++i) setSetting(kFields[i].setting, values[i]);
        try {
            SAVEINI("CFG_*");
            return;
        } catch (const VeltError& e) {
            // The file stays as it was; say why before the values come back.
            std::string why = errorMessage(e);
            POPMSG(why.empty() ? "Impossibile scrivere il file " + std::string(kConfigFile) + "." : why, 1);
        }
    }
}

} // namespace velt::shell
