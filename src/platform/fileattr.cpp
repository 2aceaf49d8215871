#include "platform/fileattr.h"

#include "platform/file.h"
#include "platform/fs.h"
#include "util/errors.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace velt::platform {

namespace {
struct stat statOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw fileError(osCodeFromErrno(errno), path, "stat");
    return st;
}
} // namespace

LocalStamp modificationStamp(const std::string& path)
{
    const struct stat st = statOf(path);
    std::tm tm {};
    const time_t t = st.st_mtime;
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void setModificationStamp(const std::string& path, const LocalStamp& s)
{
    std::tm tm {};
    tm.tm_year = s.year - 1900;
    tm.tm_mon = s.month - 1;
    tm.tm_mday = s.day;
    tm.tm_hour = s.hour;
    tm.tm_min = s.minute;
    tm.tm_sec = s.second;
    tm.tm_isdst = -1;
    const time_t t = std::mktime(&tm);
    if (t == time_t(-1))
        return;  // not a representable time: the file keeps its own
    struct timespec times[2];
    times[0].tv_sec = t;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw fileError(osCodeFromErrno(errno), path, "utimensat");
}

unsigned fileAttributes(const std::string& path)
{
    const struct stat st = statOf(path);
    unsigned a = kAttrArchive;
    if (!(st.st_mode & S_IWUSR))
        a |= kAttrReadOnly;
    if (fs::lastComponent(path).starts_with("."))
        a |= kAttrHidden;
    return a;
}

void setFileAttributes(const std::string& path, unsigned attributes)
{
    const struct stat st = statOf(path);
    mode_t mode = st.st_mode & 07777;
    if (attributes & kAttrReadOnly)
        mode &= mode_t(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(path.c_str(), mode) != 0)
        throw fileError(osCodeFromErrno(errno), path, "chmod");
}

} // namespace velt::platform
