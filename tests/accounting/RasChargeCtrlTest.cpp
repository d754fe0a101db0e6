// The charge controller's entry operations keep phonebook, credential table and
// credential file in step, over the real phonebook service.
#include "support/EntryFakes.h"
#include "support/ForwardingService.h"
#include "support/MonitorNotices.h"
#include "support/ScriptedLinks.h"
#include "accounting/CRasChargeCtrl.h"
#include "common/StringIds.h"
#include "dialup/EntryChanges.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

namespace vr31k {
namespace {

// Records what a dial would hand to the dialler instead of dialling.
class RecordingService : public test::CForwardingService {
public:
    using CForwardingService::CForwardingService;
    int Dial(const std::string&, const DialParams& params, DialNotifier, ConnHandle& out) override {
        dialled = params;
        out = 0;
        return 0;
    }
    DialParams dialled;
};

class RasChargeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ctrl.Setup(dat, pbk, kCardModemName, false), 0); }
    std::vector<std::string> Phonebook() {
        std::vector<std::string> names;
        ctrl.EnumEntries(names, nullptr);
        return names;
    }
    std::string Slot(const CRasChargeCtrl& c, size_t slot, CredentialField field) const {
        return c.Credentials().Field(slot, field);
    }

    test::TempDir dir;
    std::string pbk = dir.File("VR31KUTL.pbk");
    std::string dat = dir.File("VR31KUTL.dat");
    std::unique_ptr<IDialupService> real = CreateLinuxDialupService({});
    RecordingService service{*real};
    CRasChargeCtrl ctrl{service};
};

TEST_F(RasChargeCtrlTest, SetupLoadsTheCredentialTable) {
    ctrl.Credentials().SetField(2, CredentialField::EntryName, "apn.example.jp");
    ASSERT_EQ(ctrl.SaveEntryStore(), kCredentialOk);
    CRasChargeCtrl reloaded(*real);
    EXPECT_EQ(reloaded.Setup(dat, pbk, kCardModemName, true), 0);
    EXPECT_EQ(reloaded.SetupLoadResult(), kCredentialOk);
    EXPECT_EQ(Slot(reloaded, 2, CredentialField::EntryName), "apn.example.jp");
    EXPECT_EQ(reloaded.PhonebookPath(), pbk);
    EXPECT_TRUE(reloaded.AnyDevice());
}

TEST_F(RasChargeCtrlTest, AddRenameCredentialsRemoveAndResetReachTheFile) {
    ASSERT_EQ(ctrl.AddEntry(3, "apn.example", "user", "secret", "*99***4#"), 0);
    EXPECT_EQ(ctrl.AddEntry(5, "apn.example", "x", "y", "*99***6#"), 183);
    EXPECT_TRUE(ctrl.Credentials().SlotEmpty(5)) << "an existing name leaves the table alone";

    ASSERT_EQ(ctrl.RenameStoredEntry("apn.example", "apn2.example"), 0);
    ASSERT_EQ(ctrl.UpdateEntryCredentials("apn2.example", "user2", "secret2"), 0);
    {
        CRasChargeCtrl reloaded(service);
        reloaded.Setup(dat, pbk, kCardModemName, false);
        EXPECT_EQ(Slot(reloaded, 3, CredentialField::EntryName), "apn2.example");
        EXPECT_EQ(Slot(reloaded, 3, CredentialField::UserName), "user2");
        EXPECT_EQ(Slot(reloaded, 3, CredentialField::Password), "secret2");
        std::string user, password, dial;
        ASSERT_EQ(reloaded.GetEntrySettings("apn2.example", user, password, dial), 0);
        EXPECT_EQ(user, "user2");
        EXPECT_EQ(dial, "*99***4#");
    }
    ASSERT_EQ(ctrl.RemoveEntry("apn2.example"), 0);
    EXPECT_TRUE(ctrl.Credentials().SlotEmpty(3));
    EXPECT_TRUE(Phonebook().empty());

    ctrl.AddEntry(0, "a", "u", "p", "*99***1#");
    ctrl.AddEntry(1, "b", "u", "p", "*99***2#");
    ASSERT_EQ(ctrl.ResetEntries(), 0);
    EXPECT_TRUE(Phonebook().empty());
    EXPECT_TRUE(ctrl.Credentials().SlotEmpty(0));
    EXPECT_TRUE(ctrl.Credentials().SlotEmpty(1));
}

