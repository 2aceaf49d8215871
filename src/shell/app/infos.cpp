// The information box.
#include "shell/app/infos.h"

#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/image.h"
#include "ui/say.h"

namespace velt::shell {

void INFOS(const std::string& title, const std::string& version)
{
    TDIALOG dlg({.resName = "INFOS"});
    TIMAGE::REDEFINE(101, "ORLU", dlg);
    TSAY::REDEFINE(102, [title](TSAY&) -> Value { return title; }, dlg);
    TSAY::REDEFINE(103, [version](TSAY&) -> Value { return "Versione: " + version; }, dlg);
    TBUTTON::REDEFINE(201, [&](TBUTTON&) { dlg.END(1); }, dlg);
    dlg.ACTIVATE({.centered = true});
}

} // namespace velt::shell
