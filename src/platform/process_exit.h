#pragma once
// Ending the program from inside (the error handler's last row).
//
// endProgram(code) runs the exit routines registered with atProgramEnd (the
// shell registers its exit routine: close the tables, remove the private
// temporary directory), then hands over to the installed ProgramEnd. The real
// one flushes the standard streams and exits the process. The default under
// tests is RecordedProgramEnd: it records the code and returns, and the
// caller (DEFERROR) then abandons the command, so a test sees the end.
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velt::platform {

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void end(int code) = 0;
};

class ExitProgramEnd : public ProgramEnd {
public:
    [[noreturn]] void end(int code) override;
};

class RecordedProgramEnd : public ProgramEnd {
public:
    void end(int code) override { code_ = code; ++count_; }
    std::optional<int> code() const { return code_; }
    int count() const { return count_; }

private:
    std::optional<int> code_;
    int count_ = 0;
};

ProgramEnd& programEnd(); // default: RecordedProgramEnd
std::unique_ptr<ProgramEnd> setProgramEnd(std::unique_ptr<ProgramEnd> p); // returns the previous one

// Exit routines, run once, in reverse order of registration, by endProgram.
// Their own failures are ignored: the program is ending anyway.
void atProgramEnd(std::function<void()> routine);
void endProgram(int code);

// Full path of the running program file (/proc/self/exe).
std::string programPath();

} // namespace velt::platform
