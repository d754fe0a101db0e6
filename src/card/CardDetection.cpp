#include "card/CardDetection.h"

#include "common/OsVersion.h"

#include <algorithm>
#include <cctype>

namespace vr31k {
namespace {

constexpr std::string_view kCardInterface0 = "USB\\Vid_1d4c&Pid_0a21&MI_00";
constexpr std::string_view kCardInterface1 = "USB\\Vid_1d4c&Pid_0a21&MI_01";
constexpr std::string_view kCardSingle = "USB\\Vid_1d4c&Pid_0a21";
constexpr std::string_view kChipsetInterface0 = "USB\\Vid_2b7e&Pid_4697&MI_00";
constexpr std::string_view kChipsetInterface1 = "USB\\Vid_2b7e&Pid_4697&MI_01";
constexpr std::string_view kChipsetSingle = "USB\\Vid_2b7e&Pid_4600";
constexpr std::string_view kController = "PCI\\VEN_19e1&DEV_0c41&SUBSYS_0c4119e1";
constexpr std::string_view kControllerNoSubsystem = "PCI\\VEN_19e1&DEV_0c41&SUBSYS_00000000";
constexpr std::string_view kControllerBlankSubsystem = "PCI\\VEN_19e1&DEV_0c41&SUBSYS_FFFFFFFF";

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string UsbBase(const UsbDeviceIds& d) { return "USB\\VID_" + Upper(d.vendorId) + "&PID_" + Upper(d.productId); }

std::string PciBase(const UsbHostController& c) { return "PCI\\VEN_" + Upper(c.vendor) + "&DEV_" + Upper(c.device); }

}  // namespace

bool IsSingleFunction(const UsbDeviceIds& device) { return device.interfaceCount <= 1 || device.deviceClass == "02"; }

std::vector<std::string> HardwareIdsOf(const UsbSerialFunction& function) {
    const std::string base = UsbBase(function.device);
    const std::string rev = "&REV_" + Upper(function.device.revision);
    if (IsSingleFunction(function.device)) return {base + rev, base};
    const std::string mi = "&MI_" + Upper(function.interfaceNumber);
    return {base + rev + mi, base + mi};
}

std::vector<std::string> HardwareIdsOf(const UsbHostController& controller) {
    const std::string base = PciBase(controller);
    const std::string subsys = "&SUBSYS_" + Upper(controller.subsystemDevice + controller.subsystemVendor);
    const std::string rev = "&REV_" + Upper(controller.revision);
    return {base + subsys + rev, base + subsys, base + rev, base};
}

std::string InstanceIdOf(const UsbDeviceIds& device) { return UsbBase(device) + "\\" + device.serial; }

std::string InstanceIdOf(const UsbSerialFunction& function) {
    if (IsSingleFunction(function.device)) return InstanceIdOf(function.device);
    return UsbBase(function.device) + "&MI_" + Upper(function.interfaceNumber) + "\\" + function.device.serial;
}

int MatchCardHardwareIds(const std::vector<std::string>& ids, bool portClass, bool distinguish, bool chipset) {
    const std::string_view cardInterface = portClass ? kCardInterface1 : kCardInterface0;
    const std::string_view chipsetInterface = portClass ? kChipsetInterface1 : kChipsetInterface0;
    // The port-class search looks for interface 1 only: its "single" ids are the same.
    const std::string_view cardSingle = portClass ? kCardInterface1 : kCardSingle;
    const std::string_view chipsetSingle = portClass ? kChipsetInterface1 : kChipsetSingle;
    const int interfaceCode = (portClass || distinguish) ? CARD_FOUND_COMPOSITE : CARD_FOUND;
    const int singleCode = portClass ? CARD_FOUND_COMPOSITE : distinguish ? CARD_FOUND_SINGLE : CARD_FOUND;
    for (const std::string& id : ids) {
        if (SameText(id, cardInterface) || (chipset && SameText(id, chipsetInterface))) return interfaceCode;
        if (SameText(id, cardSingle) || (chipset && SameText(id, chipsetSingle))) return singleCode;
    }
    return CARD_NOT_FOUND;
}

bool IsCardInstanceId(std::string_view instanceId, bool chipset) {
    if (StartsWithText(instanceId, kCardSingle) || StartsWithText(instanceId, kCardInterface0)) return true;
    return chipset && (StartsWithText(instanceId, kChipsetSingle) || StartsWithText(instanceId, kChipsetInterface0));
}

int FindCardPort(IDeviceTree& tree, std::string& port, bool portClass, bool distinguish, bool chipset) {
    port.clear();
    if (GetOsVersionClass() < kOsClassMinimum) return CARD_ERR_OS;
    std::vector<UsbSerialFunction> functions;
    if (!tree.ListUsbSerialFunctions(functions)) return CARD_NOT_FOUND;
    for (const UsbSerialFunction& function : functions) {
        const int found = MatchCardHardwareIds(HardwareIdsOf(function), portClass, distinguish, chipset);
        if (found == CARD_NOT_FOUND) continue;
        port = function.node;  // empty without a node: callers treat it as no card
        return found;
    }
    return CARD_NOT_FOUND;
}

int EjectCard(IDeviceTree& tree, bool subsystemVariants) {
    if (GetOsVersionClass() < kOsClassMinimum) return CARD_ERR_OS;
    int result = 0;
    std::vector<UsbHostController> controllers;
    if (!tree.ListUsbHostControllers(controllers)) return 0;
    for (const UsbHostController& controller : controllers) {
        for (const std::string& id : HardwareIdsOf(controller)) {
            const bool match = SameText(id, kController) ||
                               (subsystemVariants && (SameText(id, kControllerNoSubsystem) || SameText(id, kControllerBlankSubsystem)));
            if (!match) continue;
            if (!controller.hasRootHub || !controller.deviceOnRootHub) continue;
            if (!StartsWithText(InstanceIdOf(*controller.deviceOnRootHub), kCardSingle)) continue;
            if (!controller.removable) continue;
            if (tree.RequestRemoval(controller.sysPath)) result = 1;
            break;  // no further id of this device is looked at
        }
    }
    return result;
}

}  // namespace vr31k
