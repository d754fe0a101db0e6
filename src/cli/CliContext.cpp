#include "common/StringTable.h"
#include "cli/CliCommand.h"
#include "common/FileSystem.h"

#include <ostream>

namespace vr31k::cli {

CliContext::CliContext(std::string dataFolder, std::optional<std::string> port, bool json,
                       std::ostream& out, std::ostream& err)
    : m_paths(MakeDataPaths(std::move(dataFolder))), m_port(std::move(port)), m_json(json), m_out(out), m_err(err) {}

void CliContext::PrepareDataFolder() const { EnsureSharedFolder(m_paths.folder); }

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
        m_err << "vr31kctl: " << message;
        if (!name.empty()) m_err << " (" << name << ", " << code << ")";
        m_err << '\n';
    }
    return kExitFailed;
}

int CliContext::FailWithMessage(int code, std::string_view name, int textId) {
    return Fail(code, name, LoadString(textId));
}

}  // namespace vr31k::cli
