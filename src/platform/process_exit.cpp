#include "platform/process_exit.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>
#include <vector>

namespace velt::platform {

namespace {
std::unique_ptr<ProgramEnd>& current()
{
    static std::unique_ptr<ProgramEnd> p = std::make_unique<RecordedProgramEnd>();
    return p;
}
std::vector<std::function<void()>>& routines()
{
    static std::vector<std::function<void()>> r;
    return r;
}
} // namespace

ProgramEnd& programEnd() { return *current(); }
std::unique_ptr<ProgramEnd> setProgramEnd(std::unique_ptr<ProgramEnd> p)
{
    std::swap(current(), p);
    return p;
}

void atProgramEnd(std::function<void()> routine) { routines().push_back(std::move(routine)); }

void endProgram(int code)
{
    auto list = std::move(routines());
    routines().clear();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        try {
            (*it)();
        } catch (...) {
        }
    }
    programEnd().end(code);
}

void ExitProgramEnd::end(int code)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // Not std::exit: static destructors of the window system would run while
    // its event loop is still on the stack.
    std::_Exit(code);
}

std::string programPath()
{
    std::string buf(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    buf.resize(size_t(n));
    return buf;
}

} // namespace velt::platform
