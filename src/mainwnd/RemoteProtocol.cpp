#include "mainwnd/RemoteProtocol.h"

namespace vr31k {

namespace {

struct VerbName {
    RemoteVerb verb;
    std::string_view name;
};
constexpr VerbName kVerbs[] = {
    {RemoteVerb::Status, "status"},
    {RemoteVerb::Connect, "connect"},
    {RemoteVerb::Disconnect, "disconnect"},
    {RemoteVerb::Watch, "watch"},
    {RemoteVerb::Changed, "changed"},
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<RemoteRequest> ParseRemoteRequest(std::string_view line, std::string& error) {
    line = Trim(line);
    const size_t space = line.find_first_of(" \t");
    const std::string_view word = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));
    for (const VerbName& v : kVerbs) {
        if (word != v.name) continue;
        if (v.verb == RemoteVerb::Changed) {
            const std::optional<DataChanges> changes = ParseDataChanges(rest);
            if (!changes) {
                error = "'changed' takes what changed: plan, limit, utility, entries, history or port";
                return std::nullopt;
            }
            return RemoteRequest{v.verb, {}, *changes};
        }
        if (v.verb != RemoteVerb::Connect && !rest.empty()) {
            error = "'" + std::string(word) + "' takes no argument";
            return std::nullopt;
        }
        for (const char c : rest) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                error = "control character in the entry name";
                return std::nullopt;
            }
        }
        return RemoteRequest{v.verb, std::string(rest)};
    }
    error = word.empty() ? "empty request" : "unknown request '" + std::string(word.substr(0, 32)) + "'";
    return std::nullopt;
}

std::string FormatRemoteRequest(const RemoteRequest& request) {
    for (const VerbName& v : kVerbs) {
        if (v.verb != request.verb) continue;
        std::string line(v.name);
        if (request.verb == RemoteVerb::Connect && !request.entry.empty()) line += " " + request.entry;
        if (request.verb == RemoteVerb::Changed) line += " " + FormatDataChanges(request.changes);
        return line;
    }
    return {};
}

}  // namespace vr31k
