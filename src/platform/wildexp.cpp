#include "platform/wildexp.h"

#include <dirent.h>
#include <sys/stat.h>

namespace velt::platform {
namespace {
char fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
} // namespace

bool wildMatch(const std::string& mask, const std::string& name)
{
    if (mask == "*.*") return true;
    // Iterative match with backtracking to the last "*".
    size_t m = 0, n = 0, starM = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && (mask[m] == '?' || fold(mask[m]) == fold(name[n]))) {
            ++m;
            ++n;
        } else if (starM != std::string::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::vector<std::string> WILDEXP(const std::vector<std::string>& masks)
{
    std::vector<std::string> out;
    for (const std::string& full : masks) {
        size_t slash = full.rfind('/');
        std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : full.substr(0, slash));
        std::string mask = slash == std::string::npos ? full : full.substr(slash + 1);
        DIR* d = ::opendir(dir.c_str());
        if (!d) continue;
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || !wildMatch(mask, name)) continue;
            struct stat st {};
            std::string path = dir == "/" ? "/" + name : dir + "/" + name;
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            out.push_back(name);
        }
        ::closedir(d);
    }
    return out;
}

} // namespace velt::platform
