#include "app/Services.h"

#include "accounting/EntryCredentialStore.h"
#include "common/FileSystem.h"
#include "platform/linux/LinuxDialupService.h"

namespace vr31k {

Services::Services() : Services(CreateLinuxDialupService(DialupConfigFromEnvironment())) {}

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

bool Services::SetupEntries(const DataPaths& paths, bool solvaneMode) {
    m_charge->Setup(paths.credentials, paths.phonebook, kCardModemName, solvaneMode);
    return m_charge->SetupLoadResult() != kCredentialInvalid;
}

int Services::OpenHistory(const DataPaths& paths) {
    const int result = History().OpenHistory(paths.history, std::string(kPassPhrase));
    // Links that ended while no utility watched them count from the first open on.
    m_spoolImport = result == kDbOk ? ImportUsageSpool(paths.folder, *m_charge) : SpoolImport{};
    return result;
}

int Services::UseCardPort(const std::string& port, int solvaneMode) {
    // A port given through a link names its device; the dialler opens the device.
    m_charge->SetCardPort(port.empty() ? port : CanonicalPath(port));
    return m_charge->FindCardModem(solvaneMode);
}

}  // namespace vr31k
