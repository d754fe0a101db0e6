// The instance socket's clients in the window's event loop: one-way messages, requests
// whose replies come later (also to a client that closed its sending side), and the
// bounds on silent clients and on how many are served at once.
#include "WaitFor.h"
#include "gui/RemoteClients.h"
#include "support/TempDir.h"

#include <QSocketNotifier>

#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vr31k {
namespace {

class FakeRequests final : public IRemoteRequests {
public:
    std::vector<std::string> lines;
    std::vector<std::shared_ptr<IRemoteClient>> waiting;
    int forgotten = 0;
    void Handle(std::string_view line, const std::shared_ptr<IRemoteClient>& client) override {
        lines.emplace_back(line);
        waiting.push_back(client);
    }
    void Forget(const IRemoteClient*) override { ++forgotten; }
};

class RemoteClientsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Listen(dir.File("s.sock")));
        clients = std::make_unique<RemoteClients>(
            server, requests, [this](const InstanceMessage& m) { messages.push_back(m); }, nullptr, 200);
        notifier = std::make_unique<QSocketNotifier>(server.Fd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, clients.get(), &RemoteClients::AcceptWaiting);
    }
    void TearDown() override {
        for (int fd : raw) {
            if (fd >= 0) close(fd);
        }
    }
    // A client sending `text` as it is.
    int Raw(const std::string& text) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string path = dir.File("s.sock");
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
        if (!text.empty()) {
            EXPECT_EQ(send(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
        }
        raw.push_back(fd);
        return fd;
    }
    // What the instance sent until it closed (the event loop runs meanwhile).
    static std::string ReadToEnd(int fd) {
        std::string text;
        test::WaitFor([&] {
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, 0) <= 0) return false;
            char buffer[512];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0) text.append(buffer, static_cast<size_t>(n));
            return n <= 0;
        });
        return text;
    }

    test::TempDir dir;
    InstanceServer server;
    FakeRequests requests;
    std::vector<InstanceMessage> messages;
    std::vector<int> raw;
    std::unique_ptr<RemoteClients> clients;
    std::unique_ptr<QSocketNotifier> notifier;
};

TEST_F(RemoteClientsTest, MessagesGoOneWayAndRepliesComeLater) {
    ASSERT_TRUE(SendInstanceMessage(dir.File("s.sock"), {0x8067, 1, 0}));
    ASSERT_TRUE(test::WaitFor([&] { return messages.size() == 1; }));
    EXPECT_EQ(messages[0], (InstanceMessage{0x8067, 1, 0}));
    EXPECT_TRUE(requests.lines.empty());

    // A request, and the client closes its sending side: the replies still reach it.
    const int fd = Raw("watch\n");
    shutdown(fd, SHUT_WR);
    ASSERT_TRUE(test::WaitFor([&] { return requests.lines.size() == 1; }));
    EXPECT_EQ(requests.lines[0], "watch");
    test::WaitFor([] { return false; }, 300);  // the end of its stream is seen, and past the line wait
    EXPECT_EQ(clients->ClientCount(), 1u);
    EXPECT_TRUE(requests.waiting[0]->Send(R"({"n": 1})"));
    EXPECT_TRUE(requests.waiting[0]->Send(R"({"n": 2})"));
    requests.waiting[0]->Finish();
    EXPECT_EQ(ReadToEnd(fd), "{\"n\": 1}\n{\"n\": 2}\n");
    EXPECT_EQ(clients->ClientCount(), 0u);
    EXPECT_EQ(requests.forgotten, 0) << "finished by the requests' side, not forgotten";
}

TEST_F(RemoteClientsTest, SilentClientsAreDroppedAndTheCountIsBounded) {
    const int silent = Raw("");
    EXPECT_EQ(ReadToEnd(silent), "");
    EXPECT_EQ(clients->ClientCount(), 0u);

    // One after the other: the listening backlog is shorter than the bound.
    for (size_t i = 0; i < RemoteClients::kMaxClients; ++i) {
        Raw("watch\n");
        ASSERT_TRUE(test::WaitFor([&] { return requests.lines.size() == i + 1; }));
    }
    const int extra = Raw("watch\n");
    EXPECT_NE(ReadToEnd(extra).find("\"error\": \"busy\""), std::string::npos);
    EXPECT_EQ(requests.lines.size(), RemoteClients::kMaxClients);

    // A waiting client that has gone is told to the requests' side by its next reply.
    close(raw[1]);
    raw[1] = -1;
    test::WaitFor([] { return false; }, 100);
    EXPECT_FALSE(requests.waiting[0]->Send("{}"));
}

}  // namespace
}  // namespace vr31k
