// The AT command engine over the real channel, against the simulated card on a
// pseudo-terminal, with time-outs shortened through the constructor.
#include "CardSimulator.h"
#include "support/FakeModem.h"
#include "card/CWKvCtrl.h"
#include "platform/linux/Machine.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace vr31k {
namespace {

using namespace std::chrono_literals;
using sim::CardSimulator;
using sim::Fault;
using sim::SimState;

constexpr CardTimings kFast{300, 300, 5, 20};

// What the simulated card reports of itself by default.
void ExpectIdentityAndNumber(CWKvCtrl& kv) {
    std::string text, number;
    int type = 0;
    EXPECT_EQ(kv.GetManufacturer(text), CARD_OK);
    EXPECT_EQ(text, "KORVANE");
    EXPECT_EQ(kv.GetModel(text), CARD_OK);
    EXPECT_EQ(text, "VR31K");
    EXPECT_EQ(kv.GetFirmwareVersion(text), CARD_OK);
    EXPECT_EQ(text, "VR31K-1.02.004");
    EXPECT_EQ(kv.GetSubscriberNumber(number, type), CARD_OK);
    EXPECT_EQ(number, "09012345678");
    EXPECT_EQ(type, 129);
}

int Count(const CardSimulator& card, const std::string& command) {
    const auto commands = card.Commands();
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

class CardEngine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
        ASSERT_EQ(kv.OpenPort(card.PortPath(), true), CARD_OK);
    }
    void Prepare() {
        ASSERT_EQ(kv.Initialize(), CARD_OK);
        ASSERT_EQ(kv.SetErrorReporting(1), CARD_OK);
        card.ClearCommands();
    }

    CardSimulator card;
    CWKvCtrl kv = CWKvCtrl(kFast, MakeSerialPort(), MakeDeviceInhibit());
};

// Every reading, with the echo still on and after the initialisation turned it off, however
// the card's replies come: each command is sent once, its final line waited for.
TEST(CardEngineReading, ReadsWhatTheCardReportsHoweverItsRepliesCome) {
    const std::pair<const char*, const char*> rows[] = {
        {"plain", "fault=none signal=2"},
        {"the echo alone first, the reply later", "fault=echo signal=2"},
        {"replies split into bursts", "fault=split signal=2"},
        {"unsolicited lines around every reply", "fault=unsolicited signal=2"},
    };
    for (const auto& [what, control] : rows) {
        SCOPED_TRACE(what);
        CardSimulator card;
        std::string error, answer, text, number;
        ASSERT_TRUE(card.Start(error)) << error;
        CWKvCtrl kv = CWKvCtrl(kFast, MakeSerialPort(), MakeDeviceInhibit());
        ASSERT_EQ(kv.OpenPort(card.PortPath(), true), CARD_OK);
        ASSERT_TRUE(card.Control(control, answer)) << answer;
        ExpectIdentityAndNumber(kv);  // the card still echoes
        ASSERT_EQ(kv.Initialize(), CARD_OK);
        ASSERT_EQ(kv.SetErrorReporting(1), CARD_OK);
        card.ClearCommands();
        ExpectIdentityAndNumber(kv);
        int level = -1, count = -1, type = 0;
        EXPECT_EQ(kv.GetAntennaLevel(level), CARD_OK);
        EXPECT_EQ(level, 2);
        EXPECT_EQ(kv.GetRemainingAttempts(count), CARD_OK);
        EXPECT_EQ(count, 3);
        EXPECT_EQ(kv.GetSimState(), SIM_READY);
        EXPECT_EQ(kv.GetPinLockState(), PIN_LOCK_OFF);
        EXPECT_EQ(kv.SetPinLock(1, "0000"), CARD_WRONG_PASSWORD);
        EXPECT_EQ(kv.SetPdpContext(2, "two.example"), CARD_OK);
        PdpContextList list;
        EXPECT_EQ(kv.GetPdpContexts(list), CARD_OK);
        EXPECT_EQ(list[0], "mobile.korvane.ne.jp");  // the simulated card as it leaves the factory
        EXPECT_EQ(list[1], "two.example");
        for (const char* command : {"ATI1", "AT+GMR", "AT+CPIN?", "AT##EANT"}) EXPECT_EQ(Count(card, command), 1) << command;
        card.SetNumber("");
        EXPECT_EQ(kv.GetSubscriberNumber(number, type), CARD_OK);
        EXPECT_EQ(number, "");
        EXPECT_TRUE(card.Control("sim=pin signal=1 manufacturer=Korvane", answer)) << answer;
        EXPECT_FALSE(card.Control("signal=x", answer));
        EXPECT_EQ(kv.GetSimState(), SIM_PIN_REQUIRED);
        EXPECT_EQ(kv.GetAntennaLevel(level), CARD_OK);
        EXPECT_EQ(level, 1);
        EXPECT_EQ(kv.GetManufacturer(text), CARD_OK);
        EXPECT_EQ(text, "Korvane");
        kv.Close();  // the channel alone, as after a failed reopening: the next write reopens it
        EXPECT_EQ(kv.GetModel(text), CARD_OK);
        EXPECT_TRUE(kv.IsOpen());
        EXPECT_EQ(kv.ClosePort(), CARD_OK);
        EXPECT_FALSE(kv.IsOpen());
    }
}

