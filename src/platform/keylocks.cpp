#include "platform/keylocks.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace velt::platform {
namespace {

std::optional<KeyLocks> g_fixed;

// Any LED whose name ends in suffix is lit.
bool ledOn(const char* suffix)
{
    const char* base = "/sys/class/leds";
    DIR* d = opendir(base);
    if (!d) return false;
    bool on = false;
    const size_t n = std::strlen(suffix);
    while (dirent* e = readdir(d)) {
        const size_t len = std::strlen(e->d_name);
        if (len < n || std::strcmp(e->d_name + len - n, suffix) != 0) continue;
        std::string path = std::string(base) + "/" + e->d_name + "/brightness";
        if (FILE* f = std::fopen(path.c_str(), "r")) {
            int v = 0;
            if (std::fscanf(f, "%d", &v) == 1 && v > 0) on = true;
            std::fclose(f);
        }
        if (on) break;
    }
    closedir(d);
    return on;
}

} // namespace

KeyLocks keyLocks()
{
    if (g_fixed) return *g_fixed;
    return {ledOn("::numlock"), ledOn("::capslock")};
}

void setKeyLocks(std::optional<KeyLocks> fixed) { g_fixed = fixed; }

} // namespace velt::platform
