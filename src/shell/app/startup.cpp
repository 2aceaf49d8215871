// Process initialisation and the exit routine.
#include "shell/app/startup.h"

#include "data/tables.h"
#include "platform/process_exit.h"
#include "shell/app/popnotifier.h"
#include "shell/app/tempdir.h"
#include "ui/errorsys.h"
#include "util/date.h"

namespace velt::shell {

void PROCESSINIT(const std::string& dataDir, const std::string& tempDir)
{
    // Failures nobody catches reach DEFERROR through the commands' RECOVER
    // and the event wrapper; the table layer's own messages and failures go
    // to the user through POPMSG and DEFERROR as well.
    installPopMsgNotifier();
    // Table settings: the table layer always hides deleted records, writes
    // ".DBT" memos and upper-case names; the century window starts at 1980.
    Date::setEpoch(1980);
    // Leftovers of earlier runs (ACS_TEMP stays empty until USER).
    removeDataLeftovers(dataDir);
    removeTempLeftovers(tempDir);
    // Once per run: the end of the program runs its routines once.
    static bool registered = false;
    if (!registered) {
        registered = true;
        platform::atProgramEnd([] {
            registered = false;
            EXITROUTINE();
        });
    }
}

void EXITROUTINE()
{
    try {
        data::CLOSEALL();
    } catch (const VeltError& e) {
        // The program is ending: say what failed, and still clean up.
        try {
            DEFERROR(e);
        } catch (...) {
        }
    }
    removePrivateDirectory();
}

} // namespace velt::shell
