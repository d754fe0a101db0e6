#pragma once
// vr31kctl's results are the program's one JSON value.
#include "common/JsonValue.h"

namespace vr31k::cli {

using Json = JsonValue;
using vr31k::JsonQuote;

}  // namespace vr31k::cli
