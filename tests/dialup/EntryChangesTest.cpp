// Entry changes keep card, phonebook and credential table in step; the card is written
// first and a failed write stops the change where it is.
#include "support/EntryFakes.h"
#include "common/StringIds.h"
#include "dialup/EntryChanges.h"

#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// Entries at positions 1 and 3, on the card and in the program.
struct TwoEntries {
    TwoEntries() {
        book.Put(0, "alpha.example", "ua", "pa");
        book.Put(2, "gamma", "ug", "pg");
        card.contexts[0] = "alpha.example";
        card.contexts[2] = "gamma";
        book.ListEntries(list);
    }
    FakeEntryBook book;
    FakeCard card;
    ScriptedUi ui;
    EntryChanges changes{book, card, ui};
    EntryList list;
};

class EntryChangesTest : public ::testing::Test, protected TwoEntries {};

TEST_F(EntryChangesTest, ResetLeavesOnlyTheFactoryEntryEverywhere) {
    ASSERT_TRUE(changes.ResetToFactory(list));
    EXPECT_EQ(ui.asked.at(0).caption, ids::IDS_ENTRY_RESET_CAPTION);
    EntryList expected{};
    expected[0] = kFactoryApn;
    EXPECT_EQ(list, expected);
    EXPECT_EQ(card.View(), expected);
    EntryList program;
    book.ListEntries(program);
    EXPECT_EQ(program, expected);
    EXPECT_EQ(book.table[0].user, "kv");
    EXPECT_EQ(book.table[0].password, "kv");
    EXPECT_EQ(book.phonebook.at(0).dial, "*99***1#");
    EXPECT_EQ(card.closes, 1);
}

TEST_F(EntryChangesTest, ResetStopsWhereItFails) {
    ui.answers = {false};
    EXPECT_FALSE(changes.ResetToFactory(list));
    EXPECT_EQ(card.writes, 0);
    EXPECT_EQ(book.phonebook.size(), 2u);

    // The second card write fails: the phonebook and the table are already empty and
    // the card has no contexts; that stays so.
    card.failWriteNumber = 2;
    EXPECT_FALSE(changes.ResetToFactory(list));
    EXPECT_EQ(ui.writeErrors, 1);
    EXPECT_TRUE(book.phonebook.empty());
    EXPECT_EQ(card.View(), EntryList{});
    EXPECT_EQ(card.log.back(), "close");
    EXPECT_EQ(card.closes, 1);

    // A port that cannot be prepared changes nothing (its own message was shown).
    FakeCard deadCard;
    deadCard.prep = PortPrep::Failed;
    FakeEntryBook other;
    other.Put(0, "x");
    EntryChanges c(other, deadCard, ui);
    EXPECT_FALSE(c.ResetToFactory(list));
    EXPECT_EQ(other.phonebook.size(), 1u);
    EXPECT_EQ(deadCard.closes, 1);
}

TEST_F(EntryChangesTest, DeletingEntryOneBringsBackTheFactoryEntry) {
    ASSERT_TRUE(changes.Delete(list, 0));
    EXPECT_EQ(ui.asked.at(0).caption, ids::IDS_ENTRY1_DELETE_CAPTION);
    EXPECT_EQ(ui.asked.at(0).args, std::vector<std::string>{kFactoryApn});
    EXPECT_EQ(list[0], kFactoryApn);
    EXPECT_EQ(card.contexts[0], kFactoryApn);
    EXPECT_EQ(book.table[0].name, kFactoryApn);
    EXPECT_EQ(book.Find("alpha.example"), nullptr);
    EXPECT_EQ(card.log, (std::vector<std::string>{"prepare", "undefine 1", std::string("set 1 ") + kFactoryApn, "close"}));
}

