// vr31k-link-hook up|down DATA-FOLDER [pppd's ip-up / ip-down arguments]: run by pppd's
// hooks as root for every link; acts on the card's links only.
#include "cli/LinkHook.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>

int main(int argc, char** argv) {
    using vr31k::cli::LinkPhase;
    if (argc < 3 || (std::strcmp(argv[1], "up") != 0 && std::strcmp(argv[1], "down") != 0) || argv[2][0] != '/') {
        std::cerr << "usage: vr31k-link-hook up|down DATA-FOLDER [INTERFACE TTY SPEED LOCAL REMOTE IPPARAM]\n";
        return 2;
    }
    vr31k::cli::PppdLinkInput link;
    link.dataFolder = argv[2];
    link.args.assign(argv + 3, argv + argc);
    link.env = [](const char* name) { return static_cast<const char*>(std::getenv(name)); };
    link.now = static_cast<long long>(std::time(nullptr));
    const LinkPhase phase = std::strcmp(argv[1], "up") == 0 ? LinkPhase::Up : LinkPhase::Down;
    return vr31k::cli::RunLinkHook(phase, link, vr31k::cli::LinkHookSteps(), std::cerr);
}
