#pragma once
// Small text files read and written whole (the configuration file): reading
// that tells a missing file from a failing one, and writing that never leaves
// a half-written file behind.
#include <optional>
#include <string>

namespace velt::platform {

// The whole file, or nothing when the file or its directory does not exist.
// Any other failure throws a VeltError naming the file.
std::optional<std::string> readWholeFile(const std::string& path);

// Replaces the file's contents atomically: the bytes go to a temporary file
// beside it, which is synced and renamed over the file. On any failure the
// temporary file is removed, the old file is left as it was and a VeltError
// naming the file is thrown.
void writeFileAtomically(const std::string& path, const std::string& bytes);

} // namespace velt::platform
