#include "card/SimCodeRules.h"

#include "common/StringIds.h"

namespace vr31k {

bool IsValidSimCode(std::string_view code) {
    if (code.size() < 4 || code.size() > 8) return false;
    for (char c : code) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int CheckPinEntry(std::string_view pin) { return IsValidSimCode(pin) ? 0 : ids::IDS_PIN_FORMAT_CAPTION; }

int CheckCodesWithNewPin(std::string_view code, std::string_view newPin, std::string_view confirmPin) {
    if (!IsValidSimCode(code) || !IsValidSimCode(newPin) || !IsValidSimCode(confirmPin)) {
        return ids::IDS_PIN_FORMAT_CAPTION;
    }
    return newPin == confirmPin ? 0 : ids::IDS_PIN_CONFIRM_MISMATCH_CAPTION;
}

}  // namespace vr31k
