#pragma once
// Requests to the running utility over its instance socket, and its replies. A client
// sends one request line: "status", "connect [NAME]", "disconnect" or "watch"; the
// utility answers with JSON objects, one per line (docs/interface.md). "changed WHAT"
// tells it that another face changed the data folder.
#include "common/JsonValue.h"
#include "mainwnd/DataChanges.h"

#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

enum class RemoteVerb { Status, Connect, Disconnect, Watch, Changed };

struct RemoteRequest {
    RemoteVerb verb = RemoteVerb::Status;
    std::string entry;  // connect: the entry to dial; empty for the one selected
    DataChanges changes = 0;  // changed: what was changed
    bool operator==(const RemoteRequest&) const = default;
};

// Nothing with `error` saying why when the line is no request.
std::optional<RemoteRequest> ParseRemoteRequest(std::string_view line, std::string& error);
std::string FormatRemoteRequest(const RemoteRequest& request);

// One reply: a flat JSON object (JsonValue::Parse reads one back) whose keys keep the
// order they were set in.
using RemoteReply = JsonValue;

}  // namespace vr31k
