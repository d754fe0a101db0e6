#include "app/Services.h"

#include "accounting/EntryCredentialStore.h"
#include "accounting/ProgramImport.h"
#include "common/FileSystem.h"
#include "platform/linux/DiallerProcess.h"
#include "platform/linux/LinkIdentity.h"
#include "platform/linux/LinuxDialupService.h"
#include "platform/linux/MachineLinkPath.h"

#include <ctime>
#include <unistd.h>

namespace vr31k {

namespace {
// systemd-resolved's answer is waited for on the window's tick: a short bound keeps a
// silent bus from stalling it.
constexpr std::chrono::milliseconds kLinkPathBusLimit{500};
}  // namespace

Services::Services() : Services(CreateLinuxDialupService(DialupConfigFromEnvironment())) {
    m_linkPath = MachineLinkPath(kLinkPathBusLimit);
}

Services::Services(std::unique_ptr<IDialupService> dialup)
    : m_dialup(std::move(dialup)), m_charge(std::make_unique<CRasChargeCtrl>(*m_dialup)) {}

Services::~Services() {
    // The monitor thread and any dial end before the service they use goes.
    m_charge.reset();
}

void Services::LoadPlan(const SettingsStore& settings) {
    m_charge->Plan() = settings.ReadDialup();
    m_charge->DerivePlan();
}

StartFindings Services::Start(const SettingsStore& settings, const ServicesStart& start) {
    StartFindings found;
    LoadPlan(settings);
    found.entriesSetup = SetupEntries(start.paths, start.solvaneMode != 0);
    found.entries = m_charge->SetupNote();
    // A history that cannot be opened stops nothing: the controller then skips the
    // database work, and the live record still keeps this program's connections.
    if (start.openHistory) found.history = OpenHistory(start.paths);
    m_charge->RecomputePeriod();
    found.port = ResolveCardPort(start.port, settings, start.solvaneMode != 0, *m_lookup);
    // The dial-up service dials the card's tty; without it every dial fails with 633.
    UseCardPort(found.port.port, start.solvaneMode);
    return found;
}

int Services::SetupEntries(const DataPaths& paths, bool solvaneMode) {
    return m_charge->Setup(paths.credentials, paths.phonebook, kCardModemName, solvaneMode);
}

HistoryOpen Services::OpenHistory(const DataPaths& paths, std::chrono::milliseconds lockWait) {
    const LinkIdentifier identify = LinuxLinkIdentifier();
    // The connections this program watches are kept in the spool while they last, whether
    // the history opens or not: a busy or broken history never leaves one uncounted.
    if (!m_liveKept) {
        m_charge->KeepLiveRecord(paths.folder, getpid(), ProcessStartTicks(getpid()), identify);
        m_liveKept = true;
    }
    HistoryOpen opened;
    opened.result = History().OpenHistory(paths.history, std::string(kPassPhrase), lockWait);
    opened.movedAside = History().MovedAsidePath();
    opened.lockBusy = opened.result != kDbOk && History().LockBusy();
    opened.error = History().LastError();
    // Links that ended while no utility watched them count from the first open on.
    if (opened.Ok()) {
        opened.spool = ImportUsageSpool(paths.folder, *m_charge, identify);
        // Then the programs of those links and of the connections watched before.
        const SpoolImport programs = ImportPrograms(paths);
        opened.spool.keptAside.insert(opened.spool.keptAside.end(), programs.keptAside.begin(),
                                      programs.keptAside.end());
        opened.spool.left += programs.left;
    }
    return opened;
}

SpoolImport Services::ImportPrograms(const DataPaths& paths) {
    return ImportProgramUsage(paths.folder, History(), LinuxLinkIdentifier(), std::time(nullptr));
}

int Services::UseCardPort(const std::string& port, int solvaneMode) {
    // A port given through a link names its device; the dialler opens the device.
    m_charge->SetCardPort(port.empty() ? port : CanonicalPath(port));
    return m_charge->FindCardModem(solvaneMode);
}

}  // namespace vr31k
