// The data folder's watch: a file replaced by rename, as every settings write does,
// gives one notice naming it once the writes have fallen quiet; other files none.
#include "common/AtomicFileWriter.h"
#include "platform/FolderWatch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace vr31k {
namespace {

using namespace std::chrono_literals;

TEST(FolderWatch, ARenameReplaceGivesOneDebouncedNoticeNamingTheFile) {
    test::TempDir dir;
    test::WriteFile(dir.File("VR31KUTL.ini"), "[A]\n");
    std::mutex lock;
    std::condition_variable told;
    std::vector<std::set<std::string>> notices;
    const auto watch = WatchFolder(dir.Path(), {"VR31KUTL.ini", "VR31KUTL.pbk"}, 300ms, [&](const auto& names) {
        const std::lock_guard hold(lock);
        notices.push_back(names);
        told.notify_all();
    });
    ASSERT_NE(watch, nullptr);
    test::WriteFile(dir.File("other.txt"), "not watched");
    ASSERT_EQ(WriteFileAtomically(dir.File("VR31KUTL.ini"), "[A]\nx=1\n", 0600), 0);
    ASSERT_EQ(WriteFileAtomically(dir.File("VR31KUTL.ini"), "[A]\nx=2\n", 0600), 0);
    std::unique_lock hold(lock);
    ASSERT_TRUE(told.wait_for(hold, 2s, [&] { return !notices.empty(); }));
    // A second notice would come one debounce after the first at the latest.
    told.wait_for(hold, 400ms, [&] { return notices.size() > 1; });
    EXPECT_EQ(notices, std::vector<std::set<std::string>>{{"VR31KUTL.ini"}});
}

}  // namespace
}  // namespace vr31k
