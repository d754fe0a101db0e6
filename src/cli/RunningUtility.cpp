// vr31kctl watch, and the questions connect, disconnect and status ask the running
// utility first.
#include "cli/RunningUtility.h"

#include "cli/CliCardUi.h"
#include "cli/ConnectionStatus.h"
#include "cli/OutsideConnection.h"
#include "cli/ReadableValues.h"
#include "common/FileSystem.h"
#include "dialup/CWRasCtrl.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"

#include <chrono>

namespace vr31k::cli {

namespace {

using namespace std::chrono_literals;

// The utility answers a status at once; a connect when its dial has ended (the card
// check's boxes may wait for the user first); a hang-up within its own bound.
constexpr auto kStatusWait = 5s;
constexpr auto kConnectWait = 10min;
constexpr auto kHangUpWait = 2min;
// Between two lines of a watch the utility ticks once a second.
constexpr auto kWatchWait = 30s;

constexpr std::string_view kWatchHelp =
    "usage: vr31kctl [--json] watch\n"
    "\n"
    "Prints the figures of the utility's connection once a second until the connection\n"
    "ends (one JSON object a line with --json). Needs the utility running in this\n"
    "session.\n";

// The reply as vr31kctl prints its own results.
Json ToJson(const RemoteReply& reply) {
    Json out = Json::MakeObject();
    std::vector<ShownBox> boxes;
    for (const auto& [key, value] : reply.All()) {
        if (key == "reply" || key == "data_folder") continue;
        const Json::Array& items = value.Items();
        if (key == "messages") {
            for (size_t i = boxes.size(); i < items.size(); ++i) {
                boxes.push_back({static_cast<int>(items[i].Integer()), {}, {}});
            }
        } else if (key == "message_texts") {
            boxes.resize(std::max(boxes.size(), items.size()));
            for (size_t i = 0; i < items.size(); ++i) boxes[i].text = items[i].Text();
        } else {
            // The number is what the socket carries; people read what it means.
            out.Set(key, key == "charge" ? ChargeJson(value.Integer()) : value);
        }
    }
    if (reply.Find("messages") != nullptr) SetMessages(out, boxes);
    return out;
}

int PrintReply(CliContext& context, const RemoteReply& reply) {
    if (reply.Flag("ok")) return context.Print(ToJson(reply));
    if (reply.Text("error") == "not-connected") {
        return context.Fail(RAS_ERR_NOT_CONNECTED, "not-connected", "no connection in progress");
    }
    const int failed = context.PrintFailed(ToJson(reply));
    return reply.Text("error") == "limit-reached" ? kExitLimitReached : failed;
}

// One request on its own connection; the first reply line.
std::optional<RemoteReply> Ask(InstanceClient& client, const std::string& socketPath, const RemoteRequest& request,
                               std::chrono::milliseconds wait) {
    if (!client.Connect(socketPath) || !client.Send(FormatRemoteRequest(request))) return std::nullopt;
    std::string line;
    if (client.ReadLine(line, wait) != InstanceClient::ReadResult::Line) return std::nullopt;
    return RemoteReply::Parse(line);
}

std::string SocketPath() { return InstanceLock(DefaultLockDir()).OwnSocketPath(); }

// The utility's status when one runs in this session over the same data folder.
std::optional<RemoteReply> UtilityStatus(CliContext& context) {
    InstanceClient client;
    std::optional<RemoteReply> status = Ask(client, SocketPath(), {RemoteVerb::Status, {}}, kStatusWait);
    if (!status || !status->Find("ok")) return std::nullopt;
    const std::string folder = status->Text("data_folder");
    if (folder.empty() || CanonicalPath(folder) != CanonicalPath(context.Paths().folder)) return std::nullopt;
    return status;
}

int RunWatch(CliContext& context, CliArgs& args) {
    args.Finish();
    if (!UtilityStatus(context)) return context.Fail(1, "not-running", "the utility is not running in this session");
    InstanceClient client;
    std::optional<RemoteReply> reply = Ask(client, SocketPath(), {RemoteVerb::Watch, {}}, kStatusWait);
    while (reply) {
        if (!reply->Flag("ok") || reply->Flag("end")) return PrintReply(context, *reply);
        if (context.JsonOutput()) {
            context.Out() << ToJson(*reply).Dump() << '\n';
        } else {
            context.Out() << reply->Text("entry") << "  " << reply->Text("duration") << "  " << reply->Text("volume")
                          << "  charge " << reply->Text("charge_text") << '\n';
        }
        context.Out().flush();
        std::string line;
        const InstanceClient::ReadResult read = client.ReadLine(line, kWatchWait);
        if (read == InstanceClient::ReadResult::Closed) {
            // The utility ended (on a signal, say) before it could send the end line:
            // the watch ends with it, as it would have told.
            RemoteReply end;
            end.Set("reply", "watch").Set("ok", true).Set("state", "none").Set("end", true);
            return PrintReply(context, end);
        }
        if (read != InstanceClient::ReadResult::Line) break;
        reply = RemoteReply::Parse(line);
    }
    return context.Fail(1, "no-reply", "the utility stopped answering");
}

}  // namespace

std::optional<int> AskRunningUtility(CliContext& context, const RemoteRequest& request) {
    // A `vr31kctl connect` of this folder holds the connection (the utility sees it as
    // an outside one): it answers for it.
    if (ConnectionStatus(context.Paths().folder).Running()) return std::nullopt;
    const std::optional<RemoteReply> status = UtilityStatus(context);
    const bool none = !status || !status->Flag("ok");
    if (request.verb == RemoteVerb::Status) {
        if (!none) return PrintReply(context, *status);
        // Nobody of ours holds a connection: a link left up over the card is still one.
        return ReportOutsideConnection(context);
    }
    if (!status || (request.verb == RemoteVerb::Disconnect && none)) return std::nullopt;
    InstanceClient client;
    const auto wait = request.verb == RemoteVerb::Connect ? std::chrono::milliseconds(kConnectWait)
                                                          : std::chrono::milliseconds(kHangUpWait);
    const std::optional<RemoteReply> reply = Ask(client, SocketPath(), request, wait);
    if (!reply) return context.Fail(1, "no-reply", "the utility did not answer in time");
    return PrintReply(context, *reply);
}

const CommandGroup& WatchCommands() {
    static const CommandGroup group{"watch", "the utility's connection figures, once a second", kWatchHelp, RunWatch};
    return group;
}

}  // namespace vr31k::cli