// A listing takes what the table lacks from the phonebook, never the other way round:
// an entry no slot names goes to the free slot its dial string names, and one it cannot
// place stays in the phonebook, unlisted.
TEST_F(RasChargeCtrlTest, ListingNeverDeletesEntriesTheTableLacks) {
    ctrl.AddEntry(2, "known", "u", "p", "*99***3#");
    ASSERT_EQ(ctrl.CreateEntry("stranger", std::string("su"), std::string("sp"), std::string("*99***1#"), nullptr), 0);
    ASSERT_EQ(ctrl.CreateEntry("clash", std::string("u"), std::string("p"), std::string("*99***3#"), nullptr), 0);
    EntryList list;
    ASSERT_EQ(ctrl.ListEntries(list), 0);
    EntryList expected{};
    expected[0] = "stranger";
    expected[2] = "known";
    EXPECT_EQ(list, expected);
    EXPECT_EQ(Slot(ctrl, 0, CredentialField::UserName), "su");
    EXPECT_EQ(Phonebook(), (std::vector<std::string>{"known", "stranger", "clash"}));
}

TEST_F(RasChargeCtrlTest, DialUsesTheSlotsCredentials) {
    ctrl.AddEntry(0, "apn.example", "slot-user", "slot-pass", "*99***1#");
    // The phonebook's saved credentials differ from the slot's.
    ctrl.SetEntryCredentials("apn.example", "book-user", "book-pass");
    ASSERT_EQ(ctrl.DialEntry("apn.example", std::nullopt, std::nullopt, std::nullopt, nullptr), 0);
    EXPECT_EQ(service.dialled.userName, "slot-user");
    EXPECT_EQ(service.dialled.password, "slot-pass");
    EXPECT_EQ(service.dialled.phoneNumber, "*99***1#");
}

TEST_F(RasChargeCtrlTest, FactoryEntryOnlyWithoutAPhonebook) {
    ASSERT_EQ(ctrl.EnsurePhonebook(), 0);
    EntryList list;
    ctrl.ListEntries(list);
    EXPECT_EQ(list[0], kFactoryApn);
    EXPECT_EQ(Slot(ctrl, 0, CredentialField::UserName), kFactoryUser);
    ctrl.RemoveEntry(kFactoryApn);
    ASSERT_EQ(ctrl.EnsurePhonebook(), 0);
    EXPECT_TRUE(Phonebook().empty()) << "an existing (empty) phonebook is left as it is";
}

TEST_F(RasChargeCtrlTest, AFailedSaveIsReportedAndThePhonebookChangeStays) {
    CRasChargeCtrl broken(service);
    broken.Setup(dir.File("no-such-folder/VR31KUTL.dat"), pbk, kCardModemName, false);
    EXPECT_EQ(broken.AddEntry(0, "apn.example", "u", "p", "*99***1#"), kCredentialNoFile);
    EXPECT_EQ(Phonebook(), std::vector<std::string>{"apn.example"});
}

// The entry changes over the real controller: deleting entry #1 brings back the
// factory entry in the phonebook and the table.
TEST_F(RasChargeCtrlTest, EntryChangesOverTheRealController) {
    test::FakeCard card;
    test::ScriptedUi ui;
    EntryChanges changes(ctrl, card, ui);
    EntryList list;
    ctrl.AddEntry(0, "first.example", "u1", "p1", "*99***1#");
    card.contexts[0] = "first.example";
    ctrl.ListEntries(list);
    ASSERT_TRUE(changes.ApplyEdit(list, 1, {"second", "u2", "p2", "*99***2#", ""}));
    ASSERT_TRUE(changes.Delete(list, 0));
    EntryList fromBook;
    ctrl.ListEntries(fromBook);
    EXPECT_EQ(fromBook, list);
    EXPECT_EQ(list[0], kFactoryApn);
    EXPECT_EQ(list[1], "second");
    EXPECT_EQ(card.View(), list);
    EXPECT_EQ(Slot(ctrl, 0, CredentialField::Password), kFactoryPassword);
    EXPECT_EQ(Slot(ctrl, 1, CredentialField::UserName), "u2");
}


