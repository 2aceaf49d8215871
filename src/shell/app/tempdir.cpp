// The private temporary directory and the clean-up of leftovers.
//
// On Windows a running copy's files cannot be deleted; on Linux they can, so
// "in use" is asked of the share locks instead (platform/file.h): the marker
// is held with sharing denied, and a file that someone holds with sharing
// denied refuses our shared probe. The clean-up keeps the marker of the
// directory it removes locked while it deletes, so a copy that is just
// creating a directory of the same name fails to lock its marker and takes a
// fresh name.
#include "shell/app/tempdir.h"

#include "data/tables.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/procid.h"
#include "ui/popmsg.h"
#include "util/errors.h"

#include <functional>
#include <optional>

namespace velt::shell {

namespace fs = platform::fs;
using platform::Access;
using platform::File;
using platform::Share;

namespace {

struct PrivateDir {
    std::string path;   // with the trailing "/"
    File marker;
};

std::optional<PrivateDir>& privateDir()
{
    static std::optional<PrivateDir> d;
    return d;
}

bool startsWithMark(const std::string& name) { return !name.empty() && name[0] == kTempMark; }

// True when another handle holds the file with sharing denied (or it cannot
// be opened at all): such a file "cannot be deleted".
bool heldByOther(const std::string& path)
{
    try {
        File probe = File::open(path, Access::Read, Share::Shared);
        return false;
    } catch (const VeltError& e) {
        return e.osCode() != oscode::FileNotFound; // gone already: nothing holds it
    }
}

// Deletes the plain files of dir except `keep`, in name order; stops at the
// first that is in use or cannot be deleted. Returns that file's path, or ""
// when all went.
std::string deletePlainFiles(const std::string& dir, const std::string& keep, bool subdirectoriesToo)
{
    for (const auto& name : fs::listDirectory(dir)) {
        std::string path = fs::joinPath(dir, name);
        if (name == keep) continue;
        if (fs::isDirectory(path)) {
            if (!subdirectoriesToo) continue;
            try {
                fs::removeTree(path);
            } catch (const VeltError&) {
                return path;
            }
            continue;
        }
        if (heldByOther(path)) return path;
        try {
            fs::removeFile(path);
        } catch (const VeltError&) {
            return path;
        }
    }
    return {};
}

std::function<void(const std::string&)>& afterDirectoryHook()
{
    static std::function<void(const std::string&)> h;
    return h;
}

std::string newDirectoryName() { return GETNEWFNAME() + "_" + std::to_string(platform::processId()); }

} // namespace

std::string GETNEWFNAME()
{
    auto& clk = platform::clock();
    Date day = clk.today();
    long hs = clk.hundredths();
    std::string name = std::string(1, kTempMark) + day.toDtos() + std::to_string(hs);
    while (clk.hundredths() == hs && clk.today() == day) platform::shortPause();
    return name;
}

const std::string& ACS_TEMP()
{
    static const std::string empty;
    return privateDir() ? privateDir()->path : empty;
}

bool privateDirectoryReady() { return privateDir().has_value(); }

void USER()
{
    if (privateDir()) return;
    data::SCREATE();
    const std::string temp = fs::tempDirectory();
    // Another copy's clean-up may remove a directory between its creation and
    // the lock on its marker; a handful of fresh names is plenty.
    for (int attempt = 1;; ++attempt) {
        std::string dir = fs::joinPath(temp, newDirectoryName());
        std::string markerPath = fs::joinPath(dir, kMarkerName);
        try {
            if (!fs::makeDirectory(dir)) continue; // the name is taken: next hundredth
            if (afterDirectoryHook()) afterDirectoryHook()(dir);
            File marker = File::create(markerPath, Share::Exclusive);
            // Locked, but possibly on a marker the clean-up unlinked meanwhile.
            if (!fs::isRegularFile(markerPath)) continue;
            privateDir() = PrivateDir{dir + "/", std::move(marker)};
            data::setPrivateTempDir(privateDir()->path);
            return;
        } catch (const VeltError& e) {
            bool raced = e.osCode() == oscode::FileNotFound || e.osCode() == oscode::PathNotFound ||
                         e.osCode() == oscode::SharingViolation;
            if (!raced || attempt >= 10) throw;
        }
    }
}

void setAfterDirectoryHook(std::function<void(const std::string&)> hook) { afterDirectoryHook() = std::move(hook); }

void removeDataLeftovers(const std::string& dataDir)
{
    std::vector<std::string> names;
    try {
        names = fs::listDirectory(dataDir);
    } catch (const VeltError&) {
        return;
    }
    for (const auto& name : names) {
        if (!startsWithMark(name)) continue;
        std::string path = fs::joinPath(dataDir, name);
        if (!fs::isRegularFile(path) || heldByOther(path)) continue;
        try {
            fs::removeFile(path);
        } catch (const VeltError&) {
            // Left for a later start.
        }
    }
}

void removeTempLeftovers(const std::string& tempDir)
{
    std::vector<std::string> names;
    try {
        names = fs::listDirectory(tempDir);
    } catch (const VeltError&) {
        return;
    }
    for (const auto& name : names) {
        if (!startsWithMark(name)) continue;
        std::string dir = fs::joinPath(tempDir, name);
        if (!fs::isDirectory(dir)) continue;
        if (privateDir() && privateDir()->path == dir + "/") continue;
        try {
            std::string markerPath = fs::joinPath(dir, kMarkerName);
            std::optional<File> marker;
            if (fs::exists(markerPath)) marker = File::open(markerPath, Access::Read, Share::Exclusive);
            if (!deletePlainFiles(dir, kMarkerName, false).empty()) continue;
            if (marker) fs::removeFile(markerPath);
            fs::removeDirectory(dir);
        } catch (const VeltError&) {
            // A running copy's marker, or a file we may not touch: leave it.
        }
    }
}

void removePrivateDirectory()
{
    if (!privateDir()) return;
    PrivateDir d = std::move(*privateDir());
    privateDir().reset();
    data::setPrivateTempDir({});
    std::string dir = d.path.substr(0, d.path.size() - 1);
    // The marker goes while still held, so no other copy's clean-up can take
    // it over between our close and our delete.
    try {
        fs::removeFile(fs::joinPath(dir, kMarkerName));
    } catch (const VeltError&) {
        // Reported below, as the file that could not be deleted.
    }
    d.marker.close();
    std::string failed;
    try {
        failed = deletePlainFiles(dir, {}, true);
    } catch (const VeltError&) {
        failed = dir; // cannot even be listed: reported as the folder below
    }
    if (!failed.empty() && failed != dir) {
        POPMSG("Impossibile cancellare il file " + failed + ".", 1);
        return;
    }
    bool removed = false;
    try {
        removed = fs::removeDirectory(dir) || !fs::exists(dir);
    } catch (const VeltError&) {
        removed = false;
    }
    if (!removed) POPMSG("Impossibile cancellare la cartella " + dir + ".", 1);
}

} // namespace velt::shell
