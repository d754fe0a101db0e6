// Start-up joins the charge controller: the plan from DUP_CONFIG, the history opened
// (or not, without stopping start-up), the current period, and the history closed at exit.
#include "accounting/EntryCredentialStore.h"
#include "app/CUtilityApp.h"
#include "common/StringIds.h"
#include "support/StartupFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

using StartupAccountingTest = vr31k::test::StartupFixture;

TEST_F(StartupAccountingTest, ChargeControllerGetsThePlanTheHistoryAndThePeriod) {
    mkdir(dataFolder.c_str(), 0777);
    WriteFile(dataFolder + "/VR31KUTL.ini", "[DUP_CONFIG]\nChargeType=0\nPacketCharge2=0.5\nChargeDay=20\n");
    test::ScriptedAppUi ui;
    CUtilityApp app(Env());
    ASSERT_TRUE(app.InitInstance(ui));
    EXPECT_EQ(app.Charge().Plan().chargeDay, 20);
    EXPECT_EQ(app.Charge().Derived().type, 0);
    EXPECT_TRUE(app.Charge().History().IsOpen());
    EXPECT_EQ(access(app.Paths().history.c_str(), F_OK), 0) << "a first start creates the history";
    EXPECT_EQ(app.Charge().Period().period.size(), 23u);
    EXPECT_EQ(app.Charge().PhonebookPath(), app.Paths().phonebook);
    app.ExitInstance();
    EXPECT_FALSE(app.Charge().History().IsOpen());
}

TEST_F(StartupAccountingTest, HistoryThatCannotBeOpenedDoesNotStopStartUp) {
    mkdir(dataFolder.c_str(), 0777);
    mkdir((dataFolder + "/VR31KUTL.mdb").c_str(), 0777);  // not a file at all
    test::ScriptedAppUi ui;
    CUtilityApp app(Env());
    ASSERT_TRUE(app.InitInstance(ui));
    EXPECT_EQ(ui.windowsCreated, 1);
    EXPECT_FALSE(app.Charge().History().IsOpen());
    EXPECT_EQ(app.Charge().Period().periodBytes, 0);
}

TEST_F(StartupAccountingTest, GarbageFilesAreKeptAndStartUpGoesOn) {
    mkdir(dataFolder.c_str(), 0777);
    const std::string garbage(kCredentialFileBytes, 'G');
    WriteFile(dataFolder + "/VR31KUTL.dat", garbage);
    WriteFile(dataFolder + "/VR31KUTL.mdb", std::string(8192, 'H'));
    test::ScriptedAppUi ui;
    CUtilityApp app(Env());
    ASSERT_TRUE(app.InitInstance(ui));
    EXPECT_EQ(app.Charge().SetupLoadResult(), kCredentialInvalid);
    EXPECT_TRUE(app.Charge().Credentials().SlotEmpty(0));
    const std::string keptAside = app.Charge().CredentialsKeptAside();
    EXPECT_NE(keptAside, dataFolder + "/VR31KUTL.dat");
    EXPECT_EQ(vr31k::test::ReadFile(keptAside), garbage) << "kept aside before anything replaces it";
    const std::vector<std::string> told = {dataFolder + "/VR31KUTL.dat", keptAside};
    EXPECT_TRUE(std::any_of(ui.boxes.shown.begin(), ui.boxes.shown.end(), [&](const test::ScriptedUi::Box& box) {
        return box.text == ids::IDS_CREDENTIALS_UNREADABLE_TEXT && box.args == told;
    })) << "the window says where it went";
    EXPECT_TRUE(app.Charge().History().IsOpen()) << "a new history";
    const std::string aside = app.Charge().History().MovedAsidePath();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(vr31k::test::ReadFile(aside), std::string(8192, 'H'));
}

}  // namespace