// A lost or damaged credential file does not cost the phonebook's entries: a damaged
// one is moved aside, byte for byte, before anything is written, and the first listing
// takes every entry back, at the position its dial string names or else the first free
// one, with the credentials the phonebook holds.
TEST_F(RasChargeCtrlTest, EntriesSurviveALostOrDamagedCredentialFile) {
    ctrl.AddEntry(0, "first.example", "u1", "p1", "*99***1#");
    ctrl.AddEntry(4, "fifth.example", "u5", "p5", "*99***5#");
    ASSERT_EQ(ctrl.CreateEntry("odd", std::string("u"), std::string("p"), std::string("*99#"), nullptr), 0);
    const std::string good = test::ReadFile(dat);
    const struct {
        const char* what;
        std::optional<std::string> file;  // nullopt: no file
        int loaded;
    } cases[] = {
        {"missing", std::nullopt, kCredentialNoFile},
        {"empty", "", kCredentialInvalid},
        {"short", good.substr(0, 1000), kCredentialInvalid},
        {"long", good + "x", kCredentialInvalid},
        {"garbage", std::string(kCredentialFileBytes, static_cast<char>(0xAB)), kCredentialInvalid},
    };
    for (const auto& c : cases) {
        if (c.file) test::WriteFile(dat, *c.file);
        else std::remove(dat.c_str());
        CRasChargeCtrl restarted(service);
        restarted.Setup(dat, pbk, kCardModemName, false);
        ASSERT_EQ(restarted.SetupLoadResult(), c.loaded) << c.what;
        const std::string aside = restarted.CredentialsKeptAside();
        EXPECT_EQ(restarted.SetupNote().textId, c.file ? ids::IDS_CREDENTIALS_UNREADABLE_TEXT : 0) << c.what;
        if (c.file) {
            EXPECT_EQ(test::ReadFile(aside), *c.file) << c.what;
            EXPECT_EQ(restarted.SetupNote().args, (std::vector<std::string>{dat, aside})) << c.what;
            std::remove(aside.c_str());
        }
        EntryList list;
        restarted.ListEntries(list);
        EntryList expected{};
        expected[0] = "first.example";
        expected[1] = "odd";
        expected[4] = "fifth.example";
        EXPECT_EQ(list, expected) << c.what;
        EXPECT_EQ(Slot(restarted, 4, CredentialField::Password), "p5") << c.what;
        EXPECT_EQ(Phonebook(), (std::vector<std::string>{"first.example", "fifth.example", "odd"})) << c.what;

        CRasChargeCtrl again(service);
        again.Setup(dat, pbk, kCardModemName, false);
        EXPECT_EQ(again.SetupLoadResult(), kCredentialOk) << c.what << ": the table was written back whole";
    }
}


// A connection of another dialler is recorded with the end the monitor stamped at its
// own line loss, whatever ended before it: another outside connection, or one of the
// window's own whose end was stamped and never recorded (a cancelled or failed dial).
// The last row makes the race of a loaded machine certain: the next connection comes up
// while the monitor is still telling of the loss, after the window has recorded it.
TEST_F(RasChargeCtrlTest, EachAdoptedConnectionIsRecordedWithItsOwnEnd) {
    struct Case {
        const char* before;
        bool outsideBefore;  // else: an end stamped with no row (a dial that ended)
        bool stampedAgain;   // the recorded connection's end stamped once more after
        double gap;          // seconds from the first end to the second's
        bool upInTheLoss = false;  // the next connection is up before the monitor looks again
    };
    for (const Case c : {Case{"an outside connection", true, false, 3.0},
                         Case{"a lost line recorded, then stamped", true, true, 3.0},
                         Case{"a dial that ended", false, false, 63.0},
                         Case{"the next one up within the loss's notice", true, true, 3.0, true}}) {
        SCOPED_TRACE(c.before);
        test::CScriptedLinks links(*real);
        CRasChargeCtrl charge(links);
        charge.Setup(dat, pbk, kCardModemName, false);
        std::atomic<std::time_t> now{std::time(nullptr)};
        charge.SetWallClock([&] { return now.load(); });
        test::CNotices notices;
        HistoryRow first, second;
        // Run on the monitor's thread inside the first loss's notice, as the window would
        // record the lost connection, while the next one comes up.
        std::function<void()> inTheLoss;
        const auto told = notices.Callback();
        charge.StartMonitor([&, told](int notice) {
            told(notice);
            if (notice == RAS_NOTIFY_DISCONNECTED && inTheLoss) std::exchange(inTheLoss, nullptr)();
        });

        // A connection is up (or comes up), is sampled, and drops `seconds` later; the
        // window records it (unless it did inside the loss's notice).
        const auto connection = [&](ConnHandle handle, int seconds, HistoryRow* row) {
            if (!links.IsUp(handle)) links.Up(handle, "ppp" + std::to_string(handle));
            ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_CONNECTED));
            ASSERT_EQ(charge.UpdateStatistics(), 0);
            now += seconds;
            links.Down(handle);
            ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_DISCONNECTED));
            if (row != nullptr) charge.RecordFinishedConnection(false, row);
        };
        if (c.upInTheLoss) {
            inTheLoss = [&] {
                charge.RecordFinishedConnection(false, &first);
                charge.StampEndTime();
                now += 1;
                links.Up(102, "ppp102");
            };
            connection(101, 60, nullptr);
        } else if (c.outsideBefore) {
            connection(101, 60, &first);
            if (c.stampedAgain) charge.StampEndTime();
        } else {
            charge.StampEndTime();
            first.end = OleFromTime(now.load());  // the end's clock, not the machine's
            now += 60;
        }
        if (!c.upInTheLoss) now += 1;
        connection(102, 2, &second);
        charge.StopMonitor();

        ASSERT_TRUE(second.end.IsValid());
        EXPECT_NEAR((second.end.value - first.end.value) * kSecondsPerDay, c.gap, 0.01);
        EXPECT_GT(second.start.value, first.end.value);
    }
}

}  // namespace
}  // namespace vr31k