TEST_F(EntryChangesTest, DeletingAnotherEntryEmptiesItsPosition) {
    EXPECT_FALSE(changes.Delete(list, 1)) << "an empty position has nothing to delete";
    ASSERT_TRUE(changes.Delete(list, 2));
    EXPECT_EQ(ui.asked.back().caption, ids::IDS_ENTRY_DELETE_CAPTION);
    EXPECT_EQ(ui.asked.back().args, std::vector<std::string>{"gamma"});
    EXPECT_TRUE(list[2].empty());
    EXPECT_FALSE(card.contexts[2].has_value());
    EXPECT_EQ(book.Find("gamma"), nullptr);
    EXPECT_TRUE(book.table[2].name.empty());

    card.failWriteNumber = card.writes + 1;
    EXPECT_FALSE(changes.Delete(list, 0));
    EXPECT_EQ(ui.writeErrors, 1);
    EXPECT_NE(book.Find("alpha.example"), nullptr) << "a failed card write removes nothing";
}

TEST_F(EntryChangesTest, AddRenameAndCredentialEdits) {
    ASSERT_TRUE(changes.ApplyEdit(list, 1, {"beta", "ub", "pb", "*99***2#", ""}));
    EXPECT_EQ(list[1], "beta");
    EXPECT_EQ(card.contexts[1], "beta");
    EXPECT_EQ(book.table[1].user, "ub");

    ASSERT_TRUE(changes.ApplyEdit(list, 1, {"beta2", "ub", "pb", "*99***2#", "beta"}));
    EXPECT_EQ(card.contexts[1], "beta2");
    EXPECT_EQ(book.table[1].name, "beta2");
    EXPECT_EQ(book.Find("beta"), nullptr);

    // Only the credentials: neither the card nor the entry's name is touched.
    const int writes = card.writes;
    card.log.clear();
    ASSERT_TRUE(changes.ApplyEdit(list, 1, {"beta2", "new-user", "new-pass", "*99***2#", "beta2"}));
    EXPECT_EQ(card.writes, writes);
    EXPECT_TRUE(card.log.empty());
    EXPECT_EQ(book.table[1].user, "new-user");
    EXPECT_EQ(book.Find("beta2")->password, "new-pass");
}

TEST_F(EntryChangesTest, FailedCardWriteUndoesTheAdvancedEditsPhonebookChange) {
    // An advanced edit already created the new entry in the phonebook.
    book.AddEntry(1, "made.early", "u", "p", "*99***2#");
    card.failWriteNumber = 1;
    EXPECT_FALSE(changes.ApplyEdit(list, 1, {"made.early", "u", "p", "*99***2#", "made.early"}));
    EXPECT_EQ(book.Find("made.early"), nullptr);
    EXPECT_TRUE(list[1].empty());
    EXPECT_EQ(ui.writeErrors, 1);

    // ... or renamed an existing one: it gets its old name back.
    book.RenameStoredEntry("gamma", "gamma2");
    card.failWriteNumber = card.writes + 1;
    EXPECT_FALSE(changes.ApplyEdit(list, 2, {"gamma2", "u", "p", "*99***3#", "gamma2"}));
    EXPECT_NE(book.Find("gamma"), nullptr);
    EXPECT_EQ(list[2], "gamma");
}

