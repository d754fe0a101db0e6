// resolvconf (Debian's) and openresolv keep one record of name servers per interface and
// program ("ppp0.vr31k"), which `-a` adds from standard input and `-d` takes away; the
// manager then writes /etc/resolv.conf from all of them.
#include "platform/linux/DesktopLinkParts.h"

#include "common/TerminalText.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace vr31k {

namespace {

using namespace std::chrono_literals;

// resolvconf runs its update scripts: they may take a while, never long.
constexpr auto kRunTime = 10s;
constexpr std::size_t kOutputBytes = 4096;

// Runs `argv` with `input` on its standard input and a plain environment; its exit status
// (128 + signal; -1 when it did not start), its output in `output` (bounded).
int Run(std::vector<std::string> argv, const std::string& input, std::string& output) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return -1;
    const UniqueFd inRead(in[0]);
    {
        // Written before the start, while this end is open: a few name server lines fit
        // in the pipe's buffer, and a program that ends unread raises no SIGPIPE here.
        const UniqueFd inWrite(in[1]);
        if (write(inWrite.fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) return -1;
    }
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    const UniqueFd outRead(out[0]);
    UniqueFd outWrite(out[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    // pppd hands its hooks a small environment; the manager needs no more than a PATH.
    char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
    char* env[] = {path, nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        output = std::strerror(spawned);
        return -1;
    }
    close(outWrite.fd);
    outWrite.fd = -1;
    const auto deadline = std::chrono::steady_clock::now() + kRunTime;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{outRead.fd, POLLIN, 0};
        if (left <= 0ms || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[512];
        const ssize_t n = read(outRead.fd, buffer, sizeof buffer);
        if (n <= 0) break;
        if (output.size() < kOutputBytes) output.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    // Its output ends a moment before it does.
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        output = "it did not end within " + std::to_string(kRunTime.count()) + " s";
        return 128 + SIGKILL;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

DesktopResult Outcome(const std::string& program, int status, const std::string& output, std::string& why) {
    if (status == 0) return DesktopResult::Done;
    why = program + (status < 0 ? " could not be run" : " ended with " + std::to_string(status)) +
          (output.empty() ? "" : ": " + TerminalText(output, 200));
    return DesktopResult::Failed;
}

}  // namespace

DesktopResult ResolvconfAdd(const std::string& program, const std::string& record,
                            const std::vector<std::string>& servers, std::string& why) {
    std::string input;
    for (const std::string& server : servers) input += "nameserver " + server + "\n";
    std::string output;
    const int status = Run({program, "-a", record}, input, output);
    return Outcome(program, status, output, why);
}

DesktopResult ResolvconfDelete(const std::string& program, const std::string& record, std::string& why) {
    std::string output;
    const int status = Run({program, "-d", record}, {}, output);
    return Outcome(program, status, output, why);
}

}  // namespace vr31k
