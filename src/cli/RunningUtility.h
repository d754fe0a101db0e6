#pragma once
// connect, disconnect and status while the utility runs in this user's session: the
// utility is asked over its instance socket instead of dialling a second time beside it.
#include "cli/CliCommand.h"
#include "mainwnd/RemoteProtocol.h"

#include <optional>

namespace vr31k::cli {

// The command's exit status when the running utility of this data folder answered it
// (its reply printed as the command prints its own), or, for status, when a link left
// up over the card was found; nothing when the command does its own work.
std::optional<int> AskRunningUtility(CliContext& context, const RemoteRequest& request);

}  // namespace vr31k::cli
