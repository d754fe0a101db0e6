#include "common/UtilitySettingsRules.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

namespace vr31k {

FieldCheck CheckOneshotTime(std::string_view text) {
    FieldCheck check;
    for (char c : text) {
        if (c < '0' || c > '9') {
            check.captionId = ids::IDS_DIGITS_ONLY_CAPTION;
            check.textId = ids::IDS_DIGITS_ONLY_TEXT;
            check.text = std::string(LoadString(check.textId));
            return check;
        }
    }
    long long value = -1;
    if (!text.empty()) {
        value = 0;
        for (char c : text) {
            value = value * 10 + (c - '0');
            if (value > kOneshotTimeMax) break;  // no overflow on long digit strings
        }
    }
    if (value < kOneshotTimeMin || value > kOneshotTimeMax) {
        check.captionId = ids::IDS_RANGE_CAPTION;
        check.textId = ids::IDS_RANGE_TEXT;
        check.text = FormatString(check.textId, {std::to_string(kOneshotTimeMin), std::to_string(kOneshotTimeMax)});
        return check;
    }
    check.ok = true;
    check.value = static_cast<int>(value);
    return check;
}

}  // namespace vr31k
