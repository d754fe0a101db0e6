// The synchronisation check and its three ways against in-memory card and phonebook.
#include "support/EntryFakes.h"
#include "common/StringIds.h"
#include "dialup/ApnSync.h"

#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

EntryList List(std::initializer_list<const char*> names) {
    EntryList list;
    int k = 0;
    for (const char* n : names) list[k++] = n;
    return list;
}

class ApnSyncTest : public ::testing::Test {
protected:
    FakeEntryBook book;
    FakeCard card;
    ScriptedUi ui;
    ApnSync sync{book, card, ui};

    void SetCard(const EntryList& view) {
        for (int k = 0; k < kEntryCount; ++k) {
            card.contexts[k].reset();
            if (!view[k].empty()) card.contexts[k] = view[k];
        }
    }
};

TEST(EntriesInSync, ComparesEveryPositionExactly) {
    EXPECT_TRUE(EntriesInSync(List({"A", "B"}), List({"A", "B"})));
    EXPECT_FALSE(EntriesInSync(List({"A", "B"}), List({"A", "b"})));
    EXPECT_FALSE(EntriesInSync(List({"A", "", "C"}), List({"A", "C"})));
}

TEST_F(ApnSyncTest, ResetSelectsEntryOne) {
    book.Put(0, "A");
    book.Put(1, "B");
    book.entryIndex = 1;
    SetCard(List({"X"}));
    EntryList view = card.View();
    ui.answers = {false};
    EXPECT_FALSE(sync.Reset(view)) << "No keeps the dialog open";
    ASSERT_TRUE(sync.Reset(view));
    EXPECT_EQ(view, List({kFactoryApn}));
    EXPECT_EQ(card.View(), List({kFactoryApn}));
    EXPECT_EQ(book.entryIndex, 0);
}

TEST_F(ApnSyncTest, ProgramToCardWritesOwnPositionsAndKeepsTheSelection) {
    book.Put(0, "A");
    book.Put(2, "C");
    book.entryIndex = 2;
    SetCard(List({"Z", "Y", "X", "W"}));
    EntryList view = card.View();
    ASSERT_TRUE(sync.ProgramToCard(view));
    EXPECT_EQ(ui.asked.at(0).caption, ids::IDS_SYNC_TO_CARD_CAPTION);
    EXPECT_EQ(card.View(), List({"A", "", "C"}));
    EXPECT_EQ(view, List({"A", "", "C"}));
    EXPECT_EQ(book.entryIndex, 2);

    // A failed write keeps what was written before it and still closes the dialog.
    SetCard(List({"Z"}));
    card.failWriteNumber = card.writes + 3;  // clear, A, then C fails
    ASSERT_TRUE(sync.ProgramToCard(view));
    EXPECT_EQ(ui.writeErrors, 1);
    EXPECT_EQ(card.View(), List({"A"}));
    EXPECT_EQ(view, List({"A"}));
}

TEST_F(ApnSyncTest, CardToProgramNeedsEveryRowResolved) {
    book.Put(0, "A", "ua", "pa");
    book.Put(1, "B");
    book.Put(3, "D");
    book.entryIndex = 3;
    SetCard(List({"X", "Y"}));
    EntryList view = card.View();
    SyncApnList list(book, card, ui, view);
    EXPECT_FALSE(list.AllResolved());
    EXPECT_TRUE(list.Rows()[3].resolved) << "rows without a card APN start resolved";
    EXPECT_FALSE(list.CanEdit(3));
    list.Change(0, "ux", "px");
    EXPECT_FALSE(list.AllResolved());
    list.Change(1, "uy", "py");
    ASSERT_TRUE(list.AllResolved());
    const int writes = card.writes;
    ASSERT_TRUE(list.Commit(view));
    EntryList program;
    book.ListEntries(program);
    EXPECT_EQ(program, List({"X", "Y"}));
    EXPECT_EQ(book.table[0].user, "ux");
    EXPECT_EQ(book.table[1].password, "py");
    EXPECT_EQ(book.Find("X")->dial, "*99***1#");
    EXPECT_EQ(book.Find("D"), nullptr);
    EXPECT_EQ(card.writes, writes) << "no row deleted: the card is not written";
    EXPECT_TRUE(card.log.empty());
    EXPECT_EQ(book.entryIndex, 0);
}

