// vr31kctl card ... run as a program against the simulated card: the card check's SIM
// loop, its messages and states, and the PIN lock and PIN change logic.
#include "CardSimulator.h"
#include "common/StringTable.h"
#include "cli/Json.h"
#include "support/CtlCommands.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace vr31k {
namespace {

using sim::CardSimulator;
using sim::SimState;
using CtlRun = test::RunResult;

// "messages" and "message_texts" as vr31kctl prints them for boxes with these caption
// ids (", " between them): each box's caption and text from the string table.
std::string MessagesJson(const std::string& ids) {
    std::string list, texts;
    std::istringstream in(ids);
    for (int id; in >> id; in.ignore(1)) {
        if (!list.empty()) {
            list += ", ";
            texts += ", ";
        }
        list += std::to_string(id);
        texts += "{\"caption\": " + cli::JsonQuote(LoadString(id)) + ", \"text\": " + cli::JsonQuote(LoadString(id + 1)) + "}";
    }
    return "\"messages\": [" + list + "], \"message_texts\": [" + texts + "]";
}

std::string PinJson(bool ok, bool changed, int state, const std::string& ids) {
    return std::string("{\"ok\": ") + (ok ? "true" : "false") + ", \"changed\": " + (changed ? "true" : "false") +
           ", \"card_state\": " + std::to_string(state) + ", " + MessagesJson(ids) + "}";
}

class CardCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
    }
    CtlRun Ctl(const std::string& words) { return Ctl(card, words); }
    // vr31kctl [format] card `words`, its output without the last line break.
    CtlRun Ctl(const CardSimulator& on, const std::string& words, const char* format = "--json") {
        std::vector<std::string> argv{"--port", on.PortPath(), "card"};
        if (*format != '\0') argv.insert(argv.begin(), format);
        std::istringstream in(words);
        for (std::string word; in >> word;) argv.push_back(word);
        CtlRun run = test::RunProgram(nullptr, test::CtlArgv(data.Path(), argv));
        if (!run.out.empty() && run.out.back() == '\n') run.out.pop_back();
        return run;
    }
    std::string CheckJson(bool ok, int state, bool lock, const std::string& messages) {
        return CheckJson(card, ok, state, lock, messages);
    }
    std::string CheckJson(const CardSimulator& on, bool ok, int state, bool lock, const std::string& messages) {
        return std::string("{\"ok\": ") + (ok ? "true" : "false") + ", \"card_state\": " + std::to_string(state) +
               ", \"pin_lock\": " + (lock ? "true" : "false") + ", " + MessagesJson(messages) + ", \"port\": \"" +
               on.PortPath() + "\"}";
    }

    test::TempDir data;
    CardSimulator card;
};

