#include "platform/qt/realservices.h"

#include "platform/process_exit.h"
#include "platform/qt/qtmsgboxes.h"
#include "platform/shellopen.h"
#include "platform/tones.h"

namespace velt::platform {

void installRealServices()
{
    setMessageBoxes(std::make_unique<QtMessageBoxes>());
    setFileDialogs(std::make_unique<QtFileDialogs>());
    setTones(std::make_unique<AlsaTones>());
    setShell(std::make_unique<XdgShell>());
    setProgramEnd(std::make_unique<ExitProgramEnd>());
}

} // namespace velt::platform
