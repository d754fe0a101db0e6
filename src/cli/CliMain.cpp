#include "cli/CliRunner.h"

#include <iostream>

int main(int argc, char** argv) {
    return vr31k::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
