#pragma once
// A bare pseudo-terminal in raw mode, its slave side held open: the test plays the card
// or its modem on the master.
#include <string>

namespace vr31k::test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    void Send(const std::string& bytes);
    // Reads what arrived within `timeoutMs`, at least `atLeast` bytes if they come.
    std::string Receive(size_t atLeast, int timeoutMs = 2000);
    void CloseMaster();

private:
    int m_master = -1;
    int m_slaveHold = -1;
    std::string m_slavePath;
};

}  // namespace vr31k::test
