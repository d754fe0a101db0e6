#pragma once
// The card's packet-context table as the entry screens reach it: through the card
// controller's command port, prepared for one settings task at a time.
#include "card/CWKvCtrl.h"
#include "card/CardUi.h"
#include "dialup/EntryPorts.h"

namespace vr31k {

class CardContexts : public ICardContexts {
public:
    CardContexts(CWKvCtrl& card, ICardUi& ui, std::string portName)
        : m_card(card), m_ui(ui), m_portName(std::move(portName)) {}

    // Already open: left so. Otherwise opened (with its message when the port cannot be
    // opened) and set up (the communication error when that fails).
    PortPrep PreparePort() override;
    void ClosePort(PortPrep prep) override;
    int ClearAllContexts() override;
    int SetContext(int id, const std::string& apn) override;
    int UndefineContext(int id) override;
    int ReadContexts(EntryList& out) override;

private:
    CWKvCtrl& m_card;
    ICardUi& m_ui;
    std::string m_portName;
};

}  // namespace vr31k
