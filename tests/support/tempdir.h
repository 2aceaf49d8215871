#pragma once
// A fresh data directory for one test: created under the system temporary
// directory, made the current working directory (where tables without a
// directory live), and removed with everything in it afterwards.
#include <string>

namespace velt::test {

class TempDataDir {
public:
    // `enter`: make it the working directory while the object lives.
    explicit TempDataDir(bool enter = true);
    ~TempDataDir();
    TempDataDir(const TempDataDir&) = delete;
    TempDataDir& operator=(const TempDataDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_, previous_;
};

// Creates (or empties) a small signal file; waits until a file exists.
void touchFile(const std::string& path);
// True when the file appeared within `ms` milliseconds.
bool waitForFile(const std::string& path, int ms);

} // namespace velt::test
