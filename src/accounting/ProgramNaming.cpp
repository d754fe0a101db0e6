#include "accounting/ProgramNaming.h"

#include <algorithm>
#include <charconv>

namespace vr31k {

namespace {

constexpr size_t kMaxProcessNames = 8;

bool IsUnitFolder(std::string_view name) { return name.ends_with(".service") || name.ends_with(".scope"); }

// systemd-escape's inverse: "\xNN" is the byte NN; false for anything else after '\'.
bool Unescape(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (text.substr(i + 1, 1) != "x" || i + 4 > text.size() ||
            std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16).ptr != text.data() + i + 4) {
            return false;
        }
        out += static_cast<char>(value);
        i += 3;
    }
    return true;
}

}  // namespace

std::string ProgramUnitPath(std::string_view cgroupPath) {
    for (size_t end = cgroupPath.size(); end > 0;) {
        const size_t slash = cgroupPath.rfind('/', end - 1);
        const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
        if (IsUnitFolder(cgroupPath.substr(start, end - start))) return std::string(cgroupPath.substr(0, end));
        if (slash == std::string_view::npos) break;
        end = slash;
    }
    return {};
}

std::string DesktopIdOfUnit(std::string_view unit) {
    if (!unit.starts_with("app-")) return {};
    std::string_view rest = unit.substr(4);
    if (rest.ends_with(".scope")) {
        rest.remove_suffix(6);
        const size_t dash = rest.rfind('-');  // the scope's random part
        if (dash == std::string_view::npos) return {};
        rest = rest.substr(0, dash);
    } else {
        rest.remove_suffix(8);  // ".service"
        rest = rest.substr(0, rest.find('@'));
    }
    // An unescaped dash only ever separates the launcher from the id.
    const size_t dash = rest.rfind('-');
    std::string id;
    if (!Unescape(dash == std::string_view::npos ? rest : rest.substr(dash + 1), id) || id.empty() ||
        id.find('/') != std::string::npos) {
        return {};
    }
    return id + ".desktop";
}

ProgramUsage ProgramOfCgroup(std::string_view cgroupPath, const ProgramNamingFacts& facts) {
    const std::string unitPath = ProgramUnitPath(cgroupPath);
    if (unitPath.empty()) return {ProgramKind::Other, "", facts.otherName};
    const std::string unit = unitPath.substr(unitPath.rfind('/') + 1);
    if (const std::string desktopId = DesktopIdOfUnit(unit); !desktopId.empty()) {
        if (std::string name = facts.desktopName(desktopId); !name.empty()) {
            return {ProgramKind::App, desktopId, std::move(name)};
        }
    }
    if (unit.ends_with(".service")) return {ProgramKind::Unit, unit, unit};
    std::vector<std::string> names = facts.processNames(unitPath);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::string joined;
    for (size_t i = 0; i < std::min(names.size(), kMaxProcessNames); ++i) joined += (i > 0 ? ", " : "") + names[i];
    return {ProgramKind::Scope, unit, joined.empty() ? unit : joined};
}

}  // namespace vr31k