TEST_F(CardCli, CheckWalksTheSimLoop) {
    struct Row {
        const char* name;
        std::function<void(CardSimulator&)> setup;
        std::string options;
        bool ok;
        int state;
        bool lock;
        std::string messages;
    } rows[] = {
        {"ready", [](auto&) {}, "", true, 8, false, ""},
        {"pin, cancelled", [](auto& c) { c.SetSimState(SimState::PinRequired); }, "", false, 4, false, ""},
        {"pin accepted after a refused input",
         [](auto& c) { c.SetSimState(SimState::PinRequired); }, "--pin 12a4 --pin 1234", true, 8, true, "116"},
        {"wrong pin with 3 attempts left", [](auto& c) { c.SetSimState(SimState::PinRequired); }, "--pin 9999", false, 4, false, "118"},
        {"wrong pin with 1 attempt left, then the puk prompt",
         [](auto& c) { c.SetSimState(SimState::PinRequired); c.SetAttempts(1, 10); }, "--pin 9999", false, 5, false, "120"},
        {"puk path", [](auto& c) { c.SetSimState(SimState::PukRequired); }, "--puk 12345678 --new-pin 4321", true, 8, false, ""},
        {"wrong puk with attempts left", [](auto& c) { c.SetSimState(SimState::PukRequired); },
         "--puk 00000000 --new-pin 4321", false, 5, false, "199"},
        {"puk exhausted", [](auto& c) { c.SetSimState(SimState::PukRequired); c.SetAttempts(0, 1); },
         "--puk 00000000 --new-pin 4321", false, 6, false, "126"},
        {"sim failure, count unreadable", [](auto& c) { c.SetSimState(SimState::Failure); }, "", false, 7, false, "114"},
        {"sim failure, no puk attempts left", [](auto& c) { c.SetSimState(SimState::Blocked); }, "", false, 6, false, "112"},
        {"wrong sim", [](auto& c) { c.SetSimState(SimState::Wrong); }, "", false, 3, false, "110"},
        {"no sim", [](auto& c) { c.SetSimState(SimState::NotInserted); }, "", false, 2, false, "122"},
        {"wrong model", [](auto& c) { c.SetIdentity("KORVANE", "QUILLET7"); }, "", false, 0, false, "108"},
        {"maker in other case", [](auto& c) { c.SetIdentity("Korvane", "VR31K"); }, "", false, 0, false, "108"},
        {"busy for a while", [](auto& c) { c.SetBusy(300, SimState::Ready); }, "", true, 8, false, ""},
    };
    for (const auto& row : rows) {
        CardSimulator fresh;
        std::string error;
        ASSERT_TRUE(fresh.Start(error)) << error;
        row.setup(fresh);
        const CtlRun run = Ctl(fresh, "check " + row.options);
        EXPECT_EQ(run.out, CheckJson(fresh, row.ok, row.state, row.lock, row.messages)) << row.name;
        EXPECT_EQ(run.status, row.ok ? 0 : 1) << row.name;
        if (std::string(row.name) == "puk path") {
            EXPECT_EQ(fresh.Pin(), "4321");
        }
    }
}

TEST_F(CardCli, ChipsetModelOnlyWithSolvaneMode) {
    card.SetIdentity("Korvane", "QUILLET7");
    EXPECT_EQ(Ctl("check").out, CheckJson(false, 0, false, "108"));
    test::WriteFile(data.File("VR31KUTL.ini"), "[UTL_CONFIG]\r\nSolvaneMode=1\r\n");
    EXPECT_EQ(Ctl("check").out, CheckJson(true, 8, false, ""));
}

TEST_F(CardCli, InfoReadsTheCard) {
    card.SetNumber("");
    card.SetSignal(2);
    EXPECT_EQ(Ctl("info").out,
              "{\"ok\": true, \"card_state\": 8, \"pin_lock\": false, " + MessagesJson("") + ", \"port\": \"" +
                  card.PortPath() +
                  "\", \"manufacturer\": \"KORVANE\", \"model\": \"VR31K\", \"firmware\": \"VR31K-1.02.004\", "
                  "\"number\": \"...\", \"signal\": 2}");
    EXPECT_EQ(Ctl("signal").out, "{\"signal\": 2}");
    card.SetContext(2, "MOBILE.KORVANE.NE.JP");  // the same APN in other letters is dropped
    card.SetContext(4, "four");
    EXPECT_EQ(Ctl("contexts").out, "{\"contexts\": [\"mobile.korvane.ne.jp\", \"\", \"\", \"four\", \"\", \"\", \"\", \"\", \"\", \"\"]}");
    card.SetSimState(SimState::NotInserted);
    const CtlRun failed = Ctl("signal");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("\"code\": 122"), std::string::npos) << failed.out;
}

