#pragma once
// The utility's command line: only the switch "AutoStart" (after "/" or "-", exact
// case) means anything; every other argument is ignored.
#include <string>
#include <vector>

namespace vr31k {

class CUtilityCommandLineInfo {
public:
    void Parse(const std::vector<std::string>& args);  // args without the program name
    bool AutoStartLaunch() const { return m_autoStart; }

private:
    void ParseParam(const std::string& param, bool isSwitch);
    bool m_autoStart = false;
};

}  // namespace vr31k