TEST_F(EntryChangesTest, EditInputChecksShowTheirMessages) {
    struct Row {
        std::string name, user, password, applied;
        int textId;  // 0: accepted
        std::vector<std::string> args;
    } rows[] = {
        {"ok-name.x", "", "", "", 0, {}},
        {"", "", "", "", ids::IDS_ENTRY_NAME_EMPTY_TEXT, {}},
        {"-lead", "", "", "", ids::IDS_ENTRY_NAME_INVALID_TEXT, {}},
        {"trail.", "", "", "", ids::IDS_ENTRY_NAME_INVALID_TEXT, {}},
        {"under_score", "", "", "", ids::IDS_ENTRY_NAME_INVALID_TEXT, {}},
        {"gamma", "", "", "", ids::IDS_ENTRY_NAME_DUPLICATE_TEXT, {}},
        {"gamma", "", "", "gamma", 0, {}},  // its own name is no duplicate
        {std::string(101, 'a'), "", "", "", ids::IDS_ENTRY_NAME_TOO_LONG_TEXT, {}},
        {std::string(100, 'a'), "", "", "", 0, {}},
        {"x", std::string(256, 'u'), "", "", ids::IDS_ENTRY_USER_TOO_LONG_TEXT, {"255"}},
        {"x", std::string(255, 'u'), std::string(256, 'p'), "", ids::IDS_ENTRY_PASSWORD_TOO_LONG_TEXT, {"255"}},
        {"x", std::string(255, 'u'), std::string(255, 'p'), "", 0, {}},
        // The limits are bytes of UTF-8: 85 katakana are 255 bytes, 86 are 258.
        {"x", Repeat("ユ", 85), Repeat("パ", 85), "", 0, {}},
        {"x", Repeat("ユ", 86), "", "", ids::IDS_ENTRY_USER_TOO_LONG_TEXT, {"255"}},
        {"x", "", Repeat("パ", 100), "", ids::IDS_ENTRY_PASSWORD_TOO_LONG_TEXT, {"255"}},
        // A too long credential is refused before the name is looked at.
        {"", "", Repeat("パ", 100), "", ids::IDS_ENTRY_PASSWORD_TOO_LONG_TEXT, {"255"}},
    };
    for (const Row& row : rows) {
        ui.shown.clear();
        const bool ok = changes.CheckEditInput(row.name, row.user, row.password, row.applied);
        EXPECT_EQ(ok, row.textId == 0) << row.name.substr(0, 20);
        if (row.textId != 0) {
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].caption, ids::IDS_ENTRY_CHECK_CAPTION);
            EXPECT_EQ(ui.shown[0].text, row.textId) << row.name.substr(0, 20);
            EXPECT_EQ(ui.shown[0].args, row.args);
        }
    }
}

// The card is written first; when the phonebook or the table then refuses its part,
// the change is reported as the write failure it is, not as done.
TEST_F(EntryChangesTest, ABookStepThatFailsAfterTheCardWriteIsReported) {
    struct Row {
        const char* failing;
        int position0;
        EntryEdit edit;
        bool cardWritten;
    } rows[] = {
        {"add", 1, {"beta", "u", "p", "*99***2#", ""}, true},
        {"rename", 2, {"gamma2", "ug", "pg", "*99***3#", "gamma"}, true},
        {"credentials", 1, {"beta", "u", "p", "*99***2#", ""}, true},
        {"credentials", 2, {"gamma", "new", "new", "*99***3#", "gamma"}, false},
    };
    for (const Row& row : rows) {
        TwoEntries w;
        w.book.failing = row.failing;
        EXPECT_FALSE(w.changes.ApplyEdit(w.list, row.position0, row.edit)) << row.failing;
        EXPECT_EQ(w.ui.writeErrors, 1) << row.failing;
        EXPECT_EQ(w.card.writes, row.cardWritten ? 1 : 0) << row.failing;
        EntryList program;
        w.book.ListEntries(program);
        if (std::string(row.failing) != "credentials") {
            EXPECT_EQ(w.list, program) << "the list shows what the program holds";
        }
    }
}

TEST_F(EntryChangesTest, BookStepsThatFailInDeleteAndResetAreReported) {
    book.failing = "remove";
    EXPECT_FALSE(changes.Delete(list, 2));
    EXPECT_EQ(ui.writeErrors, 1);
    EXPECT_EQ(list[2], "gamma") << "the program still holds it";

    book.failing = "add";
    EXPECT_FALSE(changes.ResetToFactory(list));
    EXPECT_EQ(ui.writeErrors, 2);
    EXPECT_EQ(card.closes, 2);
}

}  // namespace
