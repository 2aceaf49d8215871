// Files: share modes between handles and processes, OFD byte-range locks at
// the offsets the tables use, errno mapping, and the directory helpers.
#include "platform/file.h"
#include "platform/fs.h"
#include "util/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

using namespace velt;
using namespace velt::platform;

namespace {

struct Dir {
    std::string path;
    Dir()
    {
        std::string t = fs::tempDirectory() + "/velt_file_XXXXXX";
        path = mkdtemp(t.data());
    }
    ~Dir() { fs::removeTree(path); }
    std::string file(const std::string& n) const { return path + "/" + n; }
};

int osCodeOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const VeltError& e) {
        return e.osCode();
    }
    return -1;
}

// Runs `body` in a forked child and returns its exit code.
int inChild(const std::function<int()>& body)
{
    pid_t p = fork();
    if (p == 0) {
        int rc = 99;
        try {
            rc = body();
        } catch (...) {
        }
        _exit(rc);
    }
    int st = 0;
    waitpid(p, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128;
}

} // namespace

TEST(File, ShareModesConflictAsSharingViolation)
{
    Dir d;
    std::string p = d.file("ARTICOLI.DBF");
    File::create(p, Share::None).writeAt(0, "abc", 3);
    auto open = [&](Access a, Share s) { return [=] { File f = File::open(p, a, s); }; };
    {
        File shared = File::open(p, Access::ReadWrite, Share::Shared);
        File shared2 = File::open(p, Access::Read, Share::Shared);   // shared opens coexist
        EXPECT_EQ(osCodeOf(open(Access::ReadWrite, Share::Exclusive)), oscode::SharingViolation);
        EXPECT_EQ(osCodeOf(open(Access::Read, Share::Exclusive)), oscode::SharingViolation);   // "sharing denied"
        EXPECT_EQ(osCodeOf([&] { File::create(p, Share::Exclusive); }), oscode::SharingViolation);
        EXPECT_EQ(osCodeOf([&] { File::create(p, Share::Shared); }), oscode::SharingViolation);   // never emptied under others
        EXPECT_EQ(shared.size(), 3u);
        // Another process sees the same.
        EXPECT_EQ(inChild([&] { return osCodeOf(open(Access::ReadWrite, Share::Exclusive)); }),
                  oscode::SharingViolation);
    }
    {
        File excl = File::open(p, Access::ReadWrite, Share::Exclusive);
        EXPECT_EQ(osCodeOf(open(Access::Read, Share::Shared)), oscode::SharingViolation);
        EXPECT_EQ(inChild([&] { return osCodeOf(open(Access::Read, Share::Shared)); }), oscode::SharingViolation);
        // The refused create did not empty the file.
        EXPECT_EQ(excl.size(), 3u);
    }
    EXPECT_EQ(osCodeOf(open(Access::ReadWrite, Share::Exclusive)), -1);   // all closed: free again
}

TEST(File, LocksBelongToTheHandleNotTheProcess)
{
    Dir d;
    std::string p = d.file("T.DBF");
    File a = File::create(p, Share::Shared);
    File b = File::open(p, Access::ReadWrite, Share::Shared);
    const uint64_t rec = 4000000000ULL + 17;
    EXPECT_TRUE(a.tryWriteLock(rec, 1));
    EXPECT_FALSE(b.tryWriteLock(rec, 1));             // same process, other handle: conflicts
    EXPECT_FALSE(b.tryWriteLock(4000000001ULL, 294967295ULL));
    EXPECT_TRUE(b.tryWriteLock(rec + 1, 1));
    {
        File c = File::open(p, Access::Read, Share::Shared);
        c.close();                                    // closing another handle keeps a's lock
    }
    EXPECT_FALSE(b.tryWriteLock(rec, 1));
    EXPECT_EQ(inChild([&] {
                  File f = File::open(p, Access::ReadWrite, Share::Shared);
                  return f.tryWriteLock(rec, 1) ? 1 : 0;
              }),
              0);
    a.unlock(rec, 1);
    EXPECT_TRUE(b.tryWriteLock(rec, 1));
    // Read locks share; a write lock waits for all of them.
    EXPECT_TRUE(a.tryReadLock(0x7FFFFFFE, 1));
    File c = File::open(p, Access::Read, Share::Shared);
    EXPECT_TRUE(c.tryReadLock(0x7FFFFFFE, 1));
    EXPECT_FALSE(b.tryWriteLock(0x7FFFFFFE, 1));
    a.close();
    c.close();
    EXPECT_TRUE(b.tryWriteLock(0x7FFFFFFE, 1));
}

