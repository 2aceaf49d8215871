#include "data/backup.h"

#include "data/dictionary.h"
#include "data/manutenz.h"
#include "data/notify.h"
#include "data/tables.h"
#include "data/zip.h"
#include "platform/clock.h"
#include "platform/filedialogs.h"
#include "platform/fs.h"
#include "platform/process_exit.h"
#include "platform/wildexp.h"
#include "util/errors.h"

namespace velt::data {

namespace fs = platform::fs;

namespace {

platform::FileDialogRequest zipDialog(bool save, const std::string& title)
{
    platform::FileDialogRequest r;
    r.save = save;
    r.title = title;
    r.startDir = fs::currentDirectory();
    r.filters = {{"File ZIP (*.zip)", {"*.zip"}}};
    return r;
}

std::string withZip(const std::string& name) { return fs::hasExtension(name) ? name : name + ".zip"; }

// Rebuilds USERS.NTX over a restored USERS table; on failure the index is
// deleted and the program ends.
bool reindexUsers()
{
    const TableSpec& users = usersTable();
    if (!fs::exists(tablePath(users.name)))
        return true;
    try {
        TableGuard guard;
        DBSELECTAREA(0);
        DBOPEN(false, users.name, {}, false, false);
        for (const auto& ix : users.indexes)
            ORDBUILD(ix.file, ix.keyText);
        DBCLOSE();
        return true;
    } catch (const VeltError& e) {
        try {
            notifier().error(e);
        } catch (const Abandon&) {
        }
    } catch (const Abandon&) {
    }
    for (const auto& ix : users.indexes)
        try {
            fs::removeFile(indexPath(ix.file));
        } catch (const VeltError&) {
        }
    platform::endProgram(1);
    return false;
}

} // namespace

std::string defaultArchiveName()
{
    std::string date = platform::clock().today().toText(false);
    std::erase(date, '/');
    return "Salvataggio archivi " + fs::baseName(platform::programPath()) + " del " + date + ".zip";
}

std::vector<std::string> backupFiles()
{
    std::vector<std::string> out;
    for (auto& name : platform::WILDEXP({"*.DB?"}))
        if (!name.empty() && name.front() != kTempMark)  // a work file of this program, not data
            out.push_back(std::move(name));
    return out;
}

bool SALVA()
{
    const std::vector<std::string> files = backupFiles();
    platform::FileDialogRequest r = zipDialog(true, "Salvataggio dati");
    r.proposedName = defaultArchiveName();
    const auto chosen = platform::fileDialogs().choose(r);
    if (!chosen)
        return false;
    notifier().showWait("Compressione in corso...");
    const bool ok = ZIP(withZip(*chosen), files);
    notifier().closeWait();
    if (ok)
        notifier().message("Salvataggio completato.");
    return ok;
}

bool RICARICA()
{
    if (!notifier().confirm("Spegnere tutti i terminali.;;Continuo l'operazione?"))
        return false;
    const auto chosen = platform::fileDialogs().choose(zipDialog(false, "Ripristina dati da"));
    if (!chosen)
        return false;
    notifier().showWait("Decompressione in corso...");
    const bool ok = UNZIP(withZip(*chosen));
    notifier().closeWait();
    if (!ok)
        return false;
    MANUTENZIONE(false);
    if (!reindexUsers())
        return false;
    notifier().message("Ripristino completato.");
    return true;
}

} // namespace velt::data
