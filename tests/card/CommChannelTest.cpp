// The serial channel on a real pseudo-terminal: the test plays the card on the master.
#include "platform/linux/Machine.h"
#include "card/CWCommCtrl.h"
#include "card/CardResults.h"
#include "PtyPair.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace vr31k {
namespace {

using namespace std::chrono_literals;
using test::PtyPair;

constexpr int kShortRetryMs = 20;

// Counts callbacks; checks the chunk is already queued when the callback runs.
class CCountingChannel : public CWCommCtrl {
public:
    CCountingChannel() : CWCommCtrl(kShortRetryMs, MakeSerialPort(), MakeDeviceInhibit()) { SetReceiveCallback(&Count, this); }
    ~CCountingChannel() override { Close(); }
    std::atomic<int> calls{0};

    std::string ReadAll(size_t atLeast, int timeoutMs = 2000) {
        std::string all, chunk;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (all.size() < atLeast && std::chrono::steady_clock::now() < deadline) {
            if (Read(chunk) == COMM_OK) all += chunk;
            else std::this_thread::sleep_for(1ms);
        }
        return all;
    }

private:
    static int Count(void* context) {
        static_cast<CCountingChannel*>(context)->calls++;
        return 0;
    }
};

TEST(CommChannel, WritesArriveInOrderAndRepliesAreQueued) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_EQ(channel.Write(""), COMM_OK);  // queues nothing
    EXPECT_EQ(channel.Write("AT\r"), COMM_OK);
    EXPECT_EQ(channel.WriteString("ATI0\r"), COMM_OK);
    EXPECT_EQ(pty.Receive(8), "AT\rATI0\r");

    pty.Send("\r\nOK\r\n");
    EXPECT_EQ(channel.ReadAll(6), "\r\nOK\r\n");
    EXPECT_GE(channel.calls.load(), 1);
    std::string chunk = "x";
    EXPECT_EQ(channel.Read(chunk), COMM_ERR_NODATA);
    EXPECT_TRUE(chunk.empty());
    EXPECT_EQ(channel.Close(), COMM_OK);
    EXPECT_FALSE(channel.IsOpen());
}

// The callback runs after its chunk is queued and with no queue lock held: reading the
// queue from inside it finds the chunk (and would deadlock if a lock were held).
class CReadingChannel : public CWCommCtrl {
public:
    CReadingChannel() : CWCommCtrl(kShortRetryMs, MakeSerialPort(), MakeDeviceInhibit()) { SetReceiveCallback(&Take, this); }
    ~CReadingChannel() override { Close(); }
    std::mutex mutex;
    std::string taken;
    int emptyCalls = 0;

private:
    static int Take(void* context) {
        auto* self = static_cast<CReadingChannel*>(context);
        std::string chunk;
        const int r = self->Read(chunk);
        std::lock_guard lock(self->mutex);
        if (r == COMM_OK) self->taken += chunk;
        else ++self->emptyCalls;
        return 0;
    }
};

TEST(CommChannel, CallbackFindsItsChunkQueued) {
    PtyPair pty;
    CReadingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    for (int i = 0; i < 5; ++i) {
        pty.Send("\r\nOK\r\n");
        std::this_thread::sleep_for(10ms);
    }
    // The reader may still be on its way to the last burst on a busy machine.
    for (int wait = 0; wait < 200; ++wait) {
        {
            std::lock_guard lock(channel.mutex);
            if (channel.taken.size() >= 30u) break;
        }
        std::this_thread::sleep_for(10ms);
    }
    channel.Close();
    std::lock_guard lock(channel.mutex);
    EXPECT_EQ(channel.taken.size(), 30u);
    EXPECT_EQ(channel.emptyCalls, 0);
}

TEST(CommChannel, BurstsFurtherApartThanTheIntervalAreSeparateChunks) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    CommTimeouts timeouts;
    timeouts.readInterval = 1;
    channel.SetTimeouts(timeouts);
    pty.Send("first");
    std::this_thread::sleep_for(50ms);
    pty.Send("second");
    std::this_thread::sleep_for(50ms);
    std::string a, b, c;
    EXPECT_EQ(channel.Read(a), COMM_OK);
    EXPECT_EQ(channel.Read(b), COMM_OK);
    EXPECT_EQ(channel.Read(c), COMM_ERR_NODATA);
    EXPECT_EQ(a, "first");
    EXPECT_EQ(b, "second");
    EXPECT_EQ(channel.calls.load(), 2);
}

TEST(CommChannel, ALargeReplyComesInChunksOfAtMost32k) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    const std::string big(40000, 'x');
    std::thread sender([&] { pty.Send(big); });
    std::string all, chunk;
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (all.size() < big.size() && std::chrono::steady_clock::now() < deadline) {
        if (channel.Read(chunk) == COMM_OK) {
            EXPECT_LE(chunk.size(), CWCommCtrl::kMaxChunk);
            all += chunk;
        } else {
            std::this_thread::sleep_for(1ms);
        }
    }
    sender.join();
    EXPECT_EQ(all, big);
}

