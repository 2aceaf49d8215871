#include "support/child.h"

#include <cstdio>
#include <exception>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace velt::test {

Child Child::run(const std::function<int()>& body)
{
    std::fflush(nullptr);
    pid_t p = fork();
    if (p < 0)
        throw std::runtime_error("fork failed");
    if (p == 0) {
        int code = 99;
        try {
            code = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child failed: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "child failed\n");
        }
        std::fflush(nullptr);
        _exit(code);
    }
    return Child(p);
}

Child::~Child()
{
    if (pid_ > 0 && status_ < 0) {
        ::kill(pid_, SIGKILL);
        wait();
    }
}

int Child::wait()
{
    if (status_ >= 0 || pid_ <= 0)
        return status_;
    int st = 0;
    while (waitpid(pid_, &st, 0) < 0) {
    }
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return status_;
}

bool Child::running()
{
    if (status_ >= 0 || pid_ <= 0)
        return false;
    int st = 0;
    pid_t r = waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return false;
    }
    return true;
}

void Child::kill9()
{
    if (pid_ > 0 && status_ < 0)
        ::kill(pid_, SIGKILL);
}

} // namespace velt::test
