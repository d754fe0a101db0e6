#include "dialup/DialFailureCause.h"

#include "platform/DialupService.h"

namespace vr31k {

namespace {

struct CodeCause {
    int code;
    std::string_view cause;
};

constexpr CodeCause kCauses[] = {
    {dialerr::kAccessDenied,
     "you may not run pppd or open the card's port: join the groups dip and dialout (sudo adduser $USER dip; "
     "sudo adduser $USER dialout), then log in again"},
    {dialerr::kInvalidName, "the entry's name cannot be dialled: rename the entry"},
    {dialerr::kEntryNotFound, "the entry is not in the phonebook: run vr31kctl entries sync"},
    {dialerr::kDeviceDoesNotExist, "the kernel has no PPP support: run sudo modprobe ppp_generic"},
    {dialerr::kPortDisconnected, "the card hung up: check the signal, or whether the card was taken out"},
    {dialerr::kDisconnection, "the network closed the link: check the entry's APN, user name and password"},
    {dialerr::kUserDisconnection, "the dial was cancelled"},
    {dialerr::kInvalidSize, "the entry's user name, password or dial string is too long for pppd"},
    {dialerr::kPortNotAvailable,
     "the card's port is missing, locked or held by another program: run vr31kctl doctor to see which"},
    {dialerr::kUnknown, "pppd failed for a reason it did not name: see the system log (journalctl -t pppd)"},
    {dialerr::kRequestTimeout, "the link did not go down in time: try the hang-up again"},
    {dialerr::kFromDevice,
     "the card refused the dial: check that the entry's packet context is on the card (vr31kctl entries sync) "
     "and that the SIM is ready (vr31kctl card check)"},
    {dialerr::kFileNotOpened, "pppd or its peer file is not installed: run scripts/setup.sh"},
    {dialerr::kLineBusy, "the network answered busy: try again in a minute"},
    {dialerr::kNoAnswer, "the card got no data connection: check the signal and the entry's APN"},
    {dialerr::kNoDialtone, "the card is not registered on the network: check the signal and the SIM"},
    {dialerr::kAuthenticationFailure, "the network refused the entry's user name or password: correct them"},
    {dialerr::kPppTimeout, "the network never answered PPP after the dial: check the APN and try again"},
    {dialerr::kPppNoProtocols, "the network gave no IP address: check the entry's APN"},
};

}  // namespace

std::string DialFailureCause(int code, std::string_view detail) {
    if (!detail.empty()) return std::string(detail);
    for (const CodeCause& c : kCauses) {
        if (c.code == code) return std::string(c.cause);
    }
    return "dial-up error " + std::to_string(code);
}

}  // namespace vr31k