TEST(File, ReadsWritesSizeAndTruncate)
{
    Dir d;
    File f = File::create(d.file("X"), Share::Exclusive);
    std::string big(100000, 'q');
    f.writeAt(5, big.data(), big.size());
    EXPECT_EQ(f.size(), 100005u);
    std::string back(big.size(), '\0');
    EXPECT_EQ(f.readAt(5, back.data(), back.size()), big.size());
    EXPECT_EQ(back, big);
    char buf[10];
    EXPECT_EQ(f.readAt(100000, buf, 10), 5u);        // short only at the end
    EXPECT_THROW(f.readExact(100000, buf, 10), VeltError);
    f.truncate(3);
    EXPECT_EQ(f.size(), 3u);
    f.sync();
}

TEST(File, ErrorsCarryTheProgramsCodesAndTheFileName)
{
    Dir d;
    EXPECT_EQ(osCodeOf([&] { File::open(d.file("MISSING.DBF"), Access::Read, Share::Shared); }), oscode::FileNotFound);
    EXPECT_EQ(osCodeOf([&] { File::open(d.file("NODIR/X.DBF"), Access::Read, Share::Shared); }), oscode::PathNotFound);
    EXPECT_EQ(osCodeOf([&] { File::open(d.path, Access::Read, Share::Shared); }), oscode::AccessDenied);
    try {
        File::open(d.file("MISSING.DBF"), Access::Read, Share::None);
        FAIL();
    } catch (const VeltError& e) {
        EXPECT_EQ(e.file(), d.file("MISSING.DBF"));
    }
    struct Map {
        int err, code;
    } maps[] = {{ENOENT, 2}, {ENOTDIR, 3}, {EACCES, 5}, {EPERM, 5}, {EROFS, 19}, {EIO, 21}, {EMFILE, 82}};
    for (auto m : maps) EXPECT_EQ(osCodeFromErrno(m.err), m.code) << m.err;
    try {
        throwErrno(ENOSPC, "F.DBF", "write");
    } catch (const VeltError& e) {
        EXPECT_EQ(e.subCode(), subcode::DiskFull);
        EXPECT_EQ(e.file(), "F.DBF");
    }
}

TEST(Fs, DirectoriesNamesAndTemp)
{
    Dir d;
    fs::makeDirectories(d.file("a/b/c"));
    EXPECT_TRUE(fs::isDirectory(d.file("a/b/c")));
    EXPECT_FALSE(fs::makeDirectory(d.file("a")));
    File::create(d.file("a/b/F1"), Share::None).writeAt(0, "x", 1);
    fs::copyFile(d.file("a/b/F1"), d.file("a/F2"));
    EXPECT_EQ(fs::listDirectory(d.file("a")), (std::vector<std::string>{"F2", "b"}));
    fs::renameReplace(d.file("a/F2"), d.file("a/b/F1"));
    EXPECT_FALSE(fs::exists(d.file("a/F2")));
    EXPECT_TRUE(fs::isRegularFile(d.file("a/b/F1")));
    EXPECT_TRUE(fs::removeTree(d.file("a")));
    EXPECT_FALSE(fs::exists(d.file("a")));
    EXPECT_FALSE(fs::removeFile(d.file("none")));
    EXPECT_GT(fs::freeBytes(d.path), 0u);

    EXPECT_EQ(fs::upperLastComponent("/data/dir/codneg.ntx"), "/data/dir/CODNEG.NTX");
    EXPECT_EQ(fs::withDefaultExtension("dir.x/CODNEG", ".NTX"), "dir.x/CODNEG.NTX");
    EXPECT_EQ(fs::withDefaultExtension("CODNEG.IDX", ".NTX"), "CODNEG.IDX");
    EXPECT_EQ(fs::replaceExtension("a/VARIE.DBF", ".DBT"), "a/VARIE.DBT");
    EXPECT_EQ(fs::baseName("a/b/codneg.ntx"), "codneg");
    EXPECT_EQ(fs::parentDirectory("NET"), "");

    const char* old = std::getenv("TEMP");
    std::string keep = old ? old : "";
    setenv("TEMP", "/var/tmp/", 1);
    EXPECT_EQ(fs::tempDirectory(), "/var/tmp");
    unsetenv("TEMP");
    setenv("TMPDIR", "/x", 1);
    EXPECT_EQ(fs::tempDirectory(), "/x");
    unsetenv("TMPDIR");
    EXPECT_EQ(fs::tempDirectory(), "/tmp");
    if (old) setenv("TEMP", keep.c_str(), 1);
}
