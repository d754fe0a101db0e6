#include "dialup/EntryList.h"

namespace vr31k {

std::string DialStringFor(int position) { return "*99***" + std::to_string(position) + "#"; }

}  // namespace vr31k
