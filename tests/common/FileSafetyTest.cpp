// Files of the data folder are never reached through a link or taken for what they are
// not: reads and mode changes refuse a link or a non-file at the name, and a write
// replaces a link without touching its target.
#include "common/AtomicFileWriter.h"
#include "common/FileOps.h"
#include "common/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::ReadFile;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

struct Planted {
    const char* what;
    std::function<void(const std::string& name, const std::string& target)> plant;
    ReadResult read;
};

const Planted kPlanted[] = {
    {"link to a file", [](auto& name, auto& target) { symlink(target.c_str(), name.c_str()); }, ReadResult::NotRegular},
    {"dangling link", [](auto& name, auto&) { symlink("/nonexistent/x", name.c_str()); }, ReadResult::NotRegular},
    {"pipe", [](auto& name, auto&) { mkfifo(name.c_str(), 0666); }, ReadResult::NotRegular},
    {"folder", [](auto& name, auto&) { mkdir(name.c_str(), 0777); }, ReadResult::NotRegular},
};

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(FileSafety, NothingPlantedAtANameIsReadOrChanged) {
    for (const Planted& row : kPlanted) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string target = dir.File("secret");
        WriteFile(target, "root only\n");
        chmod(target.c_str(), 0600);
        const std::string name = dir.File("VR31KUTL.ini");
        row.plant(name, target);

        std::string text = "left over";
        EXPECT_EQ(ReadRegularFile(name, 1 << 20, text), row.read);
        EXPECT_EQ(text, "");
        EXPECT_FALSE(SetFileMode(name, 0666));
        EXPECT_FALSE(UnsafeFileProblem(name).empty());
        EXPECT_EQ(ModeOf(target), 0600u);
        EXPECT_EQ(ReadFile(target), "root only\n");
    }
}

TEST(FileSafety, AWriteReplacesALinkAndLeavesItsTargetAlone) {
    TempDir dir;
    const std::string target = dir.File("secret");
    WriteFile(target, "root only\n");
    chmod(target.c_str(), 0600);
    const std::string name = dir.File("VR31KUTL.pbk");
    symlink(target.c_str(), name.c_str());
    ASSERT_EQ(WriteFileAtomically(name, "[entry]\n", 0660), 0);
    EXPECT_FALSE(StatFile(name).link);
    EXPECT_EQ(ReadFile(name), "[entry]\n");
    EXPECT_EQ(ReadFile(target), "root only\n");
    EXPECT_EQ(ModeOf(target), 0600u);
}

TEST(FileSafety, AFolderRelativeWriteNeverOverwritesWhenToldAndClearsAKilledWritersTemporary) {
    TempDir dir;
    const int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    WriteFile(dir.File("taken.rec"), "first\n");
    EXPECT_EQ(WriteFileAt(folder, "taken.rec", "second\n", 0600, Overwrite::Never, "rec"), EEXIST);
    EXPECT_EQ(ReadFile(dir.File("taken.rec")), "first\n");
    AtomicFileWriter killed(folder, "other.rec", 0600, Overwrite::Never, "rec");
    ASSERT_TRUE(killed.Open() && killed.Write("half"));
    killed.AbandonForTest();
    EXPECT_EQ(WriteFileAt(folder, "taken.rec", "third\n", 0600, Overwrite::Replace, "rec"), 0);
    EXPECT_EQ(ReadFile(dir.File("taken.rec")), "third\n");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"taken.rec"}) << "the killed writer's temporary is gone";
    close(folder);
}

TEST(FileSafety, ALargeFileIsToldApartFromAMissingOne) {
    TempDir dir;
    std::string text;
    EXPECT_EQ(ReadRegularFile(dir.File("absent"), 10, text), ReadResult::Missing);
    WriteFile(dir.File("big"), std::string(11, 'x'));
    EXPECT_EQ(ReadRegularFile(dir.File("big"), 10, text), ReadResult::TooLarge);
    EXPECT_EQ(ReadRegularFile(dir.File("big"), 11, text), ReadResult::Ok);
    EXPECT_EQ(text.size(), 11u);
}

}  // namespace
