#include "app/CUtilityCommandLineInfo.h"

namespace vr31k {

void CUtilityCommandLineInfo::Parse(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        const bool isSwitch = !arg.empty() && (arg[0] == '/' || arg[0] == '-');
        ParseParam(isSwitch ? arg.substr(1) : arg, isSwitch);
    }
}

void CUtilityCommandLineInfo::ParseParam(const std::string& param, bool isSwitch) {
    if (isSwitch && param == "AutoStart") m_autoStart = true;
}

}  // namespace vr31k
