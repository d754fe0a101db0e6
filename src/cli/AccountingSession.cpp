#include "cli/AccountingSession.h"

#include "accounting/EntryCredentialStore.h"
#include "platform/FileSystem.h"

#include <ostream>

namespace vr31k::cli {

CAccountingSession::CAccountingSession(CliContext& context) : m_context(context) {
    m_charge.Plan() = context.Settings().ReadDialup();
    m_charge.DerivePlan();
}

int CAccountingSession::OpenHistory() {
    const DataPaths& paths = m_context.Paths();
    EnsureSharedFolder(paths.folder);
    const int result = History().OpenHistory(paths.history, std::string(kPassPhrase));
    if (!History().MovedAsidePath().empty()) {
        m_context.Err() << "vr31kctl: the history " << paths.history << " could not be read; it was kept as "
                        << History().MovedAsidePath() << " and a new history begun\n";
    }
    if (result != kDbOk) return FailHistory(result, "cannot open the history " + paths.history);
    m_charge.RecomputePeriod();
    return kExitOk;
}

int CAccountingSession::FailHistory(int code, std::string_view what) {
    std::string message(what);
    if (!History().LastError().empty()) message += ": " + History().LastError();
    return m_context.Fail(code, "history-failed", message);
}

}  // namespace vr31k::cli
