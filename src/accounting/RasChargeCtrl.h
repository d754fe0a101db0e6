#pragma once
// The charge controller the application owns for its whole life: usage accounting
// (CChargeAccounting, with the history database) and the entry credential table kept
// beside the phonebook.
//
// Seam for the dial-up half: the dial-up controller (CWRasCtrl: phonebook, dial,
// monitor thread, live statistics) joins as a second base class,
//     class CRasChargeCtrl : public CWRasCtrl, public CChargeAccounting
// Its Setup runs first inside Setup() below; it fills Live() with the connection's
// counters and end time; and the entry operations that change the credential table
// (IEntryBook: add, rename, update credentials, remove, reset) are added here, each
// calling the CWRasCtrl operation first, then changing Credentials() and ending with
// SaveEntryStore(). Nothing in CChargeAccounting needs to change for that.
#include "accounting/ChargeAccounting.h"
#include "accounting/EntryCredentialStore.h"

#include <string>

namespace vr31k {

class CRasChargeCtrl : public CChargeAccounting {
public:
    CRasChargeCtrl();

    // Remembers the files and loads the credential table (its result is not a reason
    // to stop: a missing or invalid file leaves every slot empty). Returns 0.
    int Setup(const std::string& credentialPath, const std::string& phonebookPath, const std::string& modemName,
              bool anyDevice);
    // What Setup's load gave (0, 951 no file, 952 not a credential table), for reports.
    int SetupLoadResult() const { return m_setupLoadResult; }
    int LoadEntryStore() { return m_credentials.Load(); }
    int SaveEntryStore() { return m_credentials.Save(); }
    CEntryCredentialStore& Credentials() { return m_credentials; }
    const CEntryCredentialStore& Credentials() const { return m_credentials; }

    const std::string& PhonebookPath() const { return m_phonebookPath; }
    const std::string& ModemName() const { return m_modemName; }
    bool AnyDevice() const { return m_anyDevice; }

private:
    CEntryCredentialStore m_credentials;
    std::string m_phonebookPath;
    std::string m_modemName;
    bool m_anyDevice = false;
    int m_setupLoadResult = kCredentialNoFile;
};

}  // namespace vr31k
