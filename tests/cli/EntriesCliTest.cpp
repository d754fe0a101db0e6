// vr31kctl entries ... in-process against the simulated card: every change reaches the
// card's contexts, the phonebook and the credential table together, and a difference
// between program and card stops changes until it is synchronised.
#include "CardSimulator.h"
#include "CtlRun.h"
#include "accounting/EntryCredentialStore.h"
#include "common/SettingsStore.h"
#include "common/StringIds.h"
#include "dialup/EntryList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <sys/stat.h>

namespace vr31k {
namespace {

using test::CtlResult;

class EntriesCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
    }
    CtlResult Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), {"--json", "--data-dir", data.Path(), "--port", card.PortPath(), "entries"});
        return test::RunCtl(words);
    }
    std::vector<std::string> CardContexts() {
        std::vector<std::string> list;
        for (int id = 1; id <= 4; ++id) list.push_back(card.Context(id));
        return list;
    }
    static std::string Has(const std::string& text) { return "\"" + text + "\""; }

    test::TempDir data;
    sim::CardSimulator card;
};

TEST_F(EntriesCli, ChangesReachCardPhonebookAndTable) {
    // A new installation: the factory entry matches the card as it leaves the factory.
    CtlResult r = Ctl({"add", "2", "apn2.example", "--user", "bob", "--password", "p a$s`\"x"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(CardContexts(), (std::vector<std::string>{kFactoryApn, "apn2.example", "", ""}));

    r = Ctl({"list"});
    EXPECT_NE(r.out.find("{\"position\": 2, \"name\": \"apn2.example\", \"user\": \"bob\", \"dial\": \"*99***2#\"}"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("p a$s"), std::string::npos) << "passwords are never printed";

    ASSERT_EQ(Ctl({"rename", "2", "apn2b.example"}).status, 0);
    EXPECT_EQ(card.Context(2), "apn2b.example");
    EXPECT_NE(Ctl({"list"}).out.find("\"name\": \"apn2b.example\", \"user\": \"bob\""), std::string::npos);

    // Credentials only: the card is not written.
    card.ClearCommands();
    ASSERT_EQ(Ctl({"credentials", "2", "--user", "carol"}).status, 0);
    for (const auto& command : card.Commands()) EXPECT_EQ(command.find("CGDCONT="), std::string::npos) << command;
    EXPECT_NE(Ctl({"list"}).out.find("\"user\": \"carol\""), std::string::npos);

    // Entry 1 deleted comes back as the factory entry.
    ASSERT_EQ(Ctl({"add", "1", "x.example"}).status, 2) << "position 1 is taken";
    ASSERT_EQ(Ctl({"rename", "1", "own.example"}).status, 0);
    r = Ctl({"remove", "1"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"messages\": [" + std::to_string(ids::IDS_ENTRY1_DELETE_CAPTION) + "]"), std::string::npos);
    EXPECT_EQ(card.Context(1), kFactoryApn);
    EXPECT_NE(Ctl({"list"}).out.find("\"name\": \"mobile.korvane.ne.jp\", \"user\": \"kv\""), std::string::npos);

    ASSERT_EQ(Ctl({"remove", "2"}).status, 0);
    EXPECT_EQ(CardContexts(), (std::vector<std::string>{kFactoryApn, "", "", ""}));
}

// Refused before the card is written. User names and passwords are limited in bytes:
// 100 katakana are 300 bytes, which neither the phonebook nor the dialler holds.
TEST_F(EntriesCli, RefusedNamesChangeNothing) {
    ASSERT_EQ(Ctl({"add", "2", "taken.example"}).status, 0);
    std::string katakana;
    for (int i = 0; i < 100; ++i) katakana += "パ";
    struct Row {
        std::vector<std::string> words;
        int textId;
        const char* told = "";  // in the message too
    } rows[] = {
        {{"add", "3", "bad_name"}, ids::IDS_ENTRY_NAME_INVALID_TEXT},
        {{"add", "3", "--", "-lead"}, ids::IDS_ENTRY_NAME_INVALID_TEXT},
        {{"add", "3", "taken.example"}, ids::IDS_ENTRY_NAME_DUPLICATE_TEXT},
        {{"add", "3", std::string(101, 'a')}, ids::IDS_ENTRY_NAME_TOO_LONG_TEXT},
        {{"add", "3", "ok.example", "--user", std::string(257, 'u')}, ids::IDS_ENTRY_USER_TOO_LONG_TEXT},
        {{"add", "3", "apn.three", "--password", katakana}, ids::IDS_ENTRY_PASSWORD_TOO_LONG_TEXT, "255"},
        {{"rename", "2", kFactoryApn}, ids::IDS_ENTRY_NAME_DUPLICATE_TEXT},
    };
    for (const Row& row : rows) {
        card.ClearCommands();
        const CtlResult r = Ctl(row.words);
        EXPECT_EQ(r.status, 1) << row.words[2];
        EXPECT_NE(r.out.find("\"ok\": false"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\"messages\": [" + std::to_string(ids::IDS_ENTRY_CHECK_CAPTION) + "]"), std::string::npos)
            << r.out;
        if (*row.told != '\0') {
            EXPECT_NE(r.out.find(row.told), std::string::npos) << "the message names the limit: " << r.out;
        }
        for (const auto& command : card.Commands()) EXPECT_EQ(command.find("CGDCONT="), std::string::npos) << command;
    }
    EXPECT_EQ(CardContexts(), (std::vector<std::string>{kFactoryApn, "taken.example", "", ""}));
    EXPECT_EQ(Ctl({"list"}).out.find("apn.three"), std::string::npos);
    EXPECT_EQ(Ctl({"add", "11", "x"}).status, 2);
}

TEST_F(EntriesCli, DifferencesBlockChangesUntilSynchronised) {
    ASSERT_EQ(Ctl({"add", "2", "two.example", "--user", "u2", "--password", "p2"}).status, 0);
    card.SetContext(2, "other.example");
    card.SetContext(3, "three.example");

    CtlResult r = Ctl({"check"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"in_sync\": false"), std::string::npos) << r.out;

    r = Ctl({"add", "4", "four.example"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(std::to_string(ids::IDS_SYNC_CANCELLED_CAPTION)), std::string::npos) << r.out;
    EXPECT_EQ(card.Context(4), "");

    // From the card, with credentials for one position; the other takes none.
    r = Ctl({"sync", "from-card", "--credentials", "3:u3:p3"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(Ctl({"check"}).out.find("\"in_sync\": true"), std::string::npos);
    r = Ctl({"list"});
    EXPECT_NE(r.out.find("\"name\": \"other.example\", \"user\": \"\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"name\": \"three.example\", \"user\": \"u3\""), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("two.example"), std::string::npos);

    // Program to card: the card takes the program's entries at their positions.
    card.SetContext(5, "stray.example");
    ASSERT_EQ(Ctl({"sync", "to-card"}).status, 0);
    EXPECT_EQ(card.Context(5), "");
    EXPECT_EQ(card.Context(3), "three.example");

    // Reset: the factory entry alone, selected.
    ASSERT_EQ(Ctl({"select", "3"}).status, 0);
    EXPECT_EQ(SettingsStore(data.File("VR31KUTL.ini")).ReadDialup().entryIndex, 2);
    ASSERT_EQ(Ctl({"sync", "reset"}).status, 0);
    EXPECT_EQ(CardContexts(), (std::vector<std::string>{kFactoryApn, "", "", ""}));
    EXPECT_EQ(SettingsStore(data.File("VR31KUTL.ini")).ReadDialup().entryIndex, 0);
    EXPECT_EQ(Ctl({"select", "3"}).status, 2) << "an empty position cannot be selected";
}

// The card took the new context but the credential file could not be written: the
// command says so instead of reporting success.
TEST_F(EntriesCli, ABookStepFailingAfterTheCardWriteIsNotASuccess) {
    ASSERT_EQ(mkdir(data.File("VR31KUTL.dat").c_str(), 0700), 0);  // no file can take its place
    const CtlResult r = Ctl({"add", "3", "apn.three", "--user", "u3", "--password", "p3"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("\"ok\": false"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"messages\": [" + std::to_string(ids::IDS_WRITE_ERROR_CAPTION) + "]"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"message\": "), std::string::npos) << r.out;
}

TEST_F(EntriesCli, ACardThatFailsTheCheckChangesNothing) {
    card.SetSimState(sim::SimState::NotInserted);
    const CtlResult r = Ctl({"add", "2", "two.example"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(std::to_string(ids::IDS_SIM_NOT_INSERTED_CAPTION)), std::string::npos) << r.out;
    card.SetSimState(sim::SimState::Ready);
    EXPECT_EQ(card.Context(2), "");
}

// A listing over a damaged credential file (cut short, emptied, grown, garbage) keeps
// every entry: the file is moved aside byte for byte, stderr names where, and the table
// is rebuilt from the phonebook, with its credentials when it has them.
TEST_F(EntriesCli, ADamagedCredentialFileCostsNoEntry) {
    ASSERT_EQ(Ctl({"add", "2", "apn2.example", "--user", "bob", "--password", "pw"}).status, 0);
    ASSERT_EQ(Ctl({"add", "3", "apn3.example", "--user", "eve", "--password", "pw"}).status, 0);
    const std::string dat = data.File("VR31KUTL.dat");
    const std::string pbk = data.File("VR31KUTL.pbk");
    const std::string good = test::ReadFile(dat);
    const struct {
        std::string damaged;
        bool bookCredentials;  // the phonebook keeps its Credentials= lines
    } cases[] = {{"", true}, {good.substr(0, 771), true}, {good + '\0', true}, {good.substr(100), false}};
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.damaged.size()) + (c.bookCredentials ? " bytes" : " bytes, bare");
        if (!c.bookCredentials) {
            std::istringstream book(test::ReadFile(pbk));
            std::string line, kept;
            while (std::getline(book, line)) {
                if (line.rfind("Credentials=", 0) != 0) kept += line + "\n";
            }
            test::WriteFile(pbk, kept);
        }
        test::WriteFile(dat, c.damaged);
        const CtlResult r = Ctl({"list"});
        ASSERT_EQ(r.status, 0) << what << r.err;
        for (const char* name : {kFactoryApn, "apn2.example", "apn3.example"}) {
            EXPECT_NE(r.out.find(Has(name)), std::string::npos) << what << ": " << name << r.out;
        }
        EXPECT_EQ(r.out.find("\"user\": \"bob\"") != std::string::npos, c.bookCredentials) << what << r.out;
        const size_t named = r.err.find("kept as " + dat + ".unreadable-");
        ASSERT_NE(named, std::string::npos) << what << r.err;
        const std::string aside = r.err.substr(named + 8, r.err.find(' ', named + 8) - named - 8);
        EXPECT_EQ(test::ReadFile(aside), c.damaged) << what;
        EXPECT_EQ(test::ReadFile(dat).size(), kCredentialFileBytes) << what;
        std::remove(aside.c_str());
    }
}

}  // namespace
}  // namespace vr31k
