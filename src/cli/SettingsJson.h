#pragma once
// Settings sections as JSON objects, keys named and ordered as in the settings file.
#include "common/SettingsStore.h"
#include "cli/Json.h"

namespace vr31k::cli {

Json DialupSettingsJson(const DialupSettings& settings);
Json LimitSettingsJson(const LimitSettings& settings);

}  // namespace vr31k::cli
