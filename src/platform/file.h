#pragma once
// One open file of the data directory: positioned reads and writes, size,
// truncate, fsync, byte-range locks and the share mode of the open.
//
// Locks belong to the handle, never to the process: they are Linux
// open-file-description locks (F_OFD_SETLK), so closing another handle of the
// same file does not release them and two handles of one process conflict
// like two processes do. All lock calls are non-blocking; waiting is the
// caller's policy.
//
// Share modes are emulated with a lock on 1 byte at 2^40 (kShareLockOffset),
// taken without waiting at open: a shared open holds a read lock there, an
// exclusive open (or an open "with sharing denied") a write lock. A conflict
// throws a VeltError with osCode 32 (oscode::SharingViolation), which the
// table layer treats as "in use by another process: wait and retry".
//
// Every failure throws a VeltError naming the file (fileError / diskFull).
#include <cstddef>
#include <cstdint>
#include <string>

namespace velt::platform {

inline constexpr uint64_t kShareLockOffset = uint64_t(1) << 40;

enum class Access { Read, ReadWrite };
// None takes no share lock at all (scratch files nobody else opens).
enum class Share { Shared, Exclusive, None };

class File {
public:
    File() = default;
    ~File();
    File(File&& o) noexcept;
    File& operator=(File&& o) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file. Missing file -> osCode 2, missing directory ->
    // 3, share conflict -> 32.
    static File open(const std::string& path, Access access, Share share);
    // Creates the file (or opens it when it exists) and empties it. The
    // emptying happens under the exclusive share lock whatever `share` is, so
    // a file another handle has open (even shared) is never emptied under it:
    // that create fails with osCode 32. Then the handle keeps `share`.
    static File create(const std::string& path, Share share);

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    Access access() const { return access_; }
    Share share() const { return share_; }
    int fd() const { return fd_; }
    // False on network and user-space file systems (NFS, SMB/CIFS, FUSE,
    // Ceph, 9P), where a shared mapping is not kept coherent with other
    // computers' writes: there the program reads through the lock instead.
    bool onLocalDisk() const;

    // Reads up to n bytes at offset, retrying on EINTR and short reads; fewer
    // bytes than n only at the end of the file. Returns the bytes read.
    size_t readAt(uint64_t offset, void* buf, size_t n) const;
    // Reads exactly n bytes or throws corruptFile (the file is shorter than
    // its own structure says).
    void readExact(uint64_t offset, void* buf, size_t n) const;
    // Writes all n bytes at offset (EINTR, short writes); ENOSPC -> diskFull.
    void writeAt(uint64_t offset, const void* buf, size_t n);

    uint64_t size() const;
    void truncate(uint64_t length);
    void sync();
    // Releases every lock of this handle and closes it. Never throws.
    void close() noexcept;

    // Non-blocking byte-range locks of this handle; false when another handle
    // holds a conflicting lock. A write lock over a range this handle already
    // read-locks converts it. Any other failure throws.
    bool tryReadLock(uint64_t offset, uint64_t length);
    bool tryWriteLock(uint64_t offset, uint64_t length);
    void unlock(uint64_t offset, uint64_t length);

private:
    static File openImpl(const std::string& path, int flags, Access access, Share share, bool truncateAfter);
    bool lockRange(short type, uint64_t offset, uint64_t length);

    int fd_ = -1;
    std::string path_;
    Access access_ = Access::Read;
    Share share_ = Share::None;
};

// A read-only shared mapping of a file's first bytes: reads see what other
// handles and processes write there at once, without a system call (the
// index change counter is read this way at every index lock). The file must
// stay at least that long while mapped. A writable mapping (the file opened
// ReadWrite) puts small stores into the file's pages without a system call:
// only for bytes the file already holds, on a local disk.
class FileMap {
public:
    FileMap() = default;
    FileMap(const File& f, size_t length, bool writable = false);
    ~FileMap();
    FileMap(FileMap&& o) noexcept : p_(o.p_), n_(o.n_) { o.p_ = nullptr, o.n_ = 0; }
    FileMap& operator=(FileMap&& o) noexcept;
    FileMap(const FileMap&) = delete;
    FileMap& operator=(const FileMap&) = delete;
    const unsigned char* data() const { return static_cast<const unsigned char*>(p_); }
    unsigned char* writableData() { return static_cast<unsigned char*>(p_); }  // writable maps only
    size_t size() const { return n_; }

private:
    void* p_ = nullptr;
    size_t n_ = 0;
};

// The program's OS code for an errno value (2 not found, 3 path not found,
// 5 access denied, 19 write-protected, 21 not ready, 32 sharing violation,
// 82 directory full; 0 for "no code").
int osCodeFromErrno(int err);
// Throws the VeltError for errno `err` on `path` during `operation`:
// ENOSPC/EDQUOT -> diskFull, everything else -> fileError(osCodeFromErrno).
[[noreturn]] void throwErrno(int err, const std::string& path, const std::string& operation);

// Sleeps a short while between attempts of a non-blocking lock (a few
// hundred microseconds); used by the short internal waits of the formats.
void shortPause();

} // namespace velt::platform
