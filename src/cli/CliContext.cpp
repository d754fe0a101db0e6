#include "common/StringTable.h"
#include "common/TerminalText.h"
#include "cli/CliCommand.h"
#include "platform/DataFolderAccess.h"

#include <cerrno>
#include <ostream>

namespace vr31k::cli {

CliContext::CliContext(std::string dataFolder, std::optional<std::string> port, bool json,
                       std::ostream& out, std::ostream& err)
    : m_paths(MakeDataPaths(std::move(dataFolder))), m_port(std::move(port)), m_json(json), m_out(out), m_err(err) {}

bool CliContext::CheckDataFolder() {
    const DataFolderCheck check = vr31k::PrepareDataFolder(m_paths.folder, false);
    if (!check.warning.empty()) m_err << "vr31kctl: " << check.warning << '\n';
    if (check.Usable() || check.state == DataFolderState::Missing) {
        const std::string problem = Settings().ReadProblem();
        if (!problem.empty()) m_err << "vr31kctl: " << problem << '\n';
        return true;
    }
    Fail(EACCES, check.state == DataFolderState::NotMember ? "not-in-group" : "data-folder", check.message);
    return false;
}

void CliContext::PrepareDataFolder() const {
    const DataFolderCheck check = vr31k::PrepareDataFolder(m_paths.folder, true);
    if (!check.Usable()) m_err << "vr31kctl: " << check.message << '\n';
}

int CliContext::Print(const Json& result) {
    if (m_json) m_out << result.Dump() << '\n';
    else m_out << result.DumpText();
    m_out.flush();
    return kExitOk;
}

int CliContext::PrintFailed(const Json& result) {
    Print(result);
    return kExitFailed;
}

int CliContext::Fail(int code, std::string_view name, std::string_view message) {
    if (m_json) {
        Json error = Json::MakeObject();
        error.Set("code", code).Set("name", name).Set("message", message);
        m_out << Json::MakeObject().Set("error", std::move(error)).Dump() << '\n';
        m_out.flush();
    } else {
        m_err << "vr31kctl: " << TerminalLines(message);
        if (!name.empty()) m_err << " (" << name << ", " << code << ")";
        m_err << '\n';
    }
    return kExitFailed;
}

int CliContext::FailWithMessage(int code, std::string_view name, int textId) {
    return Fail(code, name, LoadString(textId));
}

}  // namespace vr31k::cli