TEST_F(ApnSyncTest, CardToProgramKeepsSameNamesAndMovesSwappedOnes) {
    book.Put(0, "A", "ua", "pa");
    book.Put(1, "B", "ub", "pb");
    book.Put(2, "C", "uc", "pc");
    SetCard(List({"A", "C", "B"}));
    SyncApnList list(book, card, ui, card.View());
    std::string user, password;
    list.EditPreset(1, user, password);
    EXPECT_EQ(user, "uc") << "an unresolved row offers the program entry of that name";
    for (int k = 0; k < 3; ++k) {
        list.EditPreset(k, user, password);
        list.Change(k, user, password);
    }
    list.EditPreset(0, user, password);
    EXPECT_EQ(user, "ua");
    EntryList view = card.View();
    ASSERT_TRUE(list.Commit(view));
    EntryList program;
    book.ListEntries(program);
    EXPECT_EQ(program, List({"A", "C", "B"}));
    EXPECT_EQ(book.table[1].user, "uc");
    EXPECT_EQ(book.Find("C")->dial, "*99***2#");
    EXPECT_EQ(std::count(book.log.begin(), book.log.end(), "remove A"), 0) << "A stays where it is";
}

TEST_F(ApnSyncTest, DeletedRowsAreUndefinedOnTheCardAndRowOneBecomesTheFactoryEntry) {
    book.Put(0, "A");
    SetCard(List({"X", "Y", "Z"}));
    SyncApnList list(book, card, ui, card.View());
    ASSERT_TRUE(list.Delete(0));
    EXPECT_EQ(ui.asked.back().caption, ids::IDS_ENTRY1_DELETE_CAPTION);
    EXPECT_EQ(list.Rows()[0].cardApn, kFactoryApn);
    EXPECT_FALSE(list.CanChange(0)) << "the reset row 0 is not the card's entry to edit";
    list.Change(0, "other", "other");
    EXPECT_EQ(list.Rows()[0].user, kFactoryUser);
    ASSERT_TRUE(list.Delete(2));
    EXPECT_EQ(ui.asked.back().args, std::vector<std::string>{"Z"});
    EXPECT_FALSE(list.CanEdit(2));
    ui.answers = {false};
    EXPECT_FALSE(list.Delete(1));
    list.Change(1, "uy", "py");
    ASSERT_TRUE(list.AllResolved());
    EntryList view = card.View();
    ASSERT_TRUE(list.Commit(view));
    EXPECT_EQ(card.View(), List({kFactoryApn, "Y"}));
    EXPECT_EQ(view, List({kFactoryApn, "Y"}));
    EntryList program;
    book.ListEntries(program);
    EXPECT_EQ(program, List({kFactoryApn, "Y"}));
    EXPECT_EQ(book.table[0].user, "kv");
}

TEST_F(ApnSyncTest, CardToProgramStaysOpenWhenThePortFails) {
    book.Put(0, "A");
    SetCard(List({"X", "Y"}));
    SyncApnList list(book, card, ui, card.View());
    list.Change(0, "u", "p");
    ASSERT_TRUE(list.Delete(1));
    card.prep = PortPrep::Failed;
    EntryList view = card.View();
    EXPECT_FALSE(list.Commit(view));
    EXPECT_NE(book.Find("X"), nullptr) << "phonebook changes made before are kept";
    EXPECT_EQ(card.contexts[1], "Y");
    EXPECT_EQ(card.closes, 1);
}

}  // namespace
