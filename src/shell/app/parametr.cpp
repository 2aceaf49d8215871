// PARAMETRI: the "Parametri" dialog.
#include "shell/app/commands.h"

namespace velt::shell {

void PARAMETRI() { NOTYETAVAILABLE(); }

} // namespace velt::shell
