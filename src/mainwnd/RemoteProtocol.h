#pragma once
// Requests to the running utility over its instance socket, and its replies. A client
// sends one request line: "status", "connect [NAME]", "disconnect" or "watch"; the
// utility answers with JSON objects, one per line (docs/interface.md). "changed WHAT"
// tells it that another face changed the data folder.
#include "mainwnd/DataChanges.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

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

// One reply: a flat JSON object whose keys keep the order they were set in. Values are
// null, booleans, integers, strings and lists of integers or of strings.
class RemoteReply {
public:
    using Value = std::variant<std::nullptr_t, bool, int64_t, std::string, std::vector<int64_t>,
                               std::vector<std::string>>;
    using Fields = std::vector<std::pair<std::string, Value>>;

    RemoteReply& Set(const std::string& key, Value value);
    RemoteReply& Set(const std::string& key, bool value) { return Set(key, Value(value)); }
    RemoteReply& Set(const std::string& key, int64_t value) { return Set(key, Value(value)); }
    RemoteReply& Set(const std::string& key, int value) { return Set(key, Value(static_cast<int64_t>(value))); }
    RemoteReply& Set(const std::string& key, const char* value) { return Set(key, Value(std::string(value))); }
    RemoteReply& Set(const std::string& key, std::string value) { return Set(key, Value(std::move(value))); }

    const Value* Find(std::string_view key) const;
    std::string Text(std::string_view key) const;  // a string's value, else ""
    int64_t Number(std::string_view key, int64_t fallback = 0) const;
    bool Flag(std::string_view key) const;          // a boolean's value, else false
    const Fields& All() const { return m_fields; }

    // The reply as one line of JSON (without the end of line).
    std::string Dump() const;
    // Nothing when `line` is not such an object.
    static std::optional<RemoteReply> Parse(std::string_view line);

    bool operator==(const RemoteReply&) const = default;

private:
    Fields m_fields;
};

}  // namespace vr31k
