// The simulated card's model without its line: one table of command lines and the
// echo and reply each gets, played in order on one card, so that each row also shows
// what the rows before it changed.
#include "CardModel.h"
#include "dialup/EntryList.h"

#include <gtest/gtest.h>

namespace vr31k::sim {
namespace {

using namespace std::chrono_literals;

struct Step {
    std::string command;
    std::string reply;
    bool echoed = false;
};

std::string Info(const std::string& line) { return "\r\n" + line + "\r\n\r\nOK\r\n"; }
const std::string kOk = "\r\nOK\r\n";

void Play(CardModel& card, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        const CardReply got = card.Handle(step.command);
        EXPECT_EQ(got.reply, step.reply) << step.command;
        EXPECT_EQ(got.echo, step.echoed ? step.command + "\r" : "") << step.command;
    }
}

TEST(CardModel, AnswersTheCommandSetAsTheCardDoes) {
    CardModel card;
    const std::string factory = std::string("+CGDCONT: 1,\"IP\",\"") + kFactoryApn + "\",\"0.0.0.0\",0,0";
    Play(card, {
        {"ATI1", Info("VR31K"), true},
        {"ATE0Q0V1+CMEE=0", kOk, true},  // echoed: echo goes off after this line
        {"ATI0", Info("KORVANE")},
        {"AT+GMR", Info("VR31K-1.02.004")},
        {"AT+CPIN=\"1234\"", "\r\nERROR\r\n"},  // a ready SIM takes no PIN; errors are plain
        {"AT+CMEE=1", kOk},
        {"AT+CPIN=\"1234\"", "\r\n+CME ERROR: 3\r\n"},
        {"AT+CMEE=3", "\r\nERROR\r\n"},
        {"AT+CPIN?", Info("+CPIN: READY")},
        {"AT##EANT", Info("3")},
        {"AT+CNUM", Info("+CNUM: ,\"09012345678\",129")},
        {"AT+CLCK=\"SC\",2", Info("+CLCK: 0")},
        {"AT+CLCK=\"SC\",1,\"0000\"", "\r\n+CME ERROR: 16\r\n"},
        {"AT##ERCN", Info("2")},
        {"AT+CLCK=\"SC\",1,\"1234\"", kOk},
        {"AT##ERCN", Info("3")},  // a right PIN gives the attempts back
        {"AT+CLCK=\"SC\",2", Info("+CLCK: 1")},
        {"AT+CPWD=\"SC\",\"1234\",\"4321\"", kOk},
        {"AT+CLCK=\"XX\",2", "\r\n+CME ERROR: 4\r\n"},
        {"AT+CGDCONT=3,\"IP\",\"three.example\"", kOk},
        {"AT+CGDCONT?", "\r\n" + factory + "\r\n+CGDCONT: 3,\"IP\",\"three.example\",\"0.0.0.0\",0,0\r\n" + kOk},
        {"AT+CGDCONT=1", kOk},
        {"AT+CGDCONT=11,\"IP\",\"x\"", "\r\nERROR\r\n"},
        {"ATD*99***3#", "\r\nCONNECT\r\n"},
        {"ATD*99***1#", "\r\nNO CARRIER\r\n"},  // context 1 is undefined now
        {"AT+CGDCONT=", kOk},
        {"AT+CGDCONT?", "\r\n" + kOk},
        {"AT+XYZ", "\r\nERROR\r\n"},
        {"hello", ""},
        {"ATE1", kOk},
        {"AT", kOk, true},
    });
    EXPECT_EQ(card.Pin(), "4321");
    EXPECT_TRUE(card.PinLock());
}

TEST(CardModel, PinThenPukThenBlocked) {
    CardModel card(CardSettings{.sim = SimState::PinRequired});
    card.Handle("ATE0+CMEE=1");
    EXPECT_TRUE(card.PinLock()) << "a SIM asks for its PIN only when locked";
    Play(card, {
        {"AT+CPIN?", Info("+CPIN: SIM PIN")},
        {"AT+CNUM", "\r\n+CME ERROR: 11\r\n"},
        {"AT+CPIN=\"0000\"", "\r\n+CME ERROR: 16\r\n"},
        {"AT+CPIN=\"0000\"", "\r\n+CME ERROR: 16\r\n"},
        {"AT+CPIN=\"0000\"", "\r\n+CME ERROR: 16\r\n"},
        {"AT+CPIN?", Info("+CPIN: SIM PUK")},
        {"AT##ERCN", Info("10")},
        {"AT+CPIN=\"1234\"", "\r\n+CME ERROR: 12\r\n"},
        {"AT+CPIN=\"00000000\",\"5555\"", "\r\n+CME ERROR: 16\r\n"},
        {"AT+CPIN=\"12345678\",\"5555\"", kOk},
        {"AT+CPIN?", Info("+CPIN: READY")},
        {"AT##ERCN", Info("3")},
    });
    EXPECT_EQ(card.Pin(), "5555");
    EXPECT_EQ(card.PukAttempts(), CardModel::kMaxPukAttempts);

    card.SetSimState(SimState::PukRequired);
    card.SetAttempts(0, 1);
    Play(card, {
        {"AT+CPIN=\"00000000\",\"1\"", "\r\n+CME ERROR: 13\r\n"},  // the last PUK attempt
        {"AT+CPIN?", "\r\n+CME ERROR: 13\r\n"},
        {"AT##ERCN", Info("0")},
    });
    EXPECT_EQ(card.State(), SimState::Blocked);
}

TEST(CardModel, BusyForAWhileThenReady) {
    CardModel card;
    card.Handle("AT+CMEE=1");
    const auto t0 = CardModel::Clock::now();
    card.SetBusy(100, SimState::Ready, t0);
    EXPECT_EQ(card.Handle("AT+CPIN?", t0 + 99ms).reply, "\r\n+CME ERROR: 14\r\n");
    EXPECT_EQ(card.Handle("AT+CPIN?", t0 + 100ms).reply, Info("+CPIN: READY"));
    card.SetBusy(-1, SimState::Ready, t0);
    EXPECT_EQ(card.Handle("AT+CPIN?", t0 + 1h).reply, "\r\n+CME ERROR: 14\r\n") << "busy for ever";
}

TEST(CardModel, Settings) {
    CardModel card;
    EXPECT_TRUE(card.Set("signal", "1"));
    EXPECT_TRUE(card.Set("model", "Other"));
    EXPECT_TRUE(card.Set("number", "none"));
    EXPECT_TRUE(card.Set("sim", "wrong"));
    EXPECT_FALSE(card.Set("signal", "x"));
    EXPECT_FALSE(card.Set("sim", "sideways"));
    EXPECT_FALSE(card.Set("colour", "blue"));
    card.Handle("ATE0+CMEE=1");
    EXPECT_EQ(card.Handle("AT##EANT").reply, Info("1"));
    EXPECT_EQ(card.Handle("ATI1").reply, Info("Other"));
    EXPECT_EQ(card.Handle("AT+CPIN?").reply, "\r\n+CME ERROR: 15\r\n");
    card.Set("sim", "ready");
    EXPECT_EQ(card.Handle("AT+CNUM").reply, kOk) << "no number stored";
}

}  // namespace
}  // namespace vr31k::sim
