// The card check in-process, through a scripted face, for the cases that need the
// engine's time-outs shortened: a busy port, a silent card, a SIM busy for ever.
#include "CardSimulator.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "card/CardCheck.h"
#include "card/CardState.h"
#include "card/CWKvCtrl.h"
#include "platform/linux/Machine.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <deque>

namespace vr31k {
namespace {

using sim::CardSimulator;
using sim::SimState;

class CardCheckFlow : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
    }
    bool Run(CardCheckOptions options = {}) {
        CardCheck check(kv, ui, options);
        return check.Run(card.PortPath(), status);
    }

    CardSimulator card;
    CWKvCtrl kv = CWKvCtrl(CardTimings{150, 150, 5, 20}, MakeSerialPort(), MakeDeviceInhibit());
    test::ScriptedUi ui;
    CardStatus status;
};

TEST_F(CardCheckFlow, BusyPortIsThePortOpenError) {
    CWKvCtrl other = CWKvCtrl(CardTimings{150, 150, 5, 20}, MakeSerialPort(), MakeDeviceInhibit());
    ASSERT_EQ(other.OpenPort(card.PortPath(), true), CARD_OK);
    EXPECT_FALSE(Run());
    EXPECT_EQ(ui.messages, std::vector<int>{ids::IDS_PORT_OPEN_ERROR_CAPTION});
    EXPECT_EQ(status.state, kCardFailed);
}

TEST_F(CardCheckFlow, SilentCardIsACommunicationErrorThatResetsTheState) {
    status.state = kCardReady;
    status.pinLockOn = true;
    card.SetFault(sim::Fault::Silent);
    EXPECT_FALSE(Run());
    EXPECT_EQ(ui.messages, std::vector<int>{ids::IDS_COMM_ERROR_CAPTION});
    EXPECT_EQ(status.state, kCardNone);
    EXPECT_FALSE(status.pinLockOn);
    EXPECT_FALSE(status.entriesInSync);
}

TEST_F(CardCheckFlow, SimBusyForEverEndsWithTheCommunicationError) {
    card.SetBusy(-1, SimState::Ready);
    EXPECT_FALSE(Run(CardCheckOptions{0, 20, 200}));
    EXPECT_EQ(ui.messages, std::vector<int>{ids::IDS_COMM_ERROR_CAPTION});
    EXPECT_EQ(status.state, kCardFailed);
}

TEST_F(CardCheckFlow, OpenPortIsSuccessAndResumeReopens) {
    ASSERT_TRUE(Run());
    EXPECT_EQ(status.state, kCardReady);
    card.ClearCommands();
    EXPECT_TRUE(Run());  // the port is still open: nothing is asked
    EXPECT_TRUE(card.Commands().empty());
    kv.ClosePort();
    status.reopenOnResume = true;
    status.stateAtSuspend = kCardSignalDisplay;
    EXPECT_TRUE(Run());
    EXPECT_EQ(status.state, kCardSignalDisplay);
    EXPECT_FALSE(status.reopenOnResume);
    EXPECT_TRUE(kv.IsOpen());
    EXPECT_EQ(card.Commands(), (std::vector<std::string>{"ATE0Q0V1+CMEE=0", "AT+CMEE=1"}));
}

// A card that reports signal, registration, ring and boot notices before, inside and
// after every reply, some in bursts of their own: the check reads through them.
TEST_F(CardCheckFlow, UnsolicitedLinesAroundEveryReplyChangeNothing) {
    card.SetFault(sim::Fault::Unsolicited);
    card.SetSimState(SimState::PinRequired);
    ui.pins = {"1234"};
    CardCheck check(kv, ui);
    ASSERT_TRUE(check.Run(card.PortPath(), status));
    EXPECT_EQ(status.state, kCardReady);
    EXPECT_TRUE(status.pinLockOn);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(check.Manufacturer(), "KORVANE");
    EXPECT_EQ(check.Model(), "VR31K");
    EXPECT_EQ(card.PinAttempts(), CardSimulator::kMaxPinAttempts) << "the PIN was right the first time";
}

TEST(CardStates, EachHasItsPictureWords) {
    for (int state = kCardFailed; state <= kCardOutsideConnection; ++state) {
        EXPECT_TRUE(HasString(ids::IDS_STATE_WORDS_FIRST + state)) << state;
    }
}

}  // namespace
}  // namespace vr31k
