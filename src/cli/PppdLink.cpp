#include "cli/PppdLink.h"

#include "card/CardDetection.h"
#include "common/FileSystem.h"
#include "platform/DialupService.h"

namespace vr31k::cli {

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// Whether the tty's USB device (or its interface's) carries the card's ids: the
// sysfs device of the tty and its ancestors, nearest first.
bool IsCardTty(const std::string& sysRoot, const std::string& tty) {
    const std::string name = tty.substr(tty.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") return false;
    std::string device = CanonicalPath(sysRoot + "/class/tty/" + name + "/device");
    std::string interfaceNumber, vendor, product;
    for (int depth = 0; depth < 8 && device.size() > sysRoot.size(); ++depth) {
        std::string text;
        if (interfaceNumber.empty() && ReadWholeFile(device + "/bInterfaceNumber", 16, text)) {
            interfaceNumber = Trimmed(text);
        }
        if (ReadWholeFile(device + "/idVendor", 16, vendor) && ReadWholeFile(device + "/idProduct", 16, product)) {
            std::string id = "USB\\Vid_" + Trimmed(vendor) + "&Pid_" + Trimmed(product);
            if (!interfaceNumber.empty()) id += "&MI_" + interfaceNumber;
            return IsCardInstanceId(id, true);
        }
        device = ParentFolder(device);
    }
    return false;
}

}  // namespace

std::string PppdLinkInput::Env(const char* name) const {
    const char* value = env ? env(name) : nullptr;
    return value != nullptr ? value : "";
}

std::string PppdLinkInput::Arg(size_t i) const { return i < args.size() ? args[i] : ""; }

std::string PppdLinkInput::InterfaceName() const { return !Env("IFNAME").empty() ? Env("IFNAME") : Arg(0); }

std::string PppdLinkInput::Tty() const { return !Env("DEVICE").empty() ? Env("DEVICE") : Arg(1); }

bool IsCardLink(const PppdLinkInput& in) {
    return in.Arg(5) == kOwnLinkParam || in.Env("CALL_FILE") == kPppdPeerName || IsCardTty(in.sysRoot, in.Tty());
}

}  // namespace vr31k::cli
