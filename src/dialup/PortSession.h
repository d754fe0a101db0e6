#pragma once
#include "dialup/EntryPorts.h"

namespace vr31k {

// A settings task's hold on the card's port: prepared on construction, closed (unless
// it was open before) by Close() or at the end of the scope, whichever comes first.
class PortSession {
public:
    explicit PortSession(ICardContexts& card) : m_card(card), m_prep(card.PreparePort()) {}
    ~PortSession() { Close(); }
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool Ready() const { return m_prep != PortPrep::Failed; }
    void Close() {
        if (!m_closed) m_card.ClosePort(m_prep);
        m_closed = true;
    }

private:
    ICardContexts& m_card;
    PortPrep m_prep;
    bool m_closed = false;
};

}  // namespace vr31k
