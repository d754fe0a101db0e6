#include "cli/ChargeSession.h"

#include "cli/CardTask.h"
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
    m_context.PrepareDataFolder();
    if (const int status = TellHistory(m_services.OpenHistory(m_context.Paths())); status != kExitOk) return status;
    Charge().RecomputePeriod();
    return kExitOk;
}

int CChargeSession::Start(std::string& port) {
    m_context.PrepareDataFolder();
    const ServicesStart start{.paths = m_context.Paths(),
                              .solvaneMode = m_context.Settings().ReadUtility().solvaneMode,
                              .port = m_context.PortOption().value_or(std::string())};
    const StartFindings found = m_services.Start(m_context.Settings(), start);
    TellPortChoice(m_context, found.port);
    if (found.entries.textId != 0) m_context.Err() << "vr31kctl: " << found.entries.line << "\n";
    if (const int status = TellHistory(found.history); status != kExitOk) return status;
    port = found.port.port;
    return kExitOk;
}

int CChargeSession::TellHistory(const HistoryOpen& opened) {
    const std::string& history = m_context.Paths().history;
    if (!opened.movedAside.empty()) {
        m_context.Err() << "vr31kctl: the history " << history << " could not be read; it was kept as "
                        << opened.movedAside << " and a new history begun\n";
    }
    if (!opened.Ok()) return FailHistory(opened.result, "cannot open the history " + history);
    for (const std::string& aside : opened.spool.keptAside) {
        m_context.Err() << "vr31kctl: a usage record of the spool was not imported and was kept as "
                        << TerminalText(aside) << "\n";
    }
    if (opened.spool.left > 0) {
        m_context.Err() << "vr31kctl: " << opened.spool.left << " usage records of the spool are left for the next open\n";
    }
    return kExitOk;
}

int CChargeSession::FailHistory(int code, std::string_view what) {
    std::string message(what);
    if (!History().LastError().empty()) message += ": " + History().LastError();
    return m_context.Fail(code, "history-failed", message);
}

}  // namespace vr31k::cli
