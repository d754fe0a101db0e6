#include "gui/RemoteClients.h"

#include <QSocketNotifier>
#include <QTimer>

namespace vr31k {

class RemoteClients::Client final : public IRemoteClient {
public:
    Client(RemoteClients& owner, int fd) : m_owner(owner), m_peer(std::make_unique<InstancePeer>(fd)), m_fd(fd) {}
    ~Client() override { Close(); }

    bool Send(const std::string& line) override { return m_peer != nullptr && m_peer->Send(line); }
    void Finish() override { m_owner.Finished(*this); }
    int Fd() const { return m_fd; }

    void Watch(QSocketNotifier* notifier) { m_notifier = notifier; }
    // After its request a client may close its sending side and still read the replies:
    // nothing more to read, it stays until a reply cannot be sent.
    void StopReading() {
        if (m_notifier != nullptr) m_notifier->setEnabled(false);
    }
    InstancePeer* Peer() { return m_peer.get(); }
    bool lineTaken = false;

    void Close() {
        // The notifier goes before its descriptor; later, as its own signal may be running.
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);
            m_notifier->deleteLater();
            m_notifier = nullptr;
        }
        m_peer.reset();
    }

private:
    RemoteClients& m_owner;
    std::unique_ptr<InstancePeer> m_peer;
    int m_fd;
    QSocketNotifier* m_notifier = nullptr;
};

RemoteClients::RemoteClients(InstanceServer& server, IRemoteRequests& remote, MessageHandler onMessage, QObject* parent,
                             int lineWaitMs)
    : QObject(parent), m_server(server), m_remote(remote), m_onMessage(std::move(onMessage)), m_lineWaitMs(lineWaitMs) {}

RemoteClients::~RemoteClients() {
    for (auto& [fd, client] : m_clients) {
        m_remote.Forget(client.get());
        client->Close();
    }
}

void RemoteClients::AcceptWaiting() {
    for (int fd = m_server.AcceptClient(); fd >= 0; fd = m_server.AcceptClient()) {
        if (m_clients.size() >= kMaxClients) {
            InstancePeer refused(fd);
            RemoteReply busy;
            busy.Set("reply", "error").Set("ok", false).Set("error", "busy").Set("message", "too many clients");
            refused.Send(busy.Dump());
            continue;
        }
        auto client = std::make_shared<Client>(*this, fd);
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        client->Watch(notifier);
        m_clients[fd] = client;
        const std::weak_ptr<Client> weak = client;
        connect(notifier, &QSocketNotifier::activated, this, [this, weak] {
            if (auto c = weak.lock()) OnReadable(c);
        });
        QTimer::singleShot(m_lineWaitMs, this, [this, weak, fd] {
            auto c = weak.lock();
            if (c && !c->lineTaken && m_clients.count(fd) && m_clients[fd] == c) Drop(fd, true);
        });
    }
}

void RemoteClients::OnReadable(const std::shared_ptr<Client>& client) {
    InstancePeer* peer = client->Peer();
    if (peer == nullptr) return;
    std::string line;
    switch (peer->Read(line)) {
    case InstancePeer::ReadResult::Waiting: return;
    case InstancePeer::ReadResult::Closed:
        if (client->lineTaken) {
            client->StopReading();
        } else {
            Drop(peer->Fd(), true);
        }
        return;
    case InstancePeer::ReadResult::Line: break;
    }
    client->lineTaken = true;
    if (const std::optional<InstanceMessage> message = ParseInstanceMessage(line)) {
        Drop(peer->Fd(), false);  // the requests' side never saw it
        m_onMessage(*message);
        return;
    }
    m_remote.Handle(line, client);
}

void RemoteClients::Finished(Client& client) {
    // Its descriptor may be a newer client's by now, if this one was dropped before.
    const auto it = m_clients.find(client.Fd());
    if (it != m_clients.end() && it->second.get() == &client) {
        Drop(client.Fd(), false);
    } else {
        client.Close();
    }
}

void RemoteClients::Drop(int fd, bool tellRemote) {
    const auto it = m_clients.find(fd);
    if (it == m_clients.end()) return;
    const std::shared_ptr<Client> client = it->second;
    m_clients.erase(it);
    if (tellRemote) m_remote.Forget(client.get());
    client->Close();
}

}  // namespace vr31k
