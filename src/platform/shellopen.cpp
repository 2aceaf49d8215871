#include "platform/shellopen.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velt::platform {

namespace {
std::unique_ptr<Shell>& current()
{
    static std::unique_ptr<Shell> s = std::make_unique<RecordedShell>();
    return s;
}

// Starts argv[0] from PATH without a shell. With wait: returns its exit code
// (-1 when it could not be started or did not exit normally). Without wait:
// returns 0 when started; a grandchild runs it so no zombie is left behind.
int run(const std::vector<std::string>& args, bool wait)
{
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (wait) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
        int st = 0;
        while (waitpid(pid, &st, 0) < 0) {
            if (errno != EINTR) return -1;
        }
        if (!WIFEXITED(st)) return -1;
        int code = WEXITSTATUS(st);
        return code == 127 ? -1 : code;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    pid_t mid = fork();
    if (mid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (mid == 0) {
        close(fds[0]);
        pid_t pid = 0;
        char ok = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? 1 : 0;
        (void)!write(fds[1], &ok, 1);
        _exit(0);
    }
    close(fds[1]);
    char ok = 0;
    ssize_t got;
    do got = read(fds[0], &ok, 1);
    while (got < 0 && errno == EINTR);
    close(fds[0]);
    while (waitpid(mid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return got == 1 && ok ? 0 : -1;
}
} // namespace

Shell& shell() { return *current(); }
std::unique_ptr<Shell> setShell(std::unique_ptr<Shell> s)
{
    std::swap(current(), s);
    return s;
}

bool XdgShell::open(const std::string& target) { return run({"xdg-open", target}, false) == 0; }

int XdgShell::mail(const MailRequest& m)
{
    std::vector<std::string> args{"xdg-email", "--utf8"};
    if (!m.subject.empty()) args.insert(args.end(), {"--subject", m.subject});
    if (!m.body.empty()) args.insert(args.end(), {"--body", m.body});
    for (size_t i = 1; i < m.recipients.size(); ++i) args.insert(args.end(), {"--cc", m.recipients[i]});
    for (const auto& a : m.attachments) args.insert(args.end(), {"--attach", a});
    if (!m.recipients.empty()) args.push_back(m.recipients[0]);
    return run(args, true);
}

} // namespace velt::platform
