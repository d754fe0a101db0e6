#include "mainwnd/RemoteControl.h"

#include "common/StringTable.h"

#include <algorithm>

namespace vr31k {

namespace {

RemoteReply ErrorReply(const char* replyName, const std::string& error, int code, const std::string& message) {
    RemoteReply reply;
    reply.Set("reply", replyName).Set("ok", false).Set("error", error);
    if (code != 0) reply.Set("code", code);
    if (!message.empty()) reply.Set("message", message);
    return reply;
}

// The boxes as the command line lists them: caption ids, and the texts as shown.
void SetBoxes(RemoteReply& reply, const std::vector<MessageBoxRequest>& boxes) {
    std::vector<int64_t> ids;
    std::vector<std::string> texts;
    for (const MessageBoxRequest& box : boxes) {
        ids.push_back(box.captionId);
        texts.push_back(box.textId != 0 && box.text.empty() ? std::string(LoadString(box.textId)) : box.text);
    }
    reply.Set("messages", ids).Set("message_texts", texts);
}

}  // namespace

RemoteControl::RemoteControl(CUtilityDlg& window, ConnectionControl& connection, std::string dataFolder)
    : m_window(window), m_connection(connection), m_charge(window.Charge()), m_dataFolder(std::move(dataFolder)) {}

RemoteControl::~RemoteControl() = default;

const char* RemoteControl::StateName() {
    switch (m_window.State()) {
    case kCardDialing: return m_connection.IsConnected() ? "connected" : "dialling";
    case kCardOutsideConnection: return "outside";
    default: return "none";
    }
}

RemoteReply RemoteControl::Status(const char* replyName) {
    const std::string state = StateName();
    if (state == "none") {
        return ErrorReply(replyName, "not-connected", RAS_ERR_NOT_CONNECTED, "no connection in progress")
            .Set("data_folder", m_dataFolder);
    }
    RemoteReply reply;
    reply.Set("reply", replyName).Set("ok", true);
    WriteConnectionStatus(reply, state.c_str(), m_connection.Snapshot(), m_charge.LiveRecord().LastSaved())
        .Set("source", "utility").Set("data_folder", m_dataFolder);
    return reply;
}

void RemoteControl::Answer(std::shared_ptr<IRemoteClient>& client, const RemoteReply& reply) {
    const std::shared_ptr<IRemoteClient> taken = std::move(client);
    client.reset();
    if (taken == nullptr) return;
    taken->Send(reply.Dump());
    taken->Finish();
}

void RemoteControl::Handle(std::string_view line, const std::shared_ptr<IRemoteClient>& client) {
    std::shared_ptr<IRemoteClient> asking = client;
    std::string error;
    const std::optional<RemoteRequest> request = ParseRemoteRequest(line, error);
    if (!request) {
        Answer(asking, ErrorReply("error", "bad-request", 0, error));
        return;
    }
    switch (request->verb) {
    case RemoteVerb::Status: Answer(asking, Status("status")); break;
    case RemoteVerb::Watch:
        if (std::string(StateName()) == "none") {
            Answer(asking, Status("watch"));
            break;
        }
        if (!asking->Send(Status("watch").Dump())) {
            asking->Finish();
            break;
        }
        m_watchers.push_back(asking);
        break;
    case RemoteVerb::Connect:
        if (m_connectPending || m_hangUpPending) {
            Answer(asking, ErrorReply("connect", "busy", 0, "another request is under way"));
            break;
        }
        m_connectPending = true;
        m_connectClient = asking;
        m_boxes.clear();
        // From the event loop, not from inside the socket's handler: the flow runs modal
        // dialogs with their own loops.
        m_window.View().Post([this, entry = request->entry] { m_connection.ConnectEntry(entry); });
        break;
    case RemoteVerb::Disconnect:
        if (m_hangUpPending) {
            Answer(asking, ErrorReply("disconnect", "busy", 0, "a hang-up is under way"));
            break;
        }
        m_hangUpPending = true;
        m_hangUpClient = asking;
        m_recorded.reset();
        m_window.View().Post([this] { m_connection.HangUpCommand(); });
        break;
    case RemoteVerb::Changed: {
        // Told at once: what is read again may ask the user (a card on a new port).
        m_window.View().Post([this, changes = request->changes] {
            if (m_reload) {
                m_reload(changes);
            } else {
                m_window.OnDataChanged(changes);
            }
        });
        RemoteReply reply;
        reply.Set("reply", "changed").Set("ok", true).Set("changes", FormatDataChanges(request->changes));
        Answer(asking, reply);
        break;
    }
    }
}

void RemoteControl::Forget(const IRemoteClient* client) {
    if (m_connectClient.get() == client) m_connectClient.reset();
    if (m_hangUpClient.get() == client) m_hangUpClient.reset();
    std::erase_if(m_watchers, [client](const auto& w) { return w.get() == client; });
}

void RemoteControl::Recorded(int result, const HistoryRow&) {
    if (m_hangUpPending) m_recorded = result;
}

void RemoteControl::NoteBox(const MessageBoxRequest& request) {
    if (m_connectPending) m_boxes.push_back(request);
}

void RemoteControl::Ticked() {
    if (m_watchers.empty()) return;
    const std::string line = Status("watch").Dump();
    std::erase_if(m_watchers, [&](const std::shared_ptr<IRemoteClient>& w) {
        if (w->Send(line)) return false;
        w->Finish();
        return true;
    });
}

void RemoteControl::EndWatches() {
    RemoteReply end;
    end.Set("reply", "watch").Set("ok", true).Set("state", "none").Set("end", true);
    auto watchers = std::move(m_watchers);
    m_watchers.clear();
    for (auto& w : watchers) Answer(w, end);
}

void RemoteControl::ConnectionGone() { EndWatches(); }

void RemoteControl::ConnectEnded(const FlowOutcome& outcome) {
    if (!m_connectPending) return;
    m_connectPending = false;
    std::vector<MessageBoxRequest> boxes = std::move(m_boxes);
    m_boxes.clear();
    if (outcome.box) boxes.push_back(*outcome.box);
    RemoteReply reply = outcome.ok ? Status("connect") : ErrorReply("connect", outcome.error, outcome.code, {});
    SetBoxes(reply, boxes);
    Answer(m_connectClient, reply);
    if (!outcome.ok && std::string(StateName()) == "none") EndWatches();
}

void RemoteControl::HangUpEnded(const FlowOutcome& outcome) {
    if (!m_hangUpPending) return;
    m_hangUpPending = false;
    RemoteReply reply;
    // A connection neither in the history nor kept for its import is not counted: no
    // charge is told for it.
    if (outcome.ok && m_recorded && *m_recorded != kDbOk && *m_recorded != kRecordNotStamped &&
        !m_charge.LastKeptForImport()) {
        reply = ErrorReply("disconnect", "not-recorded", *m_recorded, "the connection could not be recorded");
    } else if (outcome.ok) {
        // The result dialog's figures: no pace, nothing live left to save.
        reply.Set("reply", "disconnect").Set("ok", true);
        WriteConnectionStatus(reply, nullptr, SnapshotOf(m_charge, PeriodOf(m_charge, true)), 0);
    } else {
        reply = ErrorReply("disconnect", outcome.error, outcome.code,
                           outcome.error == "not-connected" ? "no connection in progress" : "");
    }
    std::vector<MessageBoxRequest> boxes;
    if (outcome.box) boxes.push_back(*outcome.box);
    SetBoxes(reply, boxes);
    Answer(m_hangUpClient, reply);
}

}  // namespace vr31k
