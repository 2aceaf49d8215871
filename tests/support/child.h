#pragma once
// A real second process for tests of sharing and locking: fork() runs a
// function in the child, whose result becomes the child's exit code (an
// exception gives 99 and its text on stderr). The child never returns into
// the test framework.
#include <functional>
#include <sys/types.h>

namespace velt::test {

class Child {
public:
    static Child run(const std::function<int()>& body);
    Child(Child&& o) noexcept : pid_(o.pid_) { o.pid_ = -1; }
    Child(const Child&) = delete;
    ~Child();  // kills a child still running and reaps it

    pid_t pid() const { return pid_; }
    // Waits for the end; the exit code, or 128 + signal number.
    int wait();
    // True while the child has not ended (does not reap it).
    bool running();
    void kill9();

private:
    explicit Child(pid_t p) : pid_(p) {}
    pid_t pid_ = -1;
    int status_ = -1;
};

} // namespace velt::test
