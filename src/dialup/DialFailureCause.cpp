#include "dialup/DialFailureCause.h"

#include "common/StringIds.h"
#include "common/StringTable.h"
#include "platform/DialupService.h"

namespace vr31k {

using namespace ids;

namespace {

struct CodeCause {
    int code;
    int textId;
    bool diagnosable;  // a check of the diagnosis looks at what causes it
};

constexpr CodeCause kCauses[] = {
    {dialerr::kAccessDenied, IDS_DIAL_CAUSE_ACCESS_DENIED, true},
    {dialerr::kInvalidName, IDS_DIAL_CAUSE_INVALID_NAME, false},
    {dialerr::kEntryNotFound, IDS_DIAL_CAUSE_ENTRY_NOT_FOUND, false},
    {dialerr::kDeviceDoesNotExist, IDS_DIAL_CAUSE_NO_KERNEL_PPP, true},
    {dialerr::kPortDisconnected, IDS_DIAL_CAUSE_PORT_DISCONNECTED, false},
    {dialerr::kDisconnection, IDS_DIAL_CAUSE_DISCONNECTION, false},
    {dialerr::kUserDisconnection, IDS_DIAL_CAUSE_CANCELLED, false},
    {dialerr::kInvalidSize, IDS_DIAL_CAUSE_TOO_LONG, false},
    {dialerr::kPortNotAvailable, IDS_DIAL_CAUSE_PORT_NOT_AVAILABLE, true},
    {dialerr::kUnknown, IDS_DIAL_CAUSE_UNNAMED, false},
    {dialerr::kRequestTimeout, IDS_DIAL_CAUSE_HANGUP_TIMEOUT, false},
    {dialerr::kFromDevice, IDS_DIAL_CAUSE_CARD_REFUSED, true},
    {dialerr::kFileNotOpened, IDS_DIAL_CAUSE_NOT_INSTALLED, true},
    {dialerr::kLineBusy, IDS_DIAL_CAUSE_BUSY, false},
    {dialerr::kNoAnswer, IDS_DIAL_CAUSE_NO_ANSWER, false},
    {dialerr::kNoDialtone, IDS_DIAL_CAUSE_NOT_REGISTERED, true},
    {dialerr::kAuthenticationFailure, IDS_DIAL_CAUSE_AUTHENTICATION, false},
    {dialerr::kPppTimeout, IDS_DIAL_CAUSE_PPP_TIMEOUT, false},
    {dialerr::kPppNoProtocols, IDS_DIAL_CAUSE_NO_ADDRESS, false},
};

const CodeCause* Find(int code) {
    for (const CodeCause& c : kCauses) {
        if (c.code == code) return &c;
    }
    return nullptr;
}

}  // namespace

std::string DialFailureCause(int code, std::string_view detail) {
    const CodeCause* known = Find(code);
    std::string cause = known != nullptr ? std::string(LoadString(known->textId))
                                         : FormatString(IDS_DIAL_CAUSE_UNKNOWN_CODE, {std::to_string(code)});
    if (!detail.empty()) cause += "\n" + FormatString(IDS_DIAL_CAUSE_DETAIL, {detail});
    return cause;
}

bool DiagnosisNamesDialFailure(int code) {
    const CodeCause* known = Find(code);
    return known != nullptr && known->diagnosable;
}

}  // namespace vr31k
