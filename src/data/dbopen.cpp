// Slots, file names, opening (with its endless wait), closing and creating.
#include "data/notify.h"
#include "data/tables.h"
#include "platform/fs.h"
#include "util/errors.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

namespace velt::data {

namespace fs = platform::fs;

namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string normalise(const std::string& name, const char* ext)
{
    std::string p = fs::withDefaultExtension(name, ext);
    if (!p.empty() && p.back() == '.')
        p.pop_back();  // a trailing "." names a file without extension
    return fs::upperLastComponent(p);
}

std::string& tempDir()
{
    static std::string d;
    return d;
}

} // namespace

namespace {
void closeSlot(int slot);
}

// ---------------------------------------------------------------- paths

void setPrivateTempDir(const std::string& dir) { tempDir() = dir; }
const std::string& privateTempDir() { return tempDir(); }

std::string tablePath(const std::string& name) { return normalise(name, ".DBF"); }

std::string indexPath(const std::string& name)
{
    std::string p = normalise(name, ".NTX");
    if (!p.empty() && p.front() != '/')
        p = fs::joinPath(fs::currentDirectory(), p);
    return p;
}

std::string viewPath(int slot)
{
    const std::string& dir = privateTempDir();
    return dir.empty() ? viewFileName(slot) : fs::joinPath(dir, viewFileName(slot));
}

// ---------------------------------------------------------------- slots

int SELECT() { return currentSlot(); }
int SELECT(const std::string& alias) { return slotOfAlias(alias); }
void DBSELECTAREA(int slot) { selectSlot(slot); }

void DBSELECTAREA(const std::string& alias)
{
    int n = slotOfAlias(alias);
    if (n == 0)
        throw reportError("Alias inesistente: " + alias, {}, "DBSELECTAREA");
    selectSlot(n);
}

bool USED() { return currentArea() != nullptr; }
std::string ALIAS() { return currentArea() ? currentArea()->alias() : std::string(); }

TableGuard::TableGuard() : slot_(currentSlot()), before_(openSlots()), unwinding_(std::uncaught_exceptions()) {}

TableGuard::~TableGuard() noexcept(false)
{
    std::exception_ptr first;
    for (int n : openSlots()) {
        if (n == kSystemLockSlot || std::binary_search(before_.begin(), before_.end(), n))
            continue;
        try {
            closeSlot(n);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    selectSlot(slot_);
    // While unwinding from another failure the tables are closed all the same
    // (closeArea drops them before committing) and that failure goes on; a
    // failed close found on a normal exit is reported.
    if (first && std::uncaught_exceptions() == unwinding_)
        std::rethrow_exception(first);
}

// ---------------------------------------------------------------- open

void DBOPEN(bool newSlot, const std::string& file, const std::string& alias, bool shared, bool readOnly)
{
    std::string path = tablePath(file);
    std::string name = upper(alias.empty() ? fs::baseName(path) : alias);
    int slot = newSlot ? lowestFreeSlot() : currentSlot();
    closeArea(slot);
    int other = slotOfAlias(name);
    if (other != 0)
        throw reportError("Alias già in uso: " + name, path, "DBOPEN");

    WaitNotice wait;
    wait.remember();
    DbfTable table;
    for (;;) {
        try {
            table = DbfTable::open(path, readOnly ? Access::Read : Access::ReadWrite,
                                   shared ? Share::Shared : Share::Exclusive);
            break;
        } catch (const VeltError& e) {
            if (e.osCode() != oscode::SharingViolation)
                throw;
        }
        if (!wait.shown()) {
            if (shared)
                wait.show("E' in corso un'operazione di sistema...", {}, true);
            else
                wait.show("Spegnere tutti i terminali...", "Attenzione", true);
        }
        notifier().processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    wait.end();
    placeArea(slot, std::make_unique<WorkArea>(slot, name, std::move(table), shared, readOnly));
    selectSlot(slot);
}

// ---------------------------------------------------------------- close

namespace {

void removeQuietly(const std::string& path)
{
    try {
        fs::removeFile(path);
    } catch (const VeltError&) {
        // A leftover view file is removed with the private directory at the
        // next start; it must not stop a close.
    }
}

void closeSlot(int slot)
{
    WorkArea* wa = areaAt(slot);
    if (!wa)
        return;
    std::vector<std::string> views;
    for (auto& o : wa->orders())
        if (o.isView)
            views.push_back(o.path);
    views.push_back(viewPath(slot));
    try {
        closeArea(slot);
    } catch (...) {
        for (auto& v : views)
            removeQuietly(v);
        throw;
    }
    for (auto& v : views)
        removeQuietly(v);
}

} // namespace

void DBCLOSE(const std::string& alias)
{
    int prev = currentSlot();
    int slot = alias.empty() ? prev : slotOfAlias(alias);
    if (slot == 0)
        return;
    closeSlot(slot);
    selectSlot(prev);
}

void CLOSEALL()
{
    std::exception_ptr first;
    for (int n : openSlots()) {
        try {
            closeSlot(n);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    selectSlot(1);
    std::string dir = privateTempDir().empty() ? fs::currentDirectory() : privateTempDir();
    try {
        std::string mark = std::string(1, kTempMark) + "VIEW";
        for (const auto& n : fs::listDirectory(dir))
            if (n.compare(0, mark.size(), mark) == 0 && n.size() > 4 && n.compare(n.size() - 4, 4, ".NTX") == 0)
                removeQuietly(fs::joinPath(dir, n));
    } catch (const VeltError&) {
        // The directory is gone: nothing left to remove.
    }
    if (first)
        std::rethrow_exception(first);
}

// ---------------------------------------------------------------- create, in use

void DBGEN(const std::string& file, const Structure& structure)
{
    std::string path = tablePath(file);
    std::string dir = fs::parentDirectory(path);
    if (ISFULL(dir.empty() ? std::string(".") : dir))
        throw Abandon{};
    DbfTable t = DbfTable::create(path, structure, Share::Exclusive);
    t.close();
}

bool NETUSED(const std::string& file)
{
    std::string path = tablePath(file);
    if (!fs::exists(path))
        return false;
    try {
        platform::File f = platform::File::open(path, Access::Read, Share::Exclusive);
        f.close();
        return false;
    } catch (const VeltError& e) {
        if (e.osCode() == oscode::SharingViolation)
            return true;
        throw;
    }
}

} // namespace velt::data
