// The serial channel on a real pseudo-terminal: the test plays the card on the master.
#include "platform/linux/Machine.h"
#include "card/CWCommCtrl.h"
#include "card/CardResults.h"
#include "support/PtyPair.h"

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

// Counts callbacks. With `readInCallback`, the callback reads the queue itself: it runs
// after its chunk is queued and with no queue lock held, so it finds the chunk (and
// would deadlock if a lock were held).
class CTestChannel : public CWCommCtrl {
public:
    explicit CTestChannel(bool readInCallback = false)
        : CWCommCtrl(kShortRetryMs, MakeSerialPort(), MakeDeviceInhibit()), m_readInCallback(readInCallback) {
        SetReceiveCallback(&Callback, this);
    }
    ~CTestChannel() override { Close(); }
    std::atomic<int> calls{0};
    std::mutex mutex;
    std::string taken;
    int emptyCalls = 0;
    size_t largestChunk = 0;

    std::string ReadAll(size_t atLeast, std::chrono::milliseconds timeout = 2s) {
        std::string all, chunk;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (all.size() < atLeast && std::chrono::steady_clock::now() < deadline) {
            if (Read(chunk) == COMM_OK) {
                largestChunk = std::max(largestChunk, chunk.size());
                all += chunk;
            } else {
                std::this_thread::sleep_for(1ms);
            }
        }
        return all;
    }

private:
    static int Callback(void* context) {
        auto* self = static_cast<CTestChannel*>(context);
        self->calls++;
        if (!self->m_readInCallback) return 0;
        std::string chunk;
        const int r = self->Read(chunk);
        std::lock_guard lock(self->mutex);
        if (r == COMM_OK) self->taken += chunk;
        else ++self->emptyCalls;
        return 0;
    }
    const bool m_readInCallback;
};

class CommChannel : public ::testing::Test {
protected:
    PtyPair pty;
    CTestChannel channel;
};

TEST_F(CommChannel, WritesArriveInOrderAndRepliesAreQueued) {
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

TEST_F(CommChannel, CallbackFindsItsChunkQueued) {
    CTestChannel reading(true);
    ASSERT_EQ(reading.Open(pty.SlavePath(), true), COMM_OK);
    for (int i = 0; i < 5; ++i) {
        pty.Send("\r\nOK\r\n");
        std::this_thread::sleep_for(10ms);
    }
    // The reader may still be on its way to the last burst on a busy machine.
    for (int wait = 0; wait < 200; ++wait) {
        {
            std::lock_guard lock(reading.mutex);
            if (reading.taken.size() >= 30u) break;
        }
        std::this_thread::sleep_for(10ms);
    }
    reading.Close();
    std::lock_guard lock(reading.mutex);
    EXPECT_EQ(reading.taken.size(), 30u);
    EXPECT_EQ(reading.emptyCalls, 0);
}

TEST_F(CommChannel, BurstsFurtherApartThanTheIntervalAreSeparateChunks) {
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

TEST_F(CommChannel, ALargeReplyComesInChunksOfAtMost32k) {
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    const std::string big(40000, 'x');
    std::thread sender([&] { pty.Send(big); });
    EXPECT_EQ(channel.ReadAll(big.size(), 3s), big);
    sender.join();
    EXPECT_LE(channel.largestChunk, CWCommCtrl::kMaxChunk);
}

TEST_F(CommChannel, AChannelNeverOpenedRefusesWritesAndAMissingDeviceLeavesItClosed) {
    EXPECT_EQ(channel.Close(), COMM_OK);  // never opened
    EXPECT_EQ(channel.Write("AT\r"), COMM_ERR_OPEN);
    std::string chunk;
    EXPECT_EQ(channel.Read(chunk), COMM_ERR_NODATA);
    EXPECT_EQ(channel.SetFlowControl(1), COMM_OK);  // nothing to do while closed
    EXPECT_EQ(channel.Close(), COMM_OK);
    // A missing device is tried twice.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.Open("/dev/vr31k-no-such-port", true), COMM_ERR_OPEN);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kShortRetryMs));
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.PortPath(), "/dev/vr31k-no-such-port");
    EXPECT_EQ(channel.Open("vr31k-no-such-port", true), COMM_ERR_OPEN);
    EXPECT_EQ(channel.PortPath(), "/dev/vr31k-no-such-port");  // a bare name lives below /dev
}

TEST_F(CommChannel, CloseDiscardsUnreadData) {
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

// An open on an open channel reopens it. A port in use fails like a busy port. A
// pseudo-terminal keeps its exclusive mode past the channel's close (its tty lives on
// with the other side): the next program to open it, unless root, would find it busy.
TEST_F(CommChannel, APortIsTheChannelsAloneUntilItsCloseGivesItBack) {
    CTestChannel second;
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    EXPECT_EQ(channel.Write("AT\r"), COMM_OK);
    EXPECT_EQ(pty.Receive(3), "AT\r");
    EXPECT_EQ(second.Open(pty.SlavePath(), true), COMM_ERR_OPEN);
    EXPECT_FALSE(second.IsOpen());
    channel.Close();
    const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    EXPECT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    close(fd);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(second.Open(pty.SlavePath(), true), COMM_OK);
}

TEST(CommChannelPulled, HangUpEndsTheReaderAndCloseStillWorks) {
    auto pty = std::make_unique<PtyPair>();
    CTestChannel channel;
    ASSERT_EQ(channel.Open(pty->SlavePath(), true), COMM_OK);
    pty.reset();  // the card is pulled
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(channel.Write("AT\r"), COMM_OK);  // queued; nobody will send it
    channel.Close();
    EXPECT_FALSE(channel.IsOpen());
}

// Destroying an open channel stops its reader before anything it uses goes away.
TEST_F(CommChannel, DestroyingAnOpenChannelWhileDataFlows) {
    for (int i = 0; i < 20; ++i) {
        auto other = std::make_unique<CTestChannel>();
        ASSERT_EQ(other->Open(pty.SlavePath(), true), COMM_OK);
        other->Write("AT\r");
        pty.Send("\r\nOK\r\n");
        other.reset();
        pty.Receive(1, 1);
    }
}

// Both threads hammer the queues; run under ThreadSanitizer by scripts/test.sh.
TEST_F(CommChannel, ConcurrentTrafficIsDeliveredIntact) {
    ASSERT_EQ(channel.Open(pty.SlavePath(), true), COMM_OK);
    std::string expectOut, expectIn;
    std::thread card([&] {
        for (int i = 0; i < 200; ++i) pty.Send("R" + std::to_string(i) + ";");
    });
    for (int i = 0; i < 200; ++i) {
        const std::string s = "W" + std::to_string(i) + ";";
        expectOut += s;
        expectIn += "R" + std::to_string(i) + ";";
        ASSERT_EQ(channel.Write(s), COMM_OK);
    }
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