TEST_F(CardCli, PinLockSwitching) {
    struct Row {
        const char* name;
        std::function<void(CardSimulator&)> setup;
        std::string words;
        std::string json;
        bool lockAfter;
    } rows[] = {
        {"on", [](auto&) {}, "pin-lock on --pin 1234", PinJson(true, true, 8, ""), true},
        {"already off", [](auto&) {}, "pin-lock off", PinJson(true, false, 8, ""), false},
        {"wrong pin, then cancelled", [](auto&) {}, "pin-lock on --pin 9999",
         PinJson(false, false, 8, "118"), false},
        {"wrong pin, then right", [](auto&) {}, "pin-lock on --pin 9999 --pin 1234",
         PinJson(true, true, 8, "118"), true},
        {"last attempt wrong", [](auto& c) { c.SetAttempts(1, 10); }, "pin-lock on --pin 9999",
         PinJson(false, false, 5, "120"), false},
        {"no attempts left", [](auto& c) { c.SetAttempts(0, 10); }, "pin-lock on --pin 1234",
         PinJson(false, false, 5, ""), false},
    };
    for (const auto& row : rows) {
        card.SetPinLock(false);
        card.SetAttempts(3, 10);
        card.SetSimState(SimState::Ready);
        row.setup(card);
        const CtlRun run = Ctl(row.words);
        EXPECT_EQ(run.out, row.json) << row.name;
        EXPECT_EQ(card.PinLock(), row.lockAfter) << row.name;
    }
}

TEST_F(CardCli, PinChange) {
    EXPECT_EQ(Ctl("change-pin --old 1234 --new 5678").out,
              PinJson(false, false, 8, "208"));
    card.SetPinLock(true);
    EXPECT_EQ(Ctl("change-pin --old 1234 --new 5678 --confirm 5679").out,
              PinJson(false, false, 8, "124"));
    EXPECT_EQ(Ctl("change-pin --old 12 --new 5678").out,
              PinJson(false, false, 8, "116"));
    const auto commands = card.Commands();  // refused inputs never reach the card
    EXPECT_EQ(commands.end(), std::find_if(commands.begin(), commands.end(),
                                           [](const std::string& c) { return c.rfind("AT+CPWD", 0) == 0; }));
    EXPECT_EQ(Ctl("change-pin --old 9999 --new 5678").out,
              PinJson(false, false, 8, "118"));
    EXPECT_EQ(card.PinAttempts(), 2);
    EXPECT_EQ(Ctl("change-pin --old 1234 --new 5678").out,
              PinJson(true, true, 8, ""));
    EXPECT_EQ(card.Pin(), "5678");
    card.SetAttempts(1, 10);
    EXPECT_EQ(Ctl("change-pin --old 0000 --new 1111").out,
              PinJson(false, false, 5, "120"));
}

// Without --json people read the state's name and each box as the window shows it.
TEST_F(CardCli, PlainOutputNamesTheStateAndShowsEachBox) {
    struct Row {
        const char* name;
        std::function<void(CardSimulator&)> setup;
        std::string words;
        std::vector<std::string> lines;
    } rows[] = {
        {"ready", [](auto&) {}, "check", {"card_state: ready (8)\n", "messages: none\n"}},
        {"no sim", [](auto& c) { c.SetSimState(SimState::NotInserted); }, "check",
         {"card_state: no SIM inserted (2)\n",
          "messages:\n  - [KV chip（USIMカード）未挿入] KV chip（USIMカード）が入っていません。\nport: "}},
        {"wrong pin: a text of several lines", [](auto& c) { c.SetSimState(SimState::PinRequired); }, "check --pin 9999",
         {"card_state: PIN entry cancelled (4)\n",
          "  - [PINコード不一致] PINコードが正しくありません。\n\n    再度入力してください。\nport: "}},
        {"last attempt used", [](auto& c) { c.SetAttempts(1, 10); }, "pin-lock on --pin 9999",
         {"card_state: PUK needed (5)\n", "  - [PINロック] KV chip（USIMカード）がロックされました。\n    ロックを解除するには、"}},
    };
    for (const auto& row : rows) {
        CardSimulator fresh;
        std::string error;
        ASSERT_TRUE(fresh.Start(error)) << error;
        row.setup(fresh);
        const CtlRun run = Ctl(fresh, row.words, "");
        for (const auto& line : row.lines) EXPECT_NE(run.out.find(line), std::string::npos) << row.name << ":\n" << run.out;
    }
}

TEST_F(CardCli, UsageErrors) {
    EXPECT_EQ(Ctl("check --puk 12345678").status, 2);
    EXPECT_EQ(Ctl("pin-lock maybe").status, 2);
    EXPECT_EQ(Ctl("fly").status, 2);
}

}  // namespace
}  // namespace vr31k
