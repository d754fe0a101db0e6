#include "card/CardMonitor.h"

#include "card/CardDetection.h"

namespace vr31k {

CardMonitor::CardMonitor(bool chipset, std::unique_ptr<IDeviceMonitor> monitor)
    : m_chipset(chipset), m_monitor(std::move(monitor)) {}

std::optional<CardNotice> CardMonitor::Next() {
    if (!m_monitor) return std::nullopt;
    while (const std::optional<DeviceNotice> notice = m_monitor->Next()) {
        if (IsCardInstanceId(InstanceIdOf(notice->function), m_chipset)) {
            return notice->arrived ? CardNotice::Arrived : CardNotice::Removed;
        }
    }
    return std::nullopt;
}

}  // namespace vr31k
