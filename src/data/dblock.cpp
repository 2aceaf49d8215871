// Locks, appends and deletions, with the wait of a lock another terminal
// holds: 3 seconds of quiet retries, then "Il sistema è momentaneamente
// occupato..." until the lock is granted.
#include "data/notify.h"
#include "data/tables.h"
#include "platform/file.h"
#include "util/errors.h"

#include <chrono>
#include <thread>

namespace velt::data {

namespace {

constexpr const char* kBusy = "Il sistema è momentaneamente occupato...";

// Tries `attempt` until it succeeds: quietly for 3 seconds, then with the
// busy message (the message shown before comes back at the end).
void waitFor(const std::function<bool()>& attempt)
{
    if (attempt())
        return;
    WaitNotice wait;
    wait.remember();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
        if (attempt())
            return;
        platform::shortPause();
    }
    wait.show(kBusy);
    while (!attempt()) {
        notifier().processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

bool DBLOCK(bool record)
{
    WorkArea& wa = area();
    waitFor([&] { return record ? wa.tryLockRecord() : wa.tryLockTable(); });
    return true;
}

void DBAPP()
{
    WorkArea& wa = area();
    WaitNotice keep;
    keep.remember();
    DBLOCK(false);
    waitFor([&] {
        if (!wa.tryAppendLock())
            return false;
        try {
            wa.appendBlank();
        } catch (...) {
            wa.releaseAppendLock();
            throw;
        }
        wa.releaseAppendLock();
        return true;
    });
    // Granted at once: the table lock is held.
    wa.tryLockRecord();
}

void DBDEL(bool commit)
{
    WorkArea& wa = area();
    if (wa.eof())
        return;
    DBLOCK(false);
    const uint32_t here = wa.recno();
    wa.skip(1);
    const uint32_t next = wa.eof() ? 0 : wa.recno();
    wa.goTo(here);
    wa.setDeleted(true);
    if (commit)
        wa.reread();
    wa.goTo(next);  // 0: the end-of-table position
    wa.unlockAll();
}

bool DELREC()
{
    WorkArea& wa = area();
    if (wa.eof()) {
        notifier().tone(440, 55);
        return false;
    }
    if (!notifier().confirm("Confermi la cancellazione?"))
        return false;
    DBDEL();
    return true;
}

void _DBZAP() { area().zap(); }
void DBUNLOCK() { area().unlockAll(); }
void DBCOMMIT() { area().commit(); }
void DBPACK()
{
    WorkArea& wa = area();
    struct Noted {
        std::string path, key;
    };
    std::vector<Noted> orders;
    for (auto& o : wa.orders())
        if (!o.isView)
            orders.push_back({o.path, o.cdx.keyExpression()});
    std::string active = wa.active() ? wa.active()->path : std::string();
    wa.closeOrders();
    wa.pack();
    for (const auto& o : orders)
        ORDBUILD(o.path, o.key);
    int n = 0;
    for (size_t i = 0; i < wa.orders().size(); ++i)
        if (wa.orders()[i].path == active)
            n = int(i) + 1;
    wa.setActiveOrder(n);
    wa.goTop();
}

} // namespace velt::data
