// The phonebook file through the service: round trip, order, limits, and saved
// credentials kept out of plain view.
#include "platform/DialupService.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace vr31k {
namespace {

class PhonebookTest : public ::testing::Test {
protected:
    EntryProperties Modem(const std::string& number) {
        EntryProperties p;
        p.options = 0x05A00318;
        p.deviceType = "modem";
        p.deviceName = "KORVANE VR31K Modem";
        p.phoneNumber = number;
        p.netProtocols = 4;
        p.framingProtocol = 1;
        return p;
    }
    test::TempDir dir;
    std::string pbk = dir.File("VR31KUTL.pbk");
    std::unique_ptr<IDialupService> service = CreateLinuxDialupService({});
};

TEST_F(PhonebookTest, RoundTripKeepsPropertiesOrderAndOtherKeys) {
    std::vector<std::string> names;
    EXPECT_EQ(service->EnumEntries(pbk, names), 0) << "no file lists no entries";
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(service->ValidateEntryName(pbk, "apn.example"), dialerr::kCannotOpenPhonebook);

    for (const char* name : {"zeta.apn", "alpha.apn", "mid-1.apn"}) {
        ASSERT_EQ(service->SetEntryProperties(pbk, name, Modem("*99***1#")), 0);
    }
    ASSERT_EQ(service->WriteEntryKey(pbk, "alpha.apn", "ms_server", "0"), 0);
    EntryProperties multi = Modem("*99***2#");
    multi.subEntries = {{"modem", "Other Modem", "123"}, {"modem", "KORVANE VR31K Modem two", "*99***2#"}};
    ASSERT_EQ(service->SetEntryProperties(pbk, "alpha.apn", multi), 0);

    ASSERT_EQ(service->EnumEntries(pbk, names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"zeta.apn", "alpha.apn", "mid-1.apn"}));

    EntryProperties back;
    ASSERT_EQ(service->GetEntryProperties(pbk, "ALPHA.APN", back), 0) << "names match without regard to case";
    EXPECT_EQ(back.options, 0x05A00318u);
    EXPECT_EQ(back.deviceName, "KORVANE VR31K Modem");
    EXPECT_EQ(back.phoneNumber, "*99***2#");
    ASSERT_EQ(back.subEntries.size(), 2u);
    EXPECT_EQ(back.subEntries[1].deviceName, "KORVANE VR31K Modem two");
    EXPECT_NE(back.guid, (std::array<uint8_t, 16>{}));

    // A rewrite keeps the identifier and the keys the service does not own.
    const auto guid = back.guid;
    multi.subEntries.clear();
    ASSERT_EQ(service->SetEntryProperties(pbk, "alpha.apn", multi), 0);
    ASSERT_EQ(service->GetEntryProperties(pbk, "alpha.apn", back), 0);
    EXPECT_EQ(back.guid, guid);
    EXPECT_TRUE(back.subEntries.empty());
    EXPECT_NE(test::ReadFile(pbk).find("ms_server=0"), std::string::npos);

    EXPECT_EQ(service->ValidateEntryName(pbk, "Zeta.APN"), dialerr::kAlreadyExists);
    EXPECT_EQ(service->ValidateEntryName(pbk, "new.apn"), 0);
}

TEST_F(PhonebookTest, RenameAndDelete) {
    ASSERT_EQ(service->SetEntryProperties(pbk, "a.apn", Modem("*99***1#")), 0);
    ASSERT_EQ(service->SetEntryProperties(pbk, "b.apn", Modem("*99***2#")), 0);
    EXPECT_EQ(service->RenameEntry(pbk, "a.apn", "b.apn"), dialerr::kAlreadyExists);
    EXPECT_EQ(service->RenameEntry(pbk, "x.apn", "y.apn"), dialerr::kEntryNotFound);
    EXPECT_EQ(service->RenameEntry(pbk, "a.apn", "bad]name"), dialerr::kInvalidName);
    ASSERT_EQ(service->RenameEntry(pbk, "a.apn", "c.apn"), 0);
    EntryProperties p;
    ASSERT_EQ(service->GetEntryProperties(pbk, "c.apn", p), 0);
    EXPECT_EQ(p.phoneNumber, "*99***1#");
    EXPECT_EQ(service->DeleteEntry(pbk, "b.apn"), 0);
    EXPECT_EQ(service->DeleteEntry(pbk, "b.apn"), dialerr::kEntryNotFound);
    std::vector<std::string> names;
    service->EnumEntries(pbk, names);
    EXPECT_EQ(names, std::vector<std::string>{"c.apn"});
}

