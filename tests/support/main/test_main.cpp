// The main of every test program: fills in the environment the tests rely on
// (headless Qt, where the sources and the build are) unless the caller set it,
// so a test runs the same from CTest, from a shell or under a debugger.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("VELT_TEST_SRC", VELT_TEST_SRC_DIR, 0);
    setenv("VELT_TEST_BIN", VELT_TEST_BIN_DIR, 0);
    setenv("VELT_SOURCE_DIR", VELT_SOURCE_ROOT, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
