// The settings step of MAIN.
#include "shell/app/settings.h"

#include "shell/config/saveto.h"
#include "ui/errorsys.h"

namespace velt::shell {

bool LOADSETTINGS()
{
    return RECOVER([] {
        MKCFG();
        loadSettings();
    });
}

} // namespace velt::shell
