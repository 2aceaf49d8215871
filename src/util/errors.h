#pragma once
// The program's own error types. Every layer throws these; the process-wide
// error handler (ui/errorsys) turns them into the Italian messages and either
// abandons the running command or ends the program.
//
// The three codes follow the handler's table:
//   osCode  - operating-system code: 2 file not found, 3 path not found,
//             5 access denied, 19 write-protected, 21 drive not ready,
//             27/31 unreadable medium, 32 sharing violation, 82 directory full
//   subCode - 2016 write failed for lack of space, 1012 damaged file
//   genCode - 1001 program error with report, 5 division by zero,
//             21 open failed, 32 damaged data, 40 append lock failed
#include <functional>
#include <source_location>
#include <stdexcept>
#include <string>

namespace velt {

namespace oscode {
inline constexpr int FileNotFound = 2, PathNotFound = 3, AccessDenied = 5, WriteProtected = 19,
                     NotReady = 21, BadMedium = 27, SharingViolation = 32, DirectoryFull = 82;
}
namespace subcode {
inline constexpr int Corrupted = 1012, DiskFull = 2016;
}
namespace gencode {
inline constexpr int Report = 1001, ZeroDivide = 5, OpenFailed = 21, Corrupted = 32, AppendLock = 40;
}

class VeltError : public std::runtime_error {
public:
    struct Codes {
        int os = 0;
        int sub = 0;
        int gen = 0;
    };
    VeltError(std::string description, Codes codes, std::string file = {}, std::string operation = {},
              std::string subsystem = "VELT", bool severe = true,
              std::source_location where = std::source_location::current());

    int osCode() const { return codes_.os; }
    int subCode() const { return codes_.sub; }
    int genCode() const { return codes_.gen; }
    const std::string& description() const { return description_; }
    const std::string& file() const { return file_; }          // as given; the handler shows it in capitals
    const std::string& operation() const { return operation_; }
    const std::string& subsystem() const { return subsystem_; }
    bool severe() const { return severe_; }
    const std::source_location& where() const { return where_; }

private:
    Codes codes_;
    std::string description_, file_, operation_, subsystem_;
    bool severe_;
    std::source_location where_;
};

// Disk and file failures of an operation on `file`, by OS code (errno is
// mapped by the platform layer).
VeltError fileError(int osCode, const std::string& file, const std::string& operation = {},
                    std::source_location where = std::source_location::current());
// "Il file ... risulta corrotto."
VeltError corruptFile(const std::string& file, const std::string& what = {},
                      std::source_location where = std::source_location::current());
// "Spazio sul disco ... insufficiente."
VeltError diskFull(const std::string& file, std::source_location where = std::source_location::current());
// A program error that the handler reports with its text and then abandons
// (general code 1001): e.g. a number that does not fit a field.
VeltError reportError(const std::string& description, const std::string& file = {},
                      const std::string& operation = {},
                      std::source_location where = std::source_location::current());

// Thrown once the handler has shown its message: unwinds to the recovery
// point of the running command, whose guards close what it opened.
struct Abandon {};

// Hook the handler runs before every message it shows: the data layer sets it
// to release the system lock.
void setBeforeErrorMessageHook(std::function<void()> hook);
void runBeforeErrorMessageHook();

} // namespace velt
