// The running process's identifier.
#include "platform/procid.h"

#include <unistd.h>

namespace velt::platform {
long processId() { return static_cast<long>(::getpid()); }
} // namespace velt::platform
