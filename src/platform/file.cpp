#include "platform/file.h"

#include "util/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

namespace velt::platform {

int osCodeFromErrno(int err)
{
    switch (err) {
    case ENOENT: return oscode::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return oscode::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return oscode::AccessDenied;
    case EROFS: return oscode::WriteProtected;
    case EIO:
    case ENXIO:
    case ENODEV:
    case ESTALE: return oscode::NotReady;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY: return oscode::SharingViolation;
    case EMFILE:
    case ENFILE:
    case EMLINK: return oscode::DirectoryFull;
    default: return oscode::BadMedium;
    }
}

void throwErrno(int err, const std::string& path, const std::string& operation)
{
    if (err == ENOSPC || err == EDQUOT || err == EFBIG) throw diskFull(path);
    throw fileError(osCodeFromErrno(err), path, operation);
}

void shortPause()
{
    timespec ts{0, 300 * 1000};
    nanosleep(&ts, nullptr);
}

File::~File() { close(); }

File::File(File&& o) noexcept : fd_(o.fd_), path_(std::move(o.path_)), access_(o.access_), share_(o.share_)
{
    o.fd_ = -1;
}

File& File::operator=(File&& o) noexcept
{
    if (this != &o) {
        close();
        fd_ = o.fd_;
        path_ = std::move(o.path_);
        access_ = o.access_;
        share_ = o.share_;
        o.fd_ = -1;
    }
    return *this;
}

File File::openImpl(const std::string& path, int flags, Access access, Share share, bool truncateAfter)
{
    auto tryOpen = [&](int fl) {
        int fd;
        do {
            fd = ::open(path.c_str(), fl | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        return fd;
    };
    // A write lock needs a descriptor open for writing: a read-only open
    // "with sharing denied" opens read/write when it may, and falls back to
    // a read lock where the file cannot be written at all.
    bool writeShare = share == Share::Exclusive;
    int fd = tryOpen(access == Access::Read && writeShare ? O_RDWR : flags);
    if (fd < 0 && access == Access::Read && writeShare && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        fd = tryOpen(flags);
        writeShare = false;
    }
    if (fd < 0) {
        int err = errno;
        // A missing directory on the way reads as "path not found".
        if (err == ENOENT) {
            auto slash = path.rfind('/');
            if (slash != std::string::npos && slash > 0) {
                struct stat st;
                if (::stat(path.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                    throw fileError(oscode::PathNotFound, path, "open");
            }
        }
        throwErrno(err, path, "open");
    }
    File f;
    f.fd_ = fd;
    f.path_ = path;
    f.access_ = access;
    f.share_ = share;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) throw fileError(oscode::AccessDenied, path, "open");
    if (truncateAfter) {
        // Emptying a file is only safe when no other handle has it open,
        // whatever share mode the new handle then keeps.
        if (!f.tryWriteLock(kShareLockOffset, 1)) throw fileError(oscode::SharingViolation, path, "create");
        f.truncate(0);
        if (share == Share::Shared) f.tryReadLock(kShareLockOffset, 1);   // converts, never refused
        else if (share == Share::None) f.unlock(kShareLockOffset, 1);
        return f;
    }
    if (share != Share::None) {
        bool ok = writeShare ? f.tryWriteLock(kShareLockOffset, 1) : f.tryReadLock(kShareLockOffset, 1);
        if (!ok) throw fileError(oscode::SharingViolation, path, "open");
    }
    return f;
}

File File::open(const std::string& path, Access access, Share share)
{
    return openImpl(path, access == Access::Read ? O_RDONLY : O_RDWR, access, share, false);
}

File File::create(const std::string& path, Share share)
{
    return openImpl(path, O_RDWR | O_CREAT, Access::ReadWrite, share, true);
}

size_t File::readAt(uint64_t offset, void* buf, size_t n) const
{
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, off_t(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno, path_, "read");
        }
        if (r == 0) break;
        done += size_t(r);
    }
    return done;
}

void File::readExact(uint64_t offset, void* buf, size_t n) const
{
    if (readAt(offset, buf, n) != n) throw corruptFile(path_, "file shorter than its structure");
}

void File::writeAt(uint64_t offset, const void* buf, size_t n)
{
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t r = ::pwrite(fd_, p + done, n - done, off_t(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno, path_, "write");
        }
        if (r == 0) throw diskFull(path_);
        done += size_t(r);
    }
}

uint64_t File::size() const
{
    struct stat st;
    if (::fstat(fd_, &st) != 0) throwErrno(errno, path_, "stat");
    return uint64_t(st.st_size);
}

void File::truncate(uint64_t length)
{
    int r;
    do {
        r = ::ftruncate(fd_, off_t(length));
    } while (r != 0 && errno == EINTR);
    if (r != 0) throwErrno(errno, path_, "truncate");
}

void File::sync()
{
    if (::fsync(fd_) != 0 && errno != EINVAL) throwErrno(errno, path_, "sync");
}

void File::close() noexcept
{
    if (fd_ >= 0) ::close(fd_);   // closing the description releases its OFD locks
    fd_ = -1;
}

bool File::lockRange(short type, uint64_t offset, uint64_t length)
{
    struct flock fl{};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(length);
    fl.l_pid = 0;
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return false;
        throwErrno(errno, path_, "lock");
    }
}

bool File::tryReadLock(uint64_t offset, uint64_t length) { return lockRange(F_RDLCK, offset, length); }
bool File::tryWriteLock(uint64_t offset, uint64_t length) { return lockRange(F_WRLCK, offset, length); }
void File::unlock(uint64_t offset, uint64_t length) { lockRange(F_UNLCK, offset, length); }

bool File::onLocalDisk() const
{
    struct statfs st {};
    if (::fstatfs(fd_, &st) != 0) return false;
    switch (static_cast<unsigned long>(st.f_type)) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x65735546UL:  // FUSE
    case 0x00C36400UL:  // Ceph
    case 0x01021997UL:  // 9P
    case 0x47504653UL:  // GPFS
    case 0x6B414653UL:  // AFS
        return false;
    default:
        return true;
    }
}

FileMap::FileMap(const File& f, size_t length, bool writable)
{
    void* p = ::mmap(nullptr, length, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, f.fd(), 0);
    if (p == MAP_FAILED) throwErrno(errno, f.path(), "map");
    p_ = p;
    n_ = length;
}

FileMap::~FileMap()
{
    if (p_) ::munmap(p_, n_);
}

FileMap& FileMap::operator=(FileMap&& o) noexcept
{
    if (this != &o) {
        if (p_) ::munmap(p_, n_);
        p_ = o.p_;
        n_ = o.n_;
        o.p_ = nullptr;
        o.n_ = 0;
    }
    return *this;
}

} // namespace velt::platform
