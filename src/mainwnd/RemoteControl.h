#pragma once
// The utility's side of the requests that come over its instance socket (vr31kctl
// connect, disconnect, status and watch while the utility runs, and the `changed`
// notice of every vr31kctl command that changed the data folder), without the toolkit.
// Connect and disconnect run the window's own flow, so the window shows the connection
// whoever started it; their replies come when the flow has ended. Runs on the window's
// thread.
#include "mainwnd/ConnectionControl.h"
#include "mainwnd/RemoteProtocol.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

// One client waiting for replies, as the window's glue holds it.
class IRemoteClient {
public:
    virtual ~IRemoteClient() = default;
    // One reply line; false when the client is gone.
    virtual bool Send(const std::string& line) = 0;
    // The last reply went out: the connection may close.
    virtual void Finish() = 0;
};

// Where the socket's glue hands the requests.
class IRemoteRequests {
public:
    virtual ~IRemoteRequests() = default;
    // A client's request line.
    virtual void Handle(std::string_view line, const std::shared_ptr<IRemoteClient>& client) = 0;
    // The client has closed: nothing more goes to it.
    virtual void Forget(const IRemoteClient* client) = 0;
};

class RemoteControl final : public IConnectionObserver, public IRemoteRequests {
public:
    RemoteControl(CUtilityDlg& window, ConnectionControl& connection, std::string dataFolder);
    ~RemoteControl() override;
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    void Handle(std::string_view line, const std::shared_ptr<IRemoteClient>& client) override;
    // Where a `changed` notice goes, on the window's thread (by default the window).
    void OnChanged(std::function<void(DataChanges)> reload) { m_reload = std::move(reload); }
    // A connect the client asked for goes on without it.
    void Forget(const IRemoteClient* client) override;
    // A box the window is about to show: told with the reply of a pending connect.
    void NoteBox(const MessageBoxRequest& request);
    // The figures of the connection of the moment, as `status` answers them.
    RemoteReply Status(const char* replyName);

    void Ticked() override;
    void ConnectionGone() override;
    void ConnectEnded(const FlowOutcome& outcome) override;
    void HangUpEnded(const FlowOutcome& outcome) override;
    void Recorded(int result, const HistoryRow& row) override;

private:
    const char* StateName();
    void Answer(std::shared_ptr<IRemoteClient>& client, const RemoteReply& reply);
    void EndWatches();

    CUtilityDlg& m_window;
    ConnectionControl& m_connection;
    CRasChargeCtrl& m_charge;
    std::string m_dataFolder;
    bool m_connectPending = false;
    bool m_hangUpPending = false;
    std::optional<int> m_recorded;  // what became of the row of the hang-up asked for
    std::shared_ptr<IRemoteClient> m_connectClient;  // null once it has closed
    std::shared_ptr<IRemoteClient> m_hangUpClient;
    std::vector<MessageBoxRequest> m_boxes;  // shown while the connect was pending
    std::vector<std::shared_ptr<IRemoteClient>> m_watchers;
    std::function<void(DataChanges)> m_reload;
};

}  // namespace vr31k
