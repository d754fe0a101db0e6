#pragma once
// vr31kctl's command lines over a data folder, and the commands that between them read
// and write each of its files.
#include "support/ProcessRun.h"

#include <string>
#include <vector>

namespace vr31k::test {

// The settings, the plan, the history (a row recorded by hand) and the entries.
inline const std::vector<std::vector<std::string>> kFolderCommands = {
    {"settings", "set-utility", "--auto-start", "0"},
    {"plan", "set", "--packet-size", "256"},
    {"history", "record", "--entry", "e", "--end", "2026/01/02 03:04:05", "--duration-ms", "1", "--sent", "1",
     "--recv", "1"},
    {"entries", "list"},
};

#ifdef VR31KCTL_PATH
// vr31kctl --data-dir FOLDER WORDS... (global options may lead the words).
inline std::vector<std::string> CtlArgv(const std::string& folder, const std::vector<std::string>& words) {
    std::vector<std::string> argv = {CtlPath(), "--data-dir", folder};
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
}
#endif

}  // namespace vr31k::test
