#pragma once
// What pppd's ip-down hook runs (as root) when a link ends: for a link over the card
// that the utility did not dial, a usage record in the data folder's spool, so the
// history counts links dialled with `pppd call vr31k-utility` or another dialler.
#include "cli/PppdLink.h"

#include <ostream>

namespace vr31k::cli {

// 0 a record was written, 1 the link was not the card's or was the utility's own,
// 2 it could not be written (told on `err`).
int RecordEndedLink(const PppdLinkInput& input, std::ostream& err);

}  // namespace vr31k::cli
