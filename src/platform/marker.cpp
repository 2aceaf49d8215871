#include "platform/marker.h"

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>

namespace velt::platform {
namespace {
std::mutex& overrideMutex()
{
    static std::mutex m;
    return m;
}
std::string& overridePath()
{
    static std::string p;
    return p;
}
} // namespace

std::string sharedInstallMarker()
{
    {
        std::lock_guard<std::mutex> g(overrideMutex());
        if (!overridePath().empty())
            return overridePath();
    }
    if (const char* env = std::getenv("VELT_NET_MARKER"); env && *env)
        return env;
    return kSharedInstallMarker;
}

bool isSharedInstall()
{
    struct stat st {};
    return ::stat(sharedInstallMarker().c_str(), &st) == 0;
}

void setSharedInstallMarker(const std::string& path)
{
    std::lock_guard<std::mutex> g(overrideMutex());
    overridePath() = path;
}

} // namespace velt::platform