// The line never falls idle for long enough here: a reply can only come back because
// its final result line ended it, in one attempt, echo and split bursts included.
TEST_F(CardEngine, AReplyIsHandedOverAtItsFinalLine) {
    CommTimeouts neverIdle;
    neverIdle.readInterval = 600000;
    ASSERT_EQ(kv.SetTimeouts(neverIdle), COMM_OK);
    struct Case {
        const char* name;
        Fault fault;
        const char* command;
        const char* reply;
    } cases[] = {
        {"with the echo", Fault::None, "ATI1", "\r\nVR31K\r\n\r\nOK\r\n"},
        {"echo first", Fault::EchoFirst, "ATI0", "\r\nKORVANE\r\n\r\nOK\r\n"},
        {"in bursts", Fault::Split, "AT+CPIN?", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
        {"an error", Fault::None, "AT+NOSUCH", "\r\nERROR\r\n"},
        {"a dial's answer", Fault::None, "ATD*99***1#", "\r\nCONNECT\r\n"},
    };
    for (const Case& c : cases) {
        card.SetFault(c.fault);
        std::string reply;
        EXPECT_EQ(kv.Transact(c.command, reply, 3000, 1), CARD_OK) << c.name;
        EXPECT_EQ(reply, c.reply) << c.name;
    }
}

// A card that stays silent, sends without end, or stays silent longer than the task's
// budget allows: the command's attempts (the port reopened between them) end or are cut
// short (counted), the task's other commands fail at once, unsent, so a card that falls
// silent costs one command's attempts; the next task finds the card afresh.
TEST(CardEngineBounds, SilentFloodingOrOverBudgetCardsFailTheRestOfTheTaskAtOnce) {
    struct Row {
        const char* name;
        Fault fault;
        CardTimings timings;
        const char* command;
        unsigned (*run)(CWKvCtrl&);
        int minSent, maxSent;
        std::chrono::milliseconds atLeast;  // the attempts' time-outs waited out
    } rows[] = {
        {"silent: three attempts", Fault::Silent, kFast, "ATI1",
         [](CWKvCtrl& kv) { std::string t; return kv.GetModel(t); }, 3, 3, 900ms},
        {"silent at the lock query: five", Fault::Silent, kFast, "AT+CLCK=\"SC\",2",
         [](CWKvCtrl& kv) { return kv.GetPinLockState(); }, 5, 5, 0ms},
        // The product's time-outs: a flood must end the attempt by its size, long before.
        {"flooding", Fault::Flood, CardTimings{}, "ATI1",
         [](CWKvCtrl& kv) { std::string t; return kv.GetModel(t); }, 1, 3, 0ms},
        {"silent at the lock query, budget for one and a half attempts", Fault::Silent,
         CardTimings{300, 300, 5, 20, 450}, "AT+CLCK=\"SC\",2", [](CWKvCtrl& kv) { return kv.GetPinLockState(); }, 1, 2, 0ms},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CardSimulator card;
        std::string error, text;
        ASSERT_TRUE(card.Start(error)) << error;
        CWKvCtrl kv = CWKvCtrl(row.timings, MakeSerialPort(), MakeDeviceInhibit());
        ASSERT_EQ(kv.OpenPort(card.PortPath(), true), CARD_OK);
        ASSERT_EQ(kv.Initialize(), CARD_OK);
        card.SetFault(row.fault);
        card.ClearCommands();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(row.run(kv), CARD_ERR_TRANSACT);
        EXPECT_GE(std::chrono::steady_clock::now() - start, row.atLeast);
        EXPECT_TRUE(kv.IsOpen());  // reopened between attempts
        EXPECT_GE(card.Commands().size(), 1u);
        EXPECT_GE(Count(card, row.command), row.minSent);
        EXPECT_LE(Count(card, row.command), row.maxSent);
        card.ClearCommands();
        EXPECT_EQ(kv.GetManufacturer(text), CARD_ERR_TRANSACT);
        PdpContextList contexts;
        EXPECT_EQ(kv.GetPdpContexts(contexts), CARD_ERR_TRANSACT);
        EXPECT_EQ(kv.GetSimState(), CARD_ERR_TRANSACT);
        EXPECT_TRUE(card.Commands().empty()) << "nothing more is sent in this task";
        card.SetFault(Fault::None);
        ASSERT_EQ(kv.ClosePort(), CARD_OK);
        ASSERT_EQ(kv.OpenPort(card.PortPath(), true), CARD_OK);
        EXPECT_EQ(kv.GetModel(text), CARD_OK);  // and usable again in the next task
        EXPECT_EQ(kv.GetPinLockState(), PIN_LOCK_OFF);
    }
}

TEST_F(CardEngine, GarbageWithoutAFinalResultIsAResultError) {
    Prepare();
    card.SetFault(Fault::Garbage);
    std::string text;
    EXPECT_EQ(kv.GetModel(text), CARD_ERR_RESULT);
    EXPECT_EQ(kv.GetSimState(), CARD_ERR_FORMAT);
    PdpContextList list;
    EXPECT_EQ(kv.GetPdpContexts(list), CARD_ERR_RESULT);
}

TEST_F(CardEngine, SimStates) {
    Prepare();
    const std::pair<SimState, unsigned> rows[] = {
        {SimState::Ready, SIM_READY},         {SimState::PinRequired, SIM_PIN_REQUIRED},
        {SimState::PukRequired, SIM_PUK_REQUIRED}, {SimState::Busy, SIM_BUSY},
        {SimState::Failure, SIM_FAILURE},     {SimState::Wrong, SIM_WRONG},
        {SimState::NotInserted, SIM_NOT_INSERTED}, {SimState::Blocked, SIM_FAILURE},
    };
    for (const auto& [state, expected] : rows) {
        card.SetSimState(state);
        EXPECT_EQ(kv.GetSimState(), expected) << static_cast<int>(state);
    }
    // Without numeric errors a missing SIM is a bare ERROR: no state can be told.
    EXPECT_EQ(kv.SetErrorReporting(0), CARD_OK);
    EXPECT_EQ(kv.GetSimState(), CARD_ERR_FORMAT);
}

TEST_F(CardEngine, CodeCommandsAreSentOnceAndDecodeCardErrors) {
    Prepare();
    card.SetSimState(SimState::PinRequired);
    EXPECT_EQ(kv.EnterPin("9999"), CARD_WRONG_PASSWORD);
    EXPECT_EQ(Count(card, "AT+CPIN=\"9999\""), 1);
    EXPECT_EQ(card.PinAttempts(), 2);
    EXPECT_EQ(kv.EnterPin("12a4"), CARD_ERR_FORMAT);  // never sent
    EXPECT_EQ(kv.EnterPin("1234"), CARD_OK);
    EXPECT_EQ(kv.GetSimState(), SIM_READY);
    EXPECT_EQ(kv.GetPinLockState(), PIN_LOCK_ON);
    EXPECT_EQ(kv.ChangePin("1234", "5678"), CARD_OK);
    EXPECT_EQ(card.Pin(), "5678");
    EXPECT_EQ(kv.SetPinLock(0, "0000"), CARD_WRONG_PASSWORD);
    EXPECT_EQ(kv.SetPinLock(0, "5678"), CARD_OK);
    EXPECT_EQ(kv.GetPinLockState(), PIN_LOCK_OFF);
    EXPECT_EQ(kv.ChangePin("5678", "1111"), CME_ERROR_BASE + 3);  // refused while the lock is off

    card.SetSimState(SimState::PukRequired);
    EXPECT_EQ(kv.EnterPin("00000000", "4321"), CARD_WRONG_PASSWORD);
    EXPECT_EQ(kv.EnterPin("12345678", "4321"), CARD_OK);
    EXPECT_EQ(card.Pin(), "4321");
    card.SetSimState(SimState::NotInserted);
    EXPECT_EQ(kv.GetPinLockState(), CME_ERROR_BASE + 10);
    std::string number;
    int type = 0;
    EXPECT_EQ(kv.GetSubscriberNumber(number, type), CME_ERROR_BASE + 10);
}

TEST_F(CardEngine, PacketContextsInTheirThreeForms) {
    Prepare();
    EXPECT_EQ(kv.SetPdpContext(0, std::nullopt), CARD_OK);  // clears the table
    EXPECT_EQ(card.Context(1), "");
    EXPECT_EQ(kv.SetPdpContext(3, "Apn.Three"), CARD_OK);
    EXPECT_EQ(kv.SetPdpContext(5, "APN.THREE"), CARD_OK);
    EXPECT_EQ(kv.SetPdpContext(7, "seven"), CARD_OK);
    EXPECT_EQ(kv.SetPdpContext(7, std::nullopt), CARD_OK);  // undefines 7
    EXPECT_EQ(card.Context(3), "Apn.Three");
    EXPECT_EQ(kv.SetPdpContext(2, "bad\"apn"), CARD_ERR_FORMAT);
    EXPECT_EQ(kv.SetPdpContext(11, "x"), CARD_ERR_RESULT);  // the card refuses
    PdpContextList list;
    EXPECT_EQ(kv.GetPdpContexts(list), CARD_OK);
    const PdpContextList expected{"", "", "Apn.Three", "", "", "", "", "", "", ""};
    EXPECT_EQ(list, expected);
}

// The port is reached through a link that goes with the card, as a device node does
// (a freed pty number may be handed to another test's card at once).
TEST(CardEnginePulled, PulledCardMakesCommandsFail) {
    CardSimulator card;
    std::string error;
    ASSERT_TRUE(card.Start(error)) << error;
    test::TempDir dir;
    const std::string link = dir.File("card-port");
    ASSERT_EQ(symlink(card.PortPath().c_str(), link.c_str()), 0);
    CWKvCtrl kv = CWKvCtrl(kFast, MakeSerialPort(), MakeDeviceInhibit());
    ASSERT_EQ(kv.OpenPort(link, true), CARD_OK);
    ASSERT_EQ(kv.Initialize(), CARD_OK);
    unlink(link.c_str());
    card.Unplug();
    std::string text;
    EXPECT_EQ(kv.GetModel(text), CARD_ERR_TRANSACT);
    EXPECT_EQ(kv.ClosePort(), CARD_OK);
    EXPECT_EQ(kv.OpenPort(link, true), CARD_ERR_OPEN);
}

TEST(CardEngineClosed, CommandsBeforeAnyOpenFailAtOnce) {
    CWKvCtrl kv = CWKvCtrl({}, MakeSerialPort(), MakeDeviceInhibit());  // the product's time-outs: nothing may wait on them here
    const auto start = std::chrono::steady_clock::now();
    std::string text;
    EXPECT_EQ(kv.SendCommand("AT"), CARD_ERR_SEND);
    EXPECT_EQ(kv.GetModel(text), CARD_ERR_TRANSACT);
    EXPECT_EQ(kv.ClosePort(), CARD_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

// A scripted card for replies the simulator never sends: every command line is
// answered with the same bursts, `pauseMs` apart.
test::CFakeModem ScriptedCard(std::vector<std::string> bursts, int pauseMs) {
    return test::CFakeModem([bursts](const std::string&) { return bursts; }, pauseMs);
}

// The budget is for a stretch of commands: time the caller spends elsewhere between
// them (a periodic reading's pause) is given back, so a card answering each reading
// slowly is never cut, however long the readings go on.
TEST(CardEngineReplies, PausesBetweenCommandsGiveTheBudgetBack) {
    const auto scripted = ScriptedCard({"\r\n", "\r\nVR31K\r\n\r\nOK\r\n"}, 100);
    CWKvCtrl kv = CWKvCtrl(CardTimings{1000, 1000, 5, 20, 450}, MakeSerialPort(), MakeDeviceInhibit());
    ASSERT_EQ(kv.OpenPort(scripted.Port(), true), CARD_OK);
    for (int reading = 0; reading < 6; ++reading) {
        std::string text;
        EXPECT_EQ(kv.GetModel(text), CARD_OK) << "reading " << reading;
        std::this_thread::sleep_for(300ms);
    }
}

// What a command operation hands out, its result first: "0 VR31K".
std::string Model(CWKvCtrl& kv) {
    std::string text;
    const unsigned r = kv.GetModel(text);
    return std::to_string(r) + " " + text;
}
std::string Level(CWKvCtrl& kv) {
    int level = -1;
    const unsigned r = kv.GetAntennaLevel(level);
    return std::to_string(r) + " " + std::to_string(level);
}
std::string Attempts(CWKvCtrl& kv) {
    int count = -1;
    const unsigned r = kv.GetRemainingAttempts(count);
    return std::to_string(r) + " " + std::to_string(count);
}
std::string SimState(CWKvCtrl& kv) { return std::to_string(kv.GetSimState()); }
std::string PinLock(CWKvCtrl& kv) { return std::to_string(kv.GetPinLockState()); }
std::string Manufacturer(CWKvCtrl& kv) {
    std::string text;
    return std::to_string(kv.GetManufacturer(text));
}
std::string Number(CWKvCtrl& kv) {
    std::string number;
    int type = 0;
    return std::to_string(kv.GetSubscriberNumber(number, type));
}
std::string Pin(CWKvCtrl& kv) { return std::to_string(kv.EnterPin("1234")); }
std::string Lock(CWKvCtrl& kv) { return std::to_string(kv.SetPinLock(1, "1234")); }
std::string Initialize(CWKvCtrl& kv) { return std::to_string(kv.Initialize()); }

// Replies the simulator never sends, each played to every command (bursts 50 ms apart).
TEST(CardEngineReplies, ScriptedRepliesAreReadAsTheCardMeantThem) {
    const auto code = [](unsigned result) { return std::to_string(result); };
    const struct Row {
        const char* name;
        std::vector<std::string> bursts;
        std::string (*run)(CWKvCtrl&);
        std::string expected;
    } rows[] = {
        {"OK only three times", {"\r\nOK\r\n"}, Manufacturer, code(CARD_ERR_NOINFO)},
        {"lock value 2", {"\r\n+CLCK: 2\r\n\r\nOK\r\n"}, PinLock, code(CARD_ERR_FORMAT)},
        {"lock value 1", {"\r\n+CLCK: 1\r\n\r\nOK\r\n"}, PinLock, code(PIN_LOCK_ON)},
        {"named number", {"\r\n+CNUM: \"Me\",\"0901\",129\r\n\r\nOK\r\n"}, Number, code(CARD_ERR_FORMAT)},
        {"pin error 16", {"\r\n+CME ERROR: 16\r\n"}, Pin, code(CARD_WRONG_PASSWORD)},
        {"error to a code", {"\r\nERROR\r\n"}, Lock, code(CARD_ERR_RESULT)},
        {"sim error 11", {"\r\n+CME ERROR: 11\r\n"}, SimState, code(CARD_ERR_FORMAT)},
        {"short reply", {"\r\nOK"}, Initialize, code(CARD_ERR_RESULT)},
        // Number replies are read as values, as the card's picture and the PIN prompts
        // need them; an unreadable count is no count left.
        {"signal 3", {"\r\n3\r\n\r\nOK\r\n"}, Level, "0 3"},
        {"signal read from its first character", {"\r\n42\r\n\r\nOK\r\n"}, Level, "0 4"},
        {"signal beyond the pictures", {"\r\n7\r\n\r\nOK\r\n"}, Level, "0 7"},
        {"signal not a digit", {"\r\nX\r\n\r\nOK\r\n"}, Level, "0 0"},
        {"attempts", {"\r\n2\r\n\r\nOK\r\n"}, Attempts, "0 2"},
        {"attempts with more digits", {"\r\n10\r\n\r\nOK\r\n"}, Attempts, "0 10"},
        {"attempts unreadable", {"\r\n-\r\n\r\nOK\r\n"}, Attempts, "0 0"},
        {"attempts refused", {"\r\nERROR\r\n"}, Attempts, code(CARD_ERR_RESULT) + " -1"},
        // Unsolicited result codes before, inside and after a reply, and in bursts of
        // their own, are not the reply.
        {"signal report first", {"\r\n^RSSI: 3\r\n\r\nVR31K\r\n\r\nOK\r\n"}, Model, "0 VR31K"},
        {"registration inside", {"\r\nVR31K\r\n\r\n+CREG: 1\r\n\r\nOK\r\n\r\nRING\r\n"}, Model, "0 VR31K"},
        {"a burst of its own first", {"\r\n^BOOT:20952101,0,0,0,72\r\n", "\r\nVR31K\r\n\r\nOK\r\n"}, Model, "0 VR31K"},
        {"a dropped call's NO CARRIER first", {"\r\nNO CARRIER\r\n", "\r\nVR31K\r\n\r\nOK\r\n"}, Model, "0 VR31K"},
        {"only unsolicited lines: no answer", {"\r\n^RSSI: 3\r\n"}, Model, code(CARD_ERR_TRANSACT) + " "},
        {"ok only amid them", {"\r\n^MODE: 5,4\r\n\r\nOK\r\n"}, Model, code(CARD_ERR_NOINFO) + " "},
        {"sim state", {"\r\n+CGREG: 1\r\n\r\n+CPIN: READY\r\n\r\n^SIMST: 1\r\n\r\nOK\r\n"}, SimState, code(SIM_READY)},
        {"signal level", {"\r\n^RSSI: 9\r\n\r\n2\r\n\r\nOK\r\n"}, Level, "0 2"},
        {"lock state", {"\r\nRING\r\n\r\n+CLCK: 1\r\n\r\nOK\r\n"}, PinLock, code(PIN_LOCK_ON)},
    };
    for (const Row& row : rows) {
        const auto scripted = ScriptedCard(row.bursts, 50);
        CWKvCtrl kv = CWKvCtrl(CardTimings{150, 150, 5, 20}, MakeSerialPort(), MakeDeviceInhibit());
        ASSERT_EQ(kv.OpenPort(scripted.Port(), true), CARD_OK) << row.name;
        EXPECT_EQ(row.run(kv), row.expected) << row.name;
        kv.ClosePort();
    }
}

}  // namespace
}  // namespace vr31k
