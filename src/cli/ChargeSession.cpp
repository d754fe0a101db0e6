#include "cli/ChargeSession.h"

#include "accounting/EntryCredentialStore.h"
#include "platform/FileSystem.h"
#include "platform/linux/LinuxDialupService.h"

#include <ostream>

namespace vr31k::cli {

CChargeSession::CChargeSession(CliContext& context)
    : m_context(context),
      m_dialup(CreateLinuxDialupService(DialupConfigFromEnvironment())),
      m_charge(std::make_unique<CRasChargeCtrl>(*m_dialup)) {
    m_charge->Plan() = context.Settings().ReadDialup();
    m_charge->DerivePlan();
}

CChargeSession::~CChargeSession() {
    // The monitor thread and any dial end before the service they use goes.
    m_charge.reset();
}

void CChargeSession::SetupEntries() {
    const DataPaths& paths = m_context.Paths();
    m_context.PrepareDataFolder();
    const int solvane = m_context.Settings().ReadUtility().solvaneMode;
    m_charge->Setup(paths.credentials, paths.phonebook, kCardModemName, solvane != 0);
    if (m_charge->SetupLoadResult() == kCredentialInvalid) {
        m_context.Err() << "vr31kctl: the entry credential file " << paths.credentials
                        << " could not be read; the entries have no user names and passwords until the next change\n";
    }
}

int CChargeSession::WriteDialupSettings() { return m_context.Settings().WriteDialup(m_charge->Plan()); }

int CChargeSession::OpenHistory() {
    const DataPaths& paths = m_context.Paths();
    m_context.PrepareDataFolder();
    const int result = History().OpenHistory(paths.history, std::string(kPassPhrase));
    if (!History().MovedAsidePath().empty()) {
        m_context.Err() << "vr31kctl: the history " << paths.history << " could not be read; it was kept as "
                        << History().MovedAsidePath() << " and a new history begun\n";
    }
    if (result != kDbOk) return FailHistory(result, "cannot open the history " + paths.history);
    m_charge->RecomputePeriod();
    return kExitOk;
}

int CChargeSession::FailHistory(int code, std::string_view what) {
    std::string message(what);
    if (!History().LastError().empty()) message += ": " + History().LastError();
    return m_context.Fail(code, "history-failed", message);
}

}  // namespace vr31k::cli
