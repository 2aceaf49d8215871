#pragma once
// The shared-installation marker: a fixed file whose presence says that this
// machine is one of several sharing a central installation. Its existence
// selects the central lock table, copy-over table upgrades, the white window
// background and the Thunderbird mail route.
//
// The path is one platform constant ("/etc/orlu/NET" on Linux). Tests, and
// only tests, point it elsewhere, either with the environment variable
// VELT_NET_MARKER (read at each call) or with setSharedInstallMarker(), which
// takes precedence over the environment until it is reset with "".
#include <string>

namespace velt::platform {

// The platform's fixed marker path, ignoring any redirection.
inline constexpr const char* kSharedInstallMarker = "/etc/orlu/NET";

// Full path of the marker file currently in force.
std::string sharedInstallMarker();

// True when the marker file exists (any kind of entry at that path).
bool isSharedInstall();

// Test hook: use `path` as the marker; "" goes back to env var / constant.
void setSharedInstallMarker(const std::string& path);

} // namespace velt::platform
