// The settings step of MAIN.
#include "shell/app/settings.h"

#include "ui/errorsys.h"

namespace velt::shell {

bool LOADSETTINGS()
{
    return RECOVER([] {
        // SETTINGS: MKCFG, then GETPVPROFSECTION + RESTOREINI into the
        // process-wide set, once the configuration code is part of the
        // program.
    });
}

} // namespace velt::shell
