#include "cli/CliRunner.h"
#include "common/WaitShare.h"

#include <iostream>

int main(int argc, char** argv) {
    // Before the command begins: each of its waits is at the share its user asked for.
    if (const std::string problem = vr31k::TakeWaitPercentFromEnvironment(); !problem.empty()) {
        std::cerr << "vr31kctl: " << problem << '\n';
    }
    return vr31k::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
