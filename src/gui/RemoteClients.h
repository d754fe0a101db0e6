#pragma once
// The instance socket's clients on the window's side. Each client is read without
// blocking the window (a socket notifier per client); its one line is either a
// one-way message (a second start, a card notice) or a request for RemoteControl,
// whose replies may come much later. Bounded: how many clients at once, how long a
// client may take to send its line, how long the line may be.
#include "mainwnd/RemoteControl.h"
#include "platform/InstanceChannel.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>

namespace vr31k {

class RemoteClients : public QObject {
public:
    using MessageHandler = std::function<void(const InstanceMessage&)>;
    // Clients at once: the watchers and the waiting requests of one user's scripts.
    static constexpr size_t kMaxClients = 16;
    // `lineWaitMs`: how long a client may take to send its line once connected.
    RemoteClients(InstanceServer& server, IRemoteRequests& remote, MessageHandler onMessage, QObject* parent,
                  int lineWaitMs = 2000);
    ~RemoteClients() override;

    // The listening socket is readable: clients are waiting.
    void AcceptWaiting();
    size_t ClientCount() const { return m_clients.size(); }

private:
    class Client;
    void OnReadable(const std::shared_ptr<Client>& client);
    void Finished(Client& client);
    // Closes a client; `tellRemote` unless the remote side itself finished with it.
    void Drop(int fd, bool tellRemote);

    InstanceServer& m_server;
    IRemoteRequests& m_remote;
    MessageHandler m_onMessage;
    int m_lineWaitMs;
    std::map<int, std::shared_ptr<Client>> m_clients;  // by descriptor
};

}  // namespace vr31k
