#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace vr31k::cli {

// Runs one vr31kctl command line (the words after the program name); returns the
// exit status.
int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

}  // namespace vr31k::cli
