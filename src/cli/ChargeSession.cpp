#include "cli/ChargeSession.h"

#include "common/TerminalText.h"

#include <ostream>

namespace vr31k::cli {

CChargeSession::CChargeSession(CliContext& context) : m_context(context) { m_services.LoadPlan(context.Settings()); }

void CChargeSession::SetupEntries() {
    const DataPaths& paths = m_context.Paths();
    m_context.PrepareDataFolder();
    const int solvane = m_context.Settings().ReadUtility().solvaneMode;
    m_services.SetupEntries(paths, solvane != 0);
    if (const auto note = Charge().SetupNote(); note.textId != 0) m_context.Err() << "vr31kctl: " << note.line << "\n";
}

int CChargeSession::WriteDialupSettings() {
    // Only the selection is this command's; the plan keys keep what the file holds now.
    const int32_t index = Charge().Plan().entryIndex;
    return m_context.Settings().ChangeDialup([&](DialupSettings& s) {
        s.entryIndex = index;
        return true;
    });
}

int CChargeSession::OpenHistory() {
    const DataPaths& paths = m_context.Paths();
    m_context.PrepareDataFolder();
    const int result = m_services.OpenHistory(paths);
    if (!History().MovedAsidePath().empty()) {
        m_context.Err() << "vr31kctl: the history " << paths.history << " could not be read; it was kept as "
                        << History().MovedAsidePath() << " and a new history begun\n";
    }
    if (result != kDbOk) return FailHistory(result, "cannot open the history " + paths.history);
    for (const std::string& aside : m_services.SpoolImported().keptAside) {
        m_context.Err() << "vr31kctl: a usage record of the spool was not imported and was kept as "
                        << TerminalText(aside) << "\n";
    }
    Charge().RecomputePeriod();
    return kExitOk;
}

int CChargeSession::FailHistory(int code, std::string_view what) {
    std::string message(what);
    if (!History().LastError().empty()) message += ": " + History().LastError();
    return m_context.Fail(code, "history-failed", message);
}

}  // namespace vr31k::cli
