// The request side of the instance socket: the instance reads one bounded line per
// client without blocking, answers on the open connection, and the asking side reads
// the replies until the instance closes.
#include "platform/InstanceChannel.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace vr31k {
namespace {

using namespace std::chrono_literals;
using Read = InstancePeer::ReadResult;

// A client that sends raw bytes, to try what InstanceClient never sends.
int RawClient(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    return fd;
}

TEST(InstanceRequests, ThePeerReadsOneBoundedLine) {
    struct Case {
        const char* what;
        std::string sent;
        bool closeAfter;
        Read expected;
        std::string line;
    };
    const std::string tooLong(kInstanceLineMax + 1, 'a');
    const Case cases[] = {
        {"a line", "status\n", false, Read::Line, "status"},
        {"a line ending in CR LF", "connect x\r\n", false, Read::Line, "connect x"},
        {"half a line", "sta", false, Read::Waiting, ""},
        {"nothing and gone", "", true, Read::Closed, ""},
        {"half a line and gone", "sta", true, Read::Closed, ""},
        {"too long, no end yet", tooLong, false, Read::Closed, ""},
        {"too long with its end", tooLong + "\n", false, Read::Closed, ""},
        {"the longest allowed", std::string(kInstanceLineMax, 'b') + "\n", false, Read::Line,
         std::string(kInstanceLineMax, 'b')},
    };
    test::TempDir dir;
    InstanceServer server;
    ASSERT_TRUE(server.Listen(dir.File("s.sock")));
    for (const Case& c : cases) {
        const int fd = RawClient(dir.File("s.sock"));
        if (!c.sent.empty()) {
            ASSERT_EQ(send(fd, c.sent.data(), c.sent.size(), 0), static_cast<ssize_t>(c.sent.size()));
        }
        if (c.closeAfter) close(fd);
        const int accepted = server.AcceptClient();
        ASSERT_GE(accepted, 0) << c.what;
        InstancePeer peer(accepted);
        std::string line;
        EXPECT_EQ(peer.Read(line), c.expected) << c.what;
        EXPECT_EQ(line, c.line) << c.what;
        if (!c.closeAfter) close(fd);
    }
    EXPECT_EQ(server.AcceptClient(), -1) << "nobody else waits";
}

TEST(InstanceRequests, AnInstanceThatTakesNoConnectionIsGivenUpOnInTime) {
    test::TempDir dir;
    const std::string path = dir.File("stuck.sock");
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 0), 0);  // never accepts: its queue fills at once
    std::vector<InstanceClient> queued(4);
    for (InstanceClient& c : queued) c.Connect(path, 50ms);
    InstanceClient late;
    EXPECT_FALSE(late.Connect(path, 100ms));
    close(listener);
}

TEST(InstanceRequests, RepliesGoBackOnTheOpenConnectionUntilTheInstanceCloses) {
    test::TempDir dir;
    InstanceServer server;
    ASSERT_TRUE(server.Listen(dir.File("s.sock")));
    InstanceClient client;
    EXPECT_FALSE(client.Connect(dir.File("nobody.sock")));
    ASSERT_TRUE(client.Connect(dir.File("s.sock")));
    ASSERT_TRUE(client.Send("watch"));
    auto peer = std::make_unique<InstancePeer>(server.AcceptClient());
    std::string line;
    ASSERT_EQ(peer->Read(line), Read::Line);
    EXPECT_EQ(line, "watch");

    std::string reply;
    EXPECT_EQ(client.ReadLine(reply, 50ms), InstanceClient::ReadResult::TimedOut) << "a reply may come later";
    EXPECT_TRUE(peer->Send(R"({"reply": "watch", "n": 1})"));
    EXPECT_TRUE(peer->Send(R"({"reply": "watch", "n": 2})"));
    ASSERT_EQ(client.ReadLine(reply, 1s), InstanceClient::ReadResult::Line);
    EXPECT_EQ(reply, R"({"reply": "watch", "n": 1})");
    ASSERT_EQ(client.ReadLine(reply, 1s), InstanceClient::ReadResult::Line);
    EXPECT_EQ(reply, R"({"reply": "watch", "n": 2})");

    // What the client says after its request is dropped; its closing is seen.
    ASSERT_TRUE(client.Send("more"));
    EXPECT_EQ(peer->Read(line), Read::Waiting);
    peer.reset();
    EXPECT_EQ(client.ReadLine(reply, 1s), InstanceClient::ReadResult::Closed);

    ASSERT_TRUE(client.Connect(dir.File("s.sock")));
    InstancePeer second(server.AcceptClient());
    client.Close();
    EXPECT_EQ(second.Read(line), Read::Closed);
    EXPECT_FALSE(second.Send("{}")) << "a client that has gone is told";
}

}  // namespace
}  // namespace vr31k
