#include "data/zip.h"

#include "data/notify.h"
#include "data/tables.h"
#include "platform/file.h"
#include "platform/fileattr.h"
#include "platform/fs.h"
#include "util/errors.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <vector>

namespace velt::data {

namespace fs = platform::fs;

namespace {

constexpr size_t kBlock = 16 * 1024;

void say(const std::string& text) { notifier().message(text); }

bool driveReady() { return ISREADY(fs::currentDirectory()); }

void removeQuietly(const std::string& file) noexcept
{
    try {
        fs::removeFile(file);
    } catch (const VeltError&) {
    }
}

// Adds one file as an entry; false when the file could not be read (`readFault`)
// or the archive not written.
bool addEntry(zipFile zf, const std::string& file, bool& readFault)
{
    readFault = true;
    zip_fileinfo info {};
    platform::File in;
    try {
        const platform::LocalStamp s = platform::modificationStamp(file);
        info.tmz_date.tm_year = unsigned(s.year);
        info.tmz_date.tm_mon = unsigned(s.month - 1);
        info.tmz_date.tm_mday = unsigned(s.day);
        info.tmz_date.tm_hour = unsigned(s.hour);
        info.tmz_date.tm_min = unsigned(s.minute);
        info.tmz_date.tm_sec = unsigned(s.second);
        info.external_fa = platform::fileAttributes(file);
        in = platform::File::open(file, platform::Access::Read, platform::Share::Shared);
    } catch (const VeltError&) {
        return false;
    }
    const uint64_t size = in.size();
    readFault = false;
    const std::string name = fs::lastComponent(file);
    if (zipOpenNewFileInZip3_64(zf, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                size >= 0xFFFFFFFFull ? 1 : 0) != ZIP_OK)
        return false;
    std::vector<char> buf(kBlock);
    uint64_t pos = 0;
    bool ok = true;
    while (ok && pos < size) {
        size_t n = 0;
        try {
            n = in.readAt(pos, buf.data(), std::min<uint64_t>(kBlock, size - pos));
        } catch (const VeltError&) {
            n = 0;
        }
        if (n == 0) {
            readFault = true;  // the file shrank or a read failed
            ok = false;
            break;
        }
        ok = zipWriteInFileInZip(zf, buf.data(), unsigned(n)) == ZIP_OK;
        pos += n;
    }
    return zipCloseFileInZip(zf) == ZIP_OK && ok;
}

// Writes the current entry of the archive to `target`; false on any fault
// (the target is then removed).
bool extractCurrent(unzFile uf, const std::string& target, const unz_file_info64& info)
{
    if (unzOpenCurrentFile(uf) != UNZ_OK)
        return false;
    bool ok = true;
    try {
        platform::File out = platform::File::create(target, platform::Share::Exclusive);
        std::vector<char> buf(kBlock);
        uint64_t pos = 0;
        for (;;) {
            const int n = unzReadCurrentFile(uf, buf.data(), unsigned(buf.size()));
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            out.writeAt(pos, buf.data(), size_t(n));
            pos += uint64_t(n);
        }
        ok = ok && pos == info.uncompressed_size;
        out.sync();
        out.close();
    } catch (const VeltError&) {
        ok = false;
    }
    // The CRC is checked when the entry is closed.
    ok = unzCloseCurrentFile(uf) == UNZ_OK && ok;
    if (!ok) {
        removeQuietly(target);
        return false;
    }
    try {
        const tm_unz& t = info.tmu_date;
        platform::setModificationStamp(target, {int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday), int(t.tm_hour),
                                                int(t.tm_min), int(t.tm_sec)});
    } catch (const VeltError&) {
        // the file is complete; a time it cannot take is no reason to fail
    }
    return true;
}

struct Entry {
    std::string stored;  // as in the archive
    std::string target;  // bare name in the data directory
};

bool currentEntry(unzFile uf, unz_file_info64& info, std::string& name)
{
    char buf[1024];
    if (unzGetCurrentFileInfo64(uf, &info, buf, sizeof buf, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    name.assign(buf, std::min<size_t>(info.size_filename, sizeof buf - 1));
    return true;
}

} // namespace

std::string entryTargetName(const std::string& entryName)
{
    std::string n = entryName;
    std::replace(n.begin(), n.end(), '\\', '/');
    n = fs::lastComponent(n);
    if (n == "." || n == "..")
        return {};
    return fs::upperLastComponent(n);
}

bool ZIP(const std::string& archive, const std::vector<std::string>& files)
{
    if (!driveReady())
        return false;
    try {
        fs::removeFile(archive);
    } catch (const VeltError&) {
        say("Si è verificato un errore durante la creazione del file;;" + archive);
        return false;
    }
    for (const auto& f : files)
        if (!fs::isRegularFile(f)) {
            say("Impossibile trovare il file;;" + f);
            return false;
        }
    zipFile zf = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
    if (!zf) {
        say("Si è verificato un errore durante la creazione del file;;" + archive);
        return false;
    }
    for (const auto& f : files) {
        bool readFault = false;
        if (!addEntry(zf, f, readFault)) {
            zipClose(zf, nullptr);
            removeQuietly(archive);
            say(readFault ? "Impossibile leggere il file;;" + f
                          : "Si è verificato un errore durante la creazione del file;;" + archive);
            return false;
        }
    }
    if (zipClose(zf, nullptr) != ZIP_OK) {
        removeQuietly(archive);
        say("Si è verificato un errore durante la creazione del file;;" + archive);
        return false;
    }
    return true;
}

bool UNZIP(const std::string& archive)
{
    if (!driveReady())
        return false;
    if (!fs::isRegularFile(archive)) {
        say("Impossibile trovare il file;;" + archive);
        return false;
    }
    const std::string failure = "Si è verificato un errore durante la decompressione del file;;";
    unzFile uf = unzOpen64(archive.c_str());
    if (!uf) {
        say(failure + archive);
        return false;
    }
    struct Closer {
        unzFile uf;
        ~Closer() { unzClose(uf); }
    } closer{uf};

    // First the whole list: nothing is written before every target is known
    // to be free.
    std::vector<Entry> entries;
    unz_file_info64 info {};
    for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK; rc = unzGoToNextFile(uf)) {
        std::string name;
        if (!currentEntry(uf, info, name)) {
            say(failure + archive);
            return false;
        }
        entries.push_back({name, entryTargetName(name)});
    }
    const std::string dataDir = fs::currentDirectory();
    for (const auto& e : entries)
        if (!e.target.empty() && NETUSED(fs::joinPath(dataDir, e.target))) {
            say("Il file " + e.target + " è in uso da un altro terminale.");
            return false;
        }

    size_t i = 0;
    for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK && i < entries.size(); rc = unzGoToNextFile(uf), ++i) {
        const Entry& e = entries[i];
        if (e.target.empty())
            continue;  // a directory entry, or a name that is no file's
        std::string name;
        const std::string target = fs::joinPath(dataDir, e.target);
        const std::string temp = fs::joinPath(dataDir, std::string(1, kTempMark) + "UNZIP.TMP");
        bool ok = currentEntry(uf, info, name) && extractCurrent(uf, temp, info);
        if (ok) {
            try {
                platform::setFileAttributes(temp, unsigned(info.external_fa & 0xFF));
                fs::renameReplace(temp, target);
            } catch (const VeltError&) {
                removeQuietly(temp);
                ok = false;
            }
        }
        if (!ok) {
            say(failure + e.stored);
            return false;
        }
    }
    return true;
}

} // namespace velt::data
