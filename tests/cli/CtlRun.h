#pragma once
// vr31kctl run in-process: its exit status and what it printed; the local clock as its
// history commands take it.
#include "cli/CliRunner.h"

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace vr31k::test {

struct CtlResult {
    int status;
    std::string out, err;
};

inline CtlResult RunCtl(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    const int status = cli::RunCli(words, out, err);
    return {status, out.str(), err.str()};
}

// "YYYY/MM/DD HH:MM:SS" of the local clock at `t`, or `offset` seconds from now.
inline std::string LocalTimeAt(time_t t) {
    tm local{};
    localtime_r(&t, &local);
    char text[32];
    strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}
inline std::string LocalTime(long offset = 0) { return LocalTimeAt(time(nullptr) + offset); }

}  // namespace vr31k::test
