#include "accounting/RasChargeCtrl.h"

namespace vr31k {

CRasChargeCtrl::CRasChargeCtrl() = default;

int CRasChargeCtrl::Setup(const std::string& credentialPath, const std::string& phonebookPath,
                          const std::string& modemName, bool anyDevice) {
    m_phonebookPath = phonebookPath;
    m_modemName = modemName;
    m_anyDevice = anyDevice;
    m_credentials.SetPath(credentialPath);
    m_setupLoadResult = LoadEntryStore();
    return 0;
}

}  // namespace vr31k
