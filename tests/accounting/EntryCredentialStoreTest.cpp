// The entry credential file: the cipher, the round trip, validation, missing, garbage
// and wrong-sized files, and a save killed half-way.
#include "accounting/EntryCredentialStore.h"
#include "support/ProcessRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::ReadFile;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

std::string Hex(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

std::string Encrypted(std::string plain) {
    CryptCredentialBlock(reinterpret_cast<uint8_t*>(plain.data()), plain.size());
    return plain;
}

void Fill(EntryCredentialStore& store, const std::string& tag) {
    for (size_t slot = 0; slot < kCredentialSlots; slot += 3) {
        store.SetField(slot, CredentialField::EntryName, tag + "apn" + std::to_string(slot) + ".example.jp");
        store.SetField(slot, CredentialField::UserName, tag + "user" + std::to_string(slot));
        store.SetField(slot, CredentialField::Password, tag + "secret" + std::to_string(slot));
    }
}

TEST(EntryCredentialStore, KeyIsTheBaseProvidersFortyBitKey) {
    uint8_t zeros[16] = {};
    CryptCredentialBlock(zeros, sizeof zeros);
    EXPECT_EQ(Hex(zeros, sizeof zeros), "c8e5068166019d22fb3e7f85e5a7499f");
}

TEST(EntryCredentialStore, RoundTripAndLayout) {
    TempDir dir;
    const std::string path = dir.File("VR31KUTL.dat");
    EntryCredentialStore store;
    store.SetPath(path);
    Fill(store, "");
    store.SetField(9, CredentialField::Password, std::string(300, 'p'));  // kept to 256 bytes
    ASSERT_EQ(store.Save(), kCredentialOk);

    const std::string file = ReadFile(path);
    ASSERT_EQ(file.size(), kCredentialFileBytes);
    std::string plain = Encrypted(file);
    EXPECT_EQ(plain.substr(3 * 771, 14), "apn3.example.j");
    EXPECT_EQ(plain.substr(3 * 771 + 257, 5), "user3");
    EXPECT_EQ(plain.substr(3 * 771 + 514, 7), "secret3");
    EXPECT_EQ(plain[9 * 771 + 514 + 256], '\0');

    EntryCredentialStore reader;
    reader.SetPath(path);
    ASSERT_EQ(reader.Load(), kCredentialOk);
    EXPECT_EQ(reader.Table(), store.Table());
    EXPECT_EQ(reader.Field(6, CredentialField::UserName), "user6");
    EXPECT_EQ(reader.Field(9, CredentialField::Password), std::string(256, 'p'));
    EXPECT_TRUE(reader.SlotEmpty(1));
    EXPECT_FALSE(reader.SlotEmpty(0));

    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    struct stat folder {};
    stat(dir.Path().c_str(), &folder);
    EXPECT_EQ(st.st_mode & 0777, folder.st_mode & 0666) << "writable like the folder";

    // All slots cleared: still 7,710 bytes, decrypting to zeros.
    reader.ClearAll();
    ASSERT_EQ(reader.Save(), kCredentialOk);
    EXPECT_EQ(Encrypted(ReadFile(path)), std::string(kCredentialFileBytes, '\0'));
}

// A file that is not a whole table as this program writes it (a field without its
// terminator, random bytes, a table under another pass phrase, any other size, however
// valid its bytes look) is damaged: the load leaves nothing of the table in memory and
// never writes; the next change replaces the file whole.
TEST(EntryCredentialStore, DamagedOtherKeyMissingAndWrongSizedFiles) {
    TempDir dir;
    const std::string path = dir.File("VR31KUTL.dat");
    EntryCredentialStore store;
    EXPECT_EQ(store.Load(), kCredentialNoFile) << "no path";
    EXPECT_EQ(store.Save(), kCredentialNoFile) << "no path";
    store.SetPath(path);
    Fill(store, "mem");
    const auto before = store.Table();
    EXPECT_EQ(store.Load(), kCredentialNoFile) << "missing file";
    EXPECT_EQ(store.Table(), before) << "memory unchanged";

    std::string unterminated(kCredentialFileBytes, '\0');
    unterminated.replace(0, 5, "apn-1");
    unterminated[4 * 771 + 257 + 256] = 'x';  // slot 4's user name fills its last byte
    std::string garbage(kCredentialFileBytes, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919 + 13) % 251);
    std::string otherKey(kCredentialFileBytes, '\0');
    CryptCredentialBlock(reinterpret_cast<uint8_t*>(otherKey.data()), otherKey.size(), "WRONGKEY");
    Fill(store, "");
    const auto full = store.Table();
    const std::string whole = Encrypted(std::string(full.begin(), full.end()));
    for (const std::string& damaged :
         {Encrypted(unterminated), garbage, otherKey, std::string(), whole.substr(0, 771),
          whole.substr(0, kCredentialFileBytes - 1), whole + '\0', whole + std::string(2 << 20, '\0')}) {
        WriteFile(path, damaged);
        Fill(store, "mem");
        EXPECT_EQ(store.Load(), kCredentialInvalid) << damaged.size() << " bytes";
        EXPECT_EQ(store.Table(), EntryCredentialStore::Block{}) << damaged.size() << " bytes";
        EXPECT_EQ(ReadFile(path), damaged) << "a load never writes";
    }
    store.SetField(0, CredentialField::EntryName, "fresh");
    ASSERT_EQ(store.Save(), kCredentialOk);
    ASSERT_EQ(store.Load(), kCredentialOk);
    EXPECT_EQ(store.Field(0, CredentialField::EntryName), "fresh");
    WriteFile(path, whole);
    ASSERT_EQ(store.Load(), kCredentialOk);
    EXPECT_EQ(store.Table(), full);
}

TEST(EntryCredentialStore, KilledSaveLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.File("VR31KUTL.dat");
    EntryCredentialStore store;
    store.SetPath(path);
    Fill(store, "A");
    ASSERT_EQ(store.Save(), kCredentialOk);
    const std::string oldFile = ReadFile(path);
    Fill(store, "B");
    const auto newTable = store.Table();

    for (int round = 0; round < 8; ++round) {
        const pid_t child = test::StartInChild(nullptr, [&] {
            for (;;) store.Save();  // saving over and over until killed
            return 0;
        });
        ASSERT_GE(child, 0);
        usleep(2000 + round * 3000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        const std::string now = ReadFile(path);
        ASSERT_EQ(now.size(), kCredentialFileBytes) << "round " << round;
        EntryCredentialStore reader;
        reader.SetPath(path);
        ASSERT_EQ(reader.Load(), kCredentialOk) << "round " << round;
        EXPECT_TRUE(now == oldFile || reader.Table() == newTable) << "round " << round;
    }
}

}  // namespace
