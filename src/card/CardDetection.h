#pragma once
// Finding the card among the system's devices, its port, and ejecting its card-bus
// controller. Devices are described by hardware-id strings in the card's identifier
// table ("USB\Vid_1d4c&Pid_0a21&MI_00"), compared without regard to case, which are
// built here from the device tree's attributes.
#include "card/CardResults.h"
#include "platform/DeviceTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

// The hardware ids of a device, most specific first (with the revision, then without).
std::vector<std::string> HardwareIdsOf(const UsbSerialFunction& function);
std::vector<std::string> HardwareIdsOf(const UsbHostController& controller);
// The device instance id: "USB\VID_1D4C&PID_0A21&MI_00\<serial>" (composite) or
// "USB\VID_1D4C&PID_0A21\<serial>".
std::string InstanceIdOf(const UsbSerialFunction& function);
std::string InstanceIdOf(const UsbDeviceIds& device);
// True when a single-function device (one interface, or the communications class).
bool IsSingleFunction(const UsbDeviceIds& device);

// The found code for a device's hardware-id list (the first id of the list that is in
// the search set decides), or CARD_NOT_FOUND.
int MatchCardHardwareIds(const std::vector<std::string>& ids, bool portClass, bool distinguish, bool chipset);
// Whether a device instance id reported by a notice is the card's.
bool IsCardInstanceId(std::string_view instanceId, bool chipset);

// CARD_FOUND (or 12/13 with the flags), CARD_NOT_FOUND or CARD_ERR_OS. `port` is the
// tty node, empty when the device has none.
int FindCardPort(IDeviceTree& tree, std::string& port, bool portClass, bool distinguish, bool chipset);

// 1 when the card-bus controller carrying the card accepted its removal, 0 otherwise,
// 9 on an unsupported system.
int EjectCard(IDeviceTree& tree, bool subsystemVariants);

}  // namespace vr31k
