// Stands in for pppd in the dial tests: records what it was given (arguments, the
// options file, the secret on descriptor 3), replays a recorded pppd log, and ends the
// way the test asks.
//   FAKE_PPPD_RECORD=FILE      where to write the record
//   FAKE_PPPD_TRANSCRIPT=FILE  log lines to print
//   FAKE_PPPD_EXIT=N           exit status after the transcript (default 0)
//   FAKE_PPPD_STAY=1           after the transcript, stay until SIGTERM (then exit 5)
//   FAKE_PPPD_IGNORE_TERM=1    stay and ignore SIGTERM (only SIGKILL ends it)
#include "support/TempDir.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string Hex(const std::string& data) {
    std::string out;
    char byte[4];
    for (unsigned char c : data) {
        std::snprintf(byte, sizeof byte, "%02x", c);
        out += byte;
    }
    return out;
}

volatile sig_atomic_t g_term = 0;
void OnTerm(int) { g_term = 1; }

}  // namespace

int main(int argc, char** argv) {
    std::string password;
    char buffer[512];
    ssize_t n;
    while ((n = read(3, buffer, sizeof buffer)) > 0) password.append(buffer, static_cast<size_t>(n));

    if (const char* record = std::getenv("FAKE_PPPD_RECORD")) {
        std::ofstream out(record, std::ios::binary);
        std::string optionsPath;
        for (int i = 0; i < argc; ++i) {
            out << "ARG " << Hex(argv[i]) << "\n";
            if (std::strcmp(argv[i], "file") == 0 && i + 1 < argc) optionsPath = argv[i + 1];
        }
        out << "PASSWORD " << Hex(password) << "\n";
        out << "OPTIONS " << Hex(vr31k::test::ReadFile(optionsPath)) << "\n";
        out << "STDIN_TTY " << isatty(0) << "\n";
    }
    if (const char* transcript = std::getenv("FAKE_PPPD_TRANSCRIPT")) {
        std::fputs(vr31k::test::ReadFile(transcript).c_str(), stdout);
        std::fflush(stdout);
    }
    const char* stay = std::getenv("FAKE_PPPD_STAY");
    const char* ignore = std::getenv("FAKE_PPPD_IGNORE_TERM");
    if (ignore != nullptr) {
        signal(SIGTERM, SIG_IGN);
        for (;;) pause();
    }
    if (stay != nullptr) {
        signal(SIGTERM, OnTerm);
        while (!g_term) pause();
        std::puts("Terminating on signal 15");
        std::puts("Connection terminated.");
        return 5;
    }
    const char* status = std::getenv("FAKE_PPPD_EXIT");
    return status != nullptr ? std::atoi(status) : 0;
}
