#include "support/tempdir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace velt::test {

TempDataDir::TempDataDir(bool enter)
{
    std::string base = std::filesystem::temp_directory_path().string() + "/velt_test_XXXXXX";
    if (!mkdtemp(base.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = base;
    if (enter) {
        previous_ = std::filesystem::current_path().string();
        std::filesystem::current_path(path_);
    }
}

TempDataDir::~TempDataDir()
{
    std::error_code ec;
    if (!previous_.empty())
        std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
}

void touchFile(const std::string& path) { std::ofstream(path, std::ios::trunc) << "1"; }

bool waitForFile(const std::string& path, int ms)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace velt::test
