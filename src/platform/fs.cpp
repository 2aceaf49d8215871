#include "platform/fs.h"

#include "platform/file.h"
#include "util/errors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace velt::platform::fs {

namespace {
bool statOf(const std::string& path, struct stat& st) { return ::lstat(path.c_str(), &st) == 0; }
} // namespace

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 || statOf(path, st);
}

bool isDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    throwErrno(errno, path, "delete");
}

void renameReplace(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0) throwErrno(errno, from, "rename");
}

void copyFile(const std::string& from, const std::string& to)
{
    File in = File::open(from, Access::Read, Share::None);
    std::string tmp = to + ".~cp";
    {
        File out = File::create(tmp, Share::None);
        try {
            std::string buf(1 << 16, '\0');
            uint64_t off = 0;
            for (;;) {
                size_t n = in.readAt(off, buf.data(), buf.size());
                if (n == 0) break;
                out.writeAt(off, buf.data(), n);
                off += n;
            }
            out.sync();
        } catch (...) {
            out.close();
            ::unlink(tmp.c_str());
            throw;
        }
    }
    try {
        renameReplace(tmp, to);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
}

bool makeDirectory(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    if (errno == EEXIST && isDirectory(path)) return false;
    throwErrno(errno, path, "mkdir");
}

void makeDirectories(const std::string& path)
{
    if (path.empty() || isDirectory(path)) return;
    std::string parent = parentDirectory(path);
    if (!parent.empty() && parent != path) makeDirectories(parent);
    makeDirectory(path);
}

bool removeDirectory(const std::string& path)
{
    if (::rmdir(path.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    throwErrno(errno, path, "rmdir");
}

bool removeTree(const std::string& path)
{
    struct stat st;
    if (!statOf(path, st)) return false;
    if (!S_ISDIR(st.st_mode)) return removeFile(path);
    for (const auto& name : listDirectory(path)) removeTree(joinPath(path, name));
    return removeDirectory(path);
}

std::vector<std::string> listDirectory(const std::string& path)
{
    DIR* d = ::opendir(path.c_str());
    if (!d) throwErrno(errno, path, "list");
    std::vector<std::string> names;
    errno = 0;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(std::move(n));
    }
    int err = errno;
    ::closedir(d);
    if (err != 0) throwErrno(err, path, "list");
    std::sort(names.begin(), names.end());
    return names;
}

uint64_t freeBytes(const std::string& path)
{
    struct statvfs sv;
    if (::statvfs(path.empty() ? "." : path.c_str(), &sv) != 0) throwErrno(errno, path, "free space");
    return uint64_t(sv.f_bavail) * uint64_t(sv.f_frsize);
}

std::string tempDirectory()
{
    for (const char* var : {"TEMP", "TMPDIR"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            std::string s = v;
            while (s.size() > 1 && s.back() == '/') s.pop_back();
            return s;
        }
    }
    return "/tmp";
}

std::string currentDirectory()
{
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) throwErrno(errno, ".", "getcwd");
    return buf;
}

std::string lastComponent(const std::string& path)
{
    auto p = path.rfind('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string parentDirectory(const std::string& path)
{
    auto p = path.rfind('/');
    if (p == std::string::npos) return {};
    if (p == 0) return "/";
    return path.substr(0, p);
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string upperLastComponent(const std::string& path)
{
    auto p = path.rfind('/');
    size_t from = p == std::string::npos ? 0 : p + 1;
    std::string s = path;
    for (size_t i = from; i < s.size(); ++i)
        if (s[i] >= 'a' && s[i] <= 'z') s[i] = char(s[i] - 'a' + 'A');
    return s;
}

bool hasExtension(const std::string& path) { return lastComponent(path).find('.') != std::string::npos; }

std::string withDefaultExtension(const std::string& path, const std::string& ext)
{
    return hasExtension(path) ? path : path + ext;
}

std::string baseName(const std::string& path)
{
    std::string last = lastComponent(path);
    auto dot = last.rfind('.');
    return dot == std::string::npos ? last : last.substr(0, dot);
}

std::string replaceExtension(const std::string& path, const std::string& ext)
{
    auto slash = path.rfind('/');
    auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
    return path.substr(0, dot) + ext;
}

} // namespace velt::platform::fs
