// The shared-installation marker: redirection for tests and existence check.
#include "platform/marker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace velt::platform;

TEST(Marker, FixedPathAndRedirection)
{
    namespace fs = std::filesystem;
    ::unsetenv("VELT_NET_MARKER");
    setSharedInstallMarker("");
    EXPECT_EQ(sharedInstallMarker(), "/etc/orlu/NET");

    fs::path dir = fs::temp_directory_path() / ("velt_marker_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path envFile = dir / "ENVNET", setFile = dir / "SETNET";

    ::setenv("VELT_NET_MARKER", envFile.c_str(), 1);
    EXPECT_EQ(sharedInstallMarker(), envFile.string());
    EXPECT_FALSE(isSharedInstall());
    std::ofstream(envFile).put('x');
    EXPECT_TRUE(isSharedInstall());

    // The setter wins over the environment, and "" hands control back.
    setSharedInstallMarker(setFile.string());
    EXPECT_EQ(sharedInstallMarker(), setFile.string());
    EXPECT_FALSE(isSharedInstall());
    setSharedInstallMarker("");
    EXPECT_TRUE(isSharedInstall());

    ::unsetenv("VELT_NET_MARKER");
    fs::remove_all(dir);
}
