// The system lock: record 1 of the table NET (or of the shared
// installation's central file), locked through slot 65534. It serialises the
// check-and-create of shared files; the error handler releases it before
// every message, so an abandoned operation never keeps it.
#include "data/notify.h"
#include "data/tables.h"
#include "platform/fs.h"
#include "platform/marker.h"
#include "util/errors.h"

namespace velt::data {

namespace fs = platform::fs;

namespace {

// "NET." : the lock table has no extension.
std::string lockTableName()
{
    return platform::isSharedInstall() ? platform::sharedInstallMarker() + "." : std::string("NET.");
}

bool tempDirReady()
{
    const std::string& d = privateTempDir();
    return !d.empty() && fs::isDirectory(d);
}

void installHook()
{
    static bool done = false;
    if (done)
        return;
    setBeforeErrorMessageHook([] { SUNLOCK(); });
    done = true;
}

} // namespace

void SCREATE()
{
    if (fs::exists("NET") || platform::isSharedInstall())
        return;
    DBGEN("NET.", netTable().fields);
    TableGuard guard;
    DBOPEN(true, "NET.", "NET", true, false);
    DBAPP();
    DBUNLOCK();
    DBCLOSE();
}

void SLOCK()
{
    installHook();
    if (!tempDirReady())
        return;
    int was = SELECT();
    if (!areaAt(kSystemLockSlot)) {
        selectSlot(kSystemLockSlot);
        try {
            DBOPEN(false, lockTableName(), "NET", true, false);
        } catch (...) {
            selectSlot(was);
            throw;
        }
    }
    selectSlot(kSystemLockSlot);
    try {
        area().goTo(1);
        DBLOCK(true);
    } catch (...) {
        selectSlot(was);
        throw;
    }
    selectSlot(was);
}

void SUNLOCK()
{
    if (!tempDirReady())
        return;
    closeArea(kSystemLockSlot);
}

bool SLOCKED()
{
    WorkArea* wa = areaAt(kSystemLockSlot);
    return wa && wa->holdsRecordLock(1);
}

// ---------------------------------------------------------------- disks

bool ISREADY(const std::string& path, bool message)
{
    if (path.empty() || fs::isDirectory(path))
        return true;
    SUNLOCK();
    if (message)
        notifier().message("Disco non pronto.");
    return false;
}

bool ISFULL(const std::string& drive, uint64_t bytes)
{
    if (drive.empty())
        return false;
    if (!ISREADY(drive))
        return true;
    if (fs::freeBytes(drive) >= bytes)
        return false;
    SUNLOCK();
    notifier().message("Spazio sul disco insufficiente.");
    return true;
}

} // namespace velt::data
