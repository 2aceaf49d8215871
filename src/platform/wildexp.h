#pragma once
// Listing files by mask: WILDEXP({"*.DB?", "VELT.CFG"}) gives, for each mask
// in turn, the names (without path) of the plain files that match it, in the
// order the directory listing returns them, all in one list. Hidden files
// (names beginning with ".") and read-only files are included; directories
// are not. A mask may carry a directory ("/srv/velt/*.DBF"); without one the
// current directory (the data directory) is listed. A directory that does not
// exist or cannot be read gives no names.
//
// Mask syntax: "*" matches any run of characters (none included), "?"
// exactly one character; "*.*" matches every name, with or without a dot.
//
// Matching ignores the case of ASCII letters. The program writes its file
// names in capitals, but files copied onto a Linux share by other tools often
// arrive in lower case ("articoli.dbf"); on the shop's original platform the
// file system itself ignored case, so a mask like "*.DB?" must still find
// them. Non-ASCII bytes are compared exactly.
#include <string>
#include <vector>

namespace velt::platform {

std::vector<std::string> WILDEXP(const std::vector<std::string>& masks);

// True when `name` matches `mask` by the rules above (no directory parts).
bool wildMatch(const std::string& mask, const std::string& name);

} // namespace velt::platform
