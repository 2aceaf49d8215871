#include "data/manutenz.h"

#include "data/dictionary.h"
#include "data/notify.h"
#include "data/tables.h"
#include "data/workarea.h"
#include "platform/fs.h"
#include "util/errors.h"

#include <cstdio>
#include <cstring>

namespace velt::data {

namespace fs = platform::fs;

namespace {

std::string asideDbf(const std::string& tableDbf) { return fs::replaceExtension(tableDbf, ".OLD"); }
std::string asideDbt(const std::string& tableDbf) { return fs::replaceExtension(tableDbf, ".OLM"); }
std::string shown(const std::string& path) { return fs::upperLastComponent(fs::lastComponent(path)); }

// One step of a replacement: the work file `from` becomes `to`.
bool moveIn(const std::string& from, const std::string& to, bool copyOver)
{
    try {
        if (copyOver)
            fs::copyFile(from, to);
        else
            fs::renameReplace(from, to);
        return true;
    } catch (const VeltError&) {
        notifier().message((copyOver ? "Impossibile copiare il file " : "Impossibile rinominare il file ") +
                           shown(from) + " in " + shown(to) + ".");
        return false;
    }
}

// Moves (or, copying, duplicates) the file aside; nothing when it is absent.
void keepAside(const std::string& file, const std::string& aside, bool copyOver)
{
    if (!fs::exists(file))
        return;
    if (copyOver)
        fs::copyFile(file, aside);
    else
        fs::renameReplace(file, aside);
}

// Puts an aside file back in place of `file` (which may hold a half-done new one).
void putBack(const std::string& aside, const std::string& file, bool copyOver)
{
    if (!fs::exists(aside))
        return;
    if (copyOver) {
        fs::copyFile(aside, file);
        fs::removeFile(aside);
    } else {
        fs::renameReplace(aside, file);
    }
}

void removeQuietly(const std::string& file) noexcept
{
    try {
        fs::removeFile(file);
    } catch (const VeltError&) {
    }
}

// Reports a failure through the error handler; its Abandon stops nothing more
// than the work in hand, which the caller ends anyway.
void report(const VeltError& e)
{
    try {
        notifier().error(e);
    } catch (const Abandon&) {
    }
}

} // namespace

void recoverTableFiles(const std::string& tableDbf)
{
    const std::string oldDbf = asideDbf(tableDbf), oldDbt = asideDbt(tableDbf);
    if (!fs::exists(oldDbf)) {
        fs::removeFile(oldDbt);  // the memo went aside, the table not yet: nothing replaced
        return;
    }
    if (fs::exists(tableDbf)) {
        // The new table is in place: the replacement was complete.
        fs::removeFile(oldDbf);
        fs::removeFile(oldDbt);
        return;
    }
    if (fs::exists(oldDbt))
        fs::renameReplace(oldDbt, fs::replaceExtension(tableDbf, kMemoExt));
    fs::renameReplace(oldDbf, tableDbf);
}

bool replaceTableFiles(const std::string& workDbf, const std::string& tableDbf, bool copyOver)
{
    const std::string workDbt = fs::replaceExtension(workDbf, kMemoExt);
    const std::string tableDbt = fs::replaceExtension(tableDbf, kMemoExt);
    const std::string oldDbf = asideDbf(tableDbf), oldDbt = asideDbt(tableDbf);
    const bool newMemo = fs::exists(workDbt);

    bool ok = false;
    try {
        recoverTableFiles(tableDbf);
        keepAside(tableDbt, oldDbt, copyOver);
        keepAside(tableDbf, oldDbf, copyOver);
        // Copying too, the table file goes before the new files come in: a
        // missing table beside its aside copy is what tells the next check to
        // put the old pair back.
        if (copyOver)
            fs::removeFile(tableDbf);
        ok = (!newMemo || moveIn(workDbt, tableDbt, copyOver)) && moveIn(workDbf, tableDbf, copyOver);
        if (ok && !newMemo)
            fs::removeFile(tableDbt);  // only after a copy-over can the old one still be there
    } catch (const VeltError& e) {
        report(e);
        ok = false;
    }
    if (ok) {
        removeQuietly(oldDbf);
        removeQuietly(oldDbt);
    } else {
        // Old files back; a failure here leaves them aside, where the next
        // check finds and restores them.
        try {
            putBack(oldDbt, tableDbt, copyOver);
            putBack(oldDbf, tableDbf, copyOver);
        } catch (const VeltError& e) {
            report(e);
        }
    }
    removeQuietly(workDbf);
    removeQuietly(workDbt);
    return ok;
}

void PACKTABLE()
{
    WorkArea& wa = area();
    if (wa.shared())
        throw reportError("Compattamento di una tabella non esclusiva", wa.path(), "PACK");
    if (!wa.orders().empty())
        wa.closeOrders();
    wa.commit();
    DbfTable& old = wa.table();
    const std::string file = old.path();
    const std::string work = fs::joinPath(fs::parentDirectory(file), std::string(1, kTempMark) + "PACK.DBF");
    const std::vector<FieldDef> defs(old.fields().begin(), old.fields().end());
    std::vector<int> memoFields;
    for (size_t i = 0; i < old.fields().size(); ++i)
        if (old.fields()[i].type == 'M')
            memoFields.push_back(int(i));

    {
        DbfTable out = DbfTable::create(work, defs, Share::Exclusive);
        std::string rec;
        wa.scan([&](uint32_t) {
            const char* src = wa.buffer();
            if (DbfTable::isDeleted(src))
                return;
            rec.assign(src, old.recordLength());
            // Copy the live memos only, as raw bytes, with their new block numbers.
            for (int i : memoFields) {
                const FieldInfo& f = old.fields()[size_t(i)];
                const double blk = DbfTable::parseNumber(old.fieldBytes(src, i));
                uint32_t block = 0;
                if (blk > 0 && blk <= 4294967295.0 && old.memo())
                    block = out.memo()->write(0, old.memo()->read(uint32_t(blk)));
                char buf[16];
                if (block == 0)
                    std::memset(buf, ' ', sizeof buf);
                else
                    std::snprintf(buf, sizeof buf, "%*u", f.width, block);
                std::memcpy(rec.data() + f.offset, buf, size_t(f.width));
            }
            out.appendRecord(rec.data());
        });
        out.flush();
        out.close();
    }
    // The old table stays open (and held) while the packed one takes its
    // place, so no other copy of the program sees anything in between.
    if (!replaceTableFiles(work, file, false))
        throw Abandon{};
    wa.table() = DbfTable::open(file, wa.readOnly() ? Access::Read : Access::ReadWrite, Share::Exclusive);
    wa.goTop();
}

bool MANUTENZIONE(bool interactive)
{
    if (interactive && !notifier().confirm("La manutenzione potrebbe;richiedere del tempo.;Confermi l'operazione?"))
        return false;
    notifier().showWait(interactive ? "Manutenzione degli archivi in corso." : "Ricostruzione degli indici in corso.");
    bool done = true;
    TableGuard guard;
    DBSELECTAREA(0);
    for (const TableSpec& t : catalogue()) {
        bool ok = false;
        try {
            recoverTableFiles(tablePath(t.name));
            DBOPEN(false, t.name, {}, false, false);
            PACKTABLE();
            for (const IndexFile& ix : t.indexes)
                ORDBUILD(ix.file, ix.keyText);
            DBCLOSE();
            ok = true;
        } catch (const VeltError& e) {
            report(e);
        } catch (const Abandon&) {
        }
        if (!ok) {
            try {
                if (USED())
                    DBCLOSE();
            } catch (const VeltError& e) {
                report(e);
            }
            done = false;
            break;
        }
    }
    notifier().closeWait();
    return done;
}

} // namespace velt::data
