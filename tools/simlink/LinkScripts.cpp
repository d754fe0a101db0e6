#include "simlink/LinkScripts.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace vr31k::sim {

namespace {

std::string Counter(const std::string& interfaceName, const char* name) {
    std::ifstream in("/sys/class/net/" + interfaceName + "/statistics/" + name);
    std::string value;
    in >> value;
    return value.empty() ? "0" : value;
}

}  // namespace

int RunLinkScript(bool up, const ScriptLink& link, long long connectSeconds) {
    const char* program = std::getenv(up ? "VR31K_SIMLINK_IP_UP" : "VR31K_SIMLINK_IP_DOWN");
    if (program == nullptr || *program == '\0') return 0;
    std::vector<std::string> env = {"PATH=/usr/local/sbin:/usr/sbin:/sbin:/usr/local/bin:/usr/bin:/bin",
                                    "IFNAME=" + link.interfaceName, "DEVICE=" + link.tty, "SPEED=115200",
                                    "IPLOCAL=" + link.local, "IPREMOTE=" + link.remote,
                                    "PPPD_PID=" + std::to_string(getpid()), "ORIG_UID=" + std::to_string(getuid())};
    if (!up) {
        env.push_back("CONNECT_TIME=" + std::to_string(connectSeconds));
        env.push_back("BYTES_SENT=" + Counter(link.interfaceName, "tx_bytes"));
        env.push_back("BYTES_RCVD=" + Counter(link.interfaceName, "rx_bytes"));
    }
    const std::vector<std::string> args = {program, link.interfaceName, link.tty, "115200", link.local, link.remote,
                                           link.ipparam};
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv.data(), envp.data()) != 0) return 127;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

}  // namespace vr31k::sim
