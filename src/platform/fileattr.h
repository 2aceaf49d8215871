#pragma once
// What an archive keeps of a file besides its bytes: the last-modification
// time in local time and the attribute flags of the shop's original platform
// (read-only, hidden, system, archive). Reading maps them from the file (not
// writable by its owner: read-only; name beginning with ".": hidden; archive
// always set); writing applies the time and the read-only flag.
#include <string>

namespace velt::platform {

struct LocalStamp {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

inline constexpr unsigned kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrArchive = 0x20;

// Throw VeltError naming the path on failure.
LocalStamp modificationStamp(const std::string& path);
void setModificationStamp(const std::string& path, const LocalStamp& stamp);
unsigned fileAttributes(const std::string& path);
void setFileAttributes(const std::string& path, unsigned attributes);

} // namespace velt::platform
