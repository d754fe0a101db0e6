#include "dialup/CardContexts.h"

#include "common/StringIds.h"
#include "card/CardCheck.h"
#include "card/CardResults.h"

namespace vr31k {

PortPrep CardContexts::PreparePort() {
    if (m_card.IsOpen()) return PortPrep::AlreadyOpen;
    if (m_card.OpenPort(m_portName, true) == CARD_ERR_OPEN) {
        m_ui.Tell(ids::IDS_PORT_OPEN_ERROR_CAPTION, ids::IDS_PORT_OPEN_ERROR_TEXT, MessageIcon::Error);
        return PortPrep::Failed;
    }
    if (m_card.Initialize() != CARD_OK || m_card.SetErrorReporting(1) != CARD_OK) {
        ShowCommError(m_ui);
        return PortPrep::Failed;
    }
    return PortPrep::OpenedHere;
}

void CardContexts::ClosePort(PortPrep prep) {
    if (prep != PortPrep::AlreadyOpen) m_card.ClosePort();
}

int CardContexts::ClearAllContexts() { return static_cast<int>(m_card.SetPdpContext(0, std::nullopt)); }

int CardContexts::SetContext(int id, const std::string& apn) {
    return static_cast<int>(m_card.SetPdpContext(id, std::string_view(apn)));
}

int CardContexts::UndefineContext(int id) { return static_cast<int>(m_card.SetPdpContext(id, std::nullopt)); }

int CardContexts::ReadContexts(EntryList& out) {
    PdpContextList list;
    const unsigned result = m_card.GetPdpContexts(list);
    if (result != CARD_OK) return static_cast<int>(result);
    for (int k = 0; k < kEntryCount; ++k) out[k] = list[k];
    return 0;
}

}  // namespace vr31k
