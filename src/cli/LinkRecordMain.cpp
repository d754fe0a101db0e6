// vr31k-link-record DATA-FOLDER [pppd's ip-down arguments]: run by pppd's ip-down hook.
#include "cli/LinkRecord.h"

#include <cstdlib>
#include <ctime>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] != '/') {
        std::cerr << "usage: vr31k-link-record DATA-FOLDER [INTERFACE TTY SPEED LOCAL REMOTE IPPARAM]\n";
        return 2;
    }
    vr31k::cli::PppdLinkInput input;
    input.dataFolder = argv[1];
    input.args.assign(argv + 2, argv + argc);
    input.env = [](const char* name) { return static_cast<const char*>(std::getenv(name)); };
    input.now = static_cast<long long>(std::time(nullptr));
    return vr31k::cli::RecordEndedLink(input, std::cerr);
}