TEST(CommChannel, ClosedChannelRefusesWritesAndCloseIsIdempotent) {
    CCountingChannel channel;
    EXPECT_EQ(channel.Close(), COMM_OK);  // never opened
    EXPECT_EQ(channel.Write("AT\r"), COMM_ERR_OPEN);
    std::string chunk;
    EXPECT_EQ(channel.Read(chunk), COMM_ERR_NODATA);
    EXPECT_EQ(channel.SetFlowControl(1), COMM_OK);  // nothing to do while closed
    EXPECT_EQ(channel.Close(), COMM_OK);
}

TEST(CommChannel, CloseDiscardsUnreadData) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    pty.Send("unread");
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (channel.calls.load() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(channel.Close(), COMM_OK);
    std::string chunk;
    EXPECT_EQ(channel.Read(chunk), COMM_ERR_NODATA);
    // Reopened, the channel works again and sees nothing of the old data.
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    EXPECT_EQ(channel.Read(chunk), COMM_ERR_NODATA);
    pty.Send("new");
    EXPECT_EQ(channel.ReadAll(3), "new");
}

TEST(CommChannel, MissingDeviceFailsTwiceAndLeavesTheChannelClosed) {
    CCountingChannel channel;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.Open("/dev/vr31k-no-such-port", true), COMM_ERR_OPEN);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kShortRetryMs));
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.PortPath(), "/dev/vr31k-no-such-port");
    EXPECT_EQ(channel.Open("vr31k-no-such-port", true), COMM_ERR_OPEN);
    EXPECT_EQ(channel.PortPath(), "/dev/vr31k-no-such-port");  // a bare name lives below /dev
}

TEST(CommChannel, APortInUseFailsLikeABusyPort) {
    PtyPair pty;
    CCountingChannel first, second;
    ASSERT_EQ(first.Open(pty.SlavePath(), true), COMM_OK);
    EXPECT_EQ(second.Open(pty.SlavePath(), true), COMM_ERR_OPEN);
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_EQ(second.Open(pty.SlavePath(), true), COMM_OK);
}

// A pseudo-terminal keeps its exclusive mode past the channel's close (its tty lives on
// with the other side): the next program to open it, unless root, would find it busy.
TEST(CommChannel, ClosingGivesThePortBackToOtherPrograms) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    channel.Close();
    const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    EXPECT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    close(fd);
    EXPECT_EQ(exclusive, 0);
}

TEST(CommChannel, OpenOnAnOpenChannelReopens) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    EXPECT_EQ(channel.Write("AT\r"), COMM_OK);
    EXPECT_EQ(pty.Receive(3), "AT\r");
}

TEST(CommChannel, HangUpEndsTheReaderAndCloseStillWorks) {
    auto pty = std::make_unique<PtyPair>();
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty->SlavePath(), true), COMM_OK);
    pty.reset();  // the card is pulled
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(channel.Write("AT\r"), COMM_OK);  // queued; nobody will send it
    channel.Close();
    EXPECT_FALSE(channel.IsOpen());
}

// Destroying an open channel stops its reader before anything it uses goes away.
TEST(CommChannel, DestroyingAnOpenChannelWhileDataFlows) {
    PtyPair pty;
    for (int i = 0; i < 20; ++i) {
        auto channel = std::make_unique<CCountingChannel>();
        ASSERT_EQ(channel->Open(pty.SlavePath(), true), COMM_OK);
        channel->Write("AT\r");
        pty.Send("\r\nOK\r\n");
        channel.reset();
        pty.Receive(1, 1);
    }
}

// Both threads hammer the queues; run under ThreadSanitizer by scripts/test.sh.
TEST(CommChannel, ConcurrentTrafficIsDeliveredIntact) {
    PtyPair pty;
    CCountingChannel channel;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    std::string expectOut;
    std::thread card([&] {
        for (int i = 0; i < 200; ++i) pty.Send("R" + std::to_string(i) + ";");
    });
    for (int i = 0; i < 200; ++i) {
        const std::string s = "W" + std::to_string(i) + ";";
        expectOut += s;
        ASSERT_EQ(channel.Write(s), COMM_OK);
    }
    std::string expectIn;
    for (int i = 0; i < 200; ++i) expectIn += "R" + std::to_string(i) + ";";
    EXPECT_EQ(pty.Receive(expectOut.size()), expectOut);
    EXPECT_EQ(channel.ReadAll(expectIn.size()), expectIn);
    card.join();
}

TEST(DataQueue, FifoOfChunks) {
    CWDataQueue queue;
    std::string chunk = "unchanged";
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(queue.Pop(chunk), 0);
    EXPECT_EQ(chunk, "unchanged");
    EXPECT_EQ(queue.Push("a"), 1);
    EXPECT_EQ(queue.Push("bc"), 1);
    EXPECT_EQ(queue.Pop(chunk), 1);
    EXPECT_EQ(chunk, "a");
    EXPECT_EQ(queue.Clear(), 1);
    EXPECT_TRUE(queue.IsEmpty());
}

}  // namespace
}  // namespace vr31k
