#pragma once
// Arrival and removal of the card, from the system's device notices: a notice counts
// when the device instance id of the reported function is the card's (with the
// chipset's ids too under SolvaneMode). The main window watches Fd() in its event loop.
#include "platform/DeviceTree.h"

#include <memory>
#include <optional>

namespace vr31k {

enum class CardNotice { Arrived, Removed };

class CardMonitor {
public:
    explicit CardMonitor(bool chipset, std::unique_ptr<IDeviceMonitor> monitor = MakeDeviceMonitor());
    // False when the system's notices cannot be received.
    bool IsWatching() const { return m_monitor != nullptr; }
    int Fd() const { return m_monitor ? m_monitor->Fd() : -1; }
    // The next waiting notice about the card; other devices' notices are dropped.
    std::optional<CardNotice> Next();

private:
    const bool m_chipset;
    std::unique_ptr<IDeviceMonitor> m_monitor;
};

}  // namespace vr31k