TEST_F(PhonebookTest, SavedCredentialsAreNotPlainText) {
    ASSERT_EQ(service->SetEntryProperties(pbk, "a.apn", Modem("*99***1#")), 0);
    const DialParams saved{"a.apn", "", "user-visible?", "s3cret\"pass\nword"};
    ASSERT_EQ(service->SetEntryDialParams(pbk, saved, false), 0);
    const std::string file = test::ReadFile(pbk);
    EXPECT_EQ(file.find("user-visible"), std::string::npos);
    EXPECT_EQ(file.find("s3cret"), std::string::npos);
    DialParams back;
    ASSERT_EQ(service->GetEntryDialParams(pbk, "a.apn", back), 0);
    EXPECT_EQ(back.userName, saved.userName);
    EXPECT_EQ(back.password, saved.password);

    ASSERT_EQ(service->SetEntryDialParams(pbk, saved, true), 0);
    ASSERT_EQ(service->GetEntryDialParams(pbk, "a.apn", back), 0);
    EXPECT_EQ(back.userName, saved.userName);
    EXPECT_EQ(back.password, "") << "removePassword drops only the password";
    EXPECT_EQ(service->SetEntryDialParams(pbk, {"missing", "", "u", "p"}, false), dialerr::kEntryNotFound);
}

TEST_F(PhonebookTest, Limits) {
    struct Case {
        std::string name;
        int expected;
    };
    const std::vector<Case> names = {
        {std::string(kMaxEntryNameLength, 'a'), 0},
        {std::string(kMaxEntryNameLength + 1, 'a'), dialerr::kInvalidName},
        {"", dialerr::kInvalidName},
        {"with[bracket", dialerr::kInvalidName},
        {"new\nline", dialerr::kInvalidName},
        {" leading", dialerr::kInvalidName},
        {"日本語.apn", 0},
    };
    for (const Case& c : names) {
        EXPECT_EQ(service->SetEntryProperties(pbk, c.name, Modem("*99#")), c.expected) << c.name;
    }
    EXPECT_EQ(service->SetEntryProperties(pbk, "n.apn", Modem(std::string(kMaxPhoneNumberLength, '9'))), 0);
    EXPECT_EQ(service->SetEntryProperties(pbk, "n.apn", Modem(std::string(kMaxPhoneNumberLength + 1, '9'))),
              dialerr::kInvalidSize);
    EntryProperties badDevice = Modem("*99#");
    badDevice.deviceName = "two\nlines";
    EXPECT_EQ(service->SetEntryProperties(pbk, "n.apn", badDevice), dialerr::kInvalidSize);
    EntryProperties p;
    ASSERT_EQ(service->GetEntryProperties(pbk, "n.apn", p), 0);
    EXPECT_EQ(p.phoneNumber.size(), kMaxPhoneNumberLength) << "a refused write leaves the entry as it was";
}

TEST_F(PhonebookTest, DamagedOrForeignFilesAreReportedNotLost) {
    test::WriteFile(pbk, std::string(2u << 20, 'x'));
    std::vector<std::string> names;
    EXPECT_EQ(service->EnumEntries(pbk, names), dialerr::kCannotLoadPhonebook);
    EXPECT_EQ(service->SetEntryProperties(pbk, "a.apn", Modem("*99#")), dialerr::kCannotLoadPhonebook);
    EXPECT_EQ(std::filesystem::file_size(pbk), 2u << 20) << "an unreadable file is never overwritten";

    test::WriteFile(pbk, "; a comment another tool wrote\n[a.apn]\nDeviceName=X\nCredentials=garbage\nFoo=bar\n");
    DialParams params;
    EXPECT_EQ(service->GetEntryDialParams(pbk, "a.apn", params), 0);
    EXPECT_EQ(params.password, "") << "damaged credentials read as none";
    ASSERT_EQ(service->SetEntryProperties(pbk, "b.apn", Modem("*99#")), 0);
    const std::string text = test::ReadFile(pbk);
    EXPECT_NE(text.find("; a comment another tool wrote"), std::string::npos);
    EXPECT_NE(text.find("Foo=bar"), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename(), "VR31KUTL.pbk") << "no temporary file left behind";
    }
}

TEST_F(PhonebookTest, ConcurrentWritersLoseNothing) {
    // Two programs (here: two services on two threads) adding entries at once.
    auto writer = [&](char tag) {
        auto own = CreateLinuxDialupService({});
        for (int i = 0; i < 15; ++i) {
            own->SetEntryProperties(pbk, std::string(1, tag) + std::to_string(i) + ".apn", Modem("*99#"));
        }
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    std::vector<std::string> names;
    ASSERT_EQ(service->EnumEntries(pbk, names), 0);
    EXPECT_EQ(names.size(), 30u);
}

}  // namespace
}  // namespace vr31k
