// The per-program record of a link and the list of programs kept off the card's link:
// what one side writes, the other reads back exactly; anything else is refused.
#include "accounting/ProgramBlockList.h"
#include "accounting/UsageSpool.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace vr31k;

namespace {

const std::string kHead = "vr31k-programs 1\ninterface=ppp0\ntty=/dev/ttyUSB2\nboot=b-1\nifindex=7\nstart=10\n"
                          "updated=20\nfinal=1\n";

TEST(ProgramRecordsTest, NamesOfAnyBytesComeBackExactlyOnOneLineEach) {
    const std::string hostile = "evil\n\x1b[31mred\\x41\t\xff\r" + std::string(4096, 'n');
    ProgramUsageRecord record{"ppp0", "/dev/ttyUSB2", "b-1", 7, 10, 20, true,
                              {{ProgramKind::Scope, "a\nb.scope", hostile, 1, 2, 3, 4},
                               {ProgramKind::App, "firefox.desktop", "ファイアフォックス", 5, 6, 0, 0},
                               {ProgramKind::Other, "", "その他", 7, 8, 0, 0}}};
    const std::string text = FormatProgramUsageRecord(record);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
    std::string problem;
    const auto back = ParseProgramUsageRecord(text, problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(back->programs[0].name, hostile.substr(0, kMaxProgramNameBytes));
    EXPECT_EQ(back->programs[0].id, "a\nb.scope");
    EXPECT_EQ(FormatProgramUsageRecord(*back), text);
    test::TempDir dir;
    const int spool = OpenSpoolFolder(dir.Path(), true, 0700);
    ASSERT_EQ(WriteProgramUsageRecord(spool, record, 0600), 0);
    EXPECT_EQ(FormatProgramUsageRecord(*ReadProgramUsageRecord(spool, ProgramRecordName("b-1", 7), problem)), text);
    close(spool);
}

TEST(ProgramRecordsTest, ARecordNotWellFormedInEveryLineIsRefused) {
    const std::string rows[] = {
        "vr31k-programs 2\n",
        kHead + "program=unit 1 2 0 0 a.service\tA\nprogram=unit 1 2 0 0 a.service\tB\n",  // twice
        kHead + "program=daemon 1 2 0 0 a\tA\n",
        kHead + "program=unit 1 -2 0 0 a.service\tA\n",
        kHead + "program=unit 1 2 0 a.service\tA\n",
        kHead + "program=unit 1 2 0 0 a.service\tline\x1b\n",  // a raw control
        kHead + "program=unit 1 2 0 0 a.service\t\\x41\n",     // escaped needlessly
        kHead + "program=unit 1 2 0 0 a.service\t\\x0A\n",     // not as written
        kHead + "program=unit 1 2 0 0 a.service\t\\x0\n",
        kHead + "program=other 1 2 0 0 x\tA\n",                // an id for what has none
        kHead + "program=unit 1 2 0 0 a.service\t\n",
        kHead + "colour=red\n",
        kHead + "final=1\n",
        kHead.substr(0, kHead.size() - 1),
        std::string(kHead).replace(kHead.find("ifindex=7"), 9, "ifindex=0"),
        std::string(kHead).replace(kHead.find("ppp0"), 4, "ppp 0"),
    };
    for (const std::string& text : rows) {
        std::string problem;
        EXPECT_FALSE(ParseProgramUsageRecord(text, problem)) << text;
        EXPECT_FALSE(problem.empty());
    }
}

TEST(ProgramRecordsTest, TheBlockListIsReadStrictlyAndWrittenWhole) {
    const struct {
        const char* text;
        const char* problem;  // "" read
    } rows[] = {
        {"vr31k-blocked-programs 1\n", ""},
        {"vr31k-blocked-programs 1\nunit=apt-daily-upgrade.service\napp=org.mozilla.firefox.desktop\n", ""},
        {"vr31k-blocked-programs 1\nunit=getty@tty1.service\n", ""},
        {"", "no \"vr31k-blocked-programs 1\""},
        {"vr31k-blocked-programs 1\nunit=a.service\nunit=a.service\n", "line 3: it names a program twice"},
        {"vr31k-blocked-programs 1\nunit=a.scope\n", "line 2: \".service\" ends"},
        {"vr31k-blocked-programs 1\napp=a b.desktop\n", "line 2: the name holds"},
        {"vr31k-blocked-programs 1\napp=../x.desktop\n", "line 2: the name holds"},
        {"vr31k-blocked-programs 1\nscope=a.scope\n", "line 2: only a service"},
        {"vr31k-blocked-programs 1\nunit a.service\n", "line 2: it is not"},
        {"vr31k-blocked-programs 1\nunit=a.service", "line 2: it is cut off"},
    };
    for (const auto& row : rows) {
        std::string problem;
        const auto list = ParseProgramBlockList(row.text, problem);
        EXPECT_EQ(list.has_value(), *row.problem == '\0') << row.text;
        EXPECT_EQ(problem.substr(0, std::string(row.problem).size()), row.problem) << row.text;
        EXPECT_EQ(list ? FormatProgramBlockList(*list) : row.text, row.text);
    }
    test::TempDir dir;
    std::string problem;
    EXPECT_TRUE(ReadProgramBlockList(dir.Path(), problem)->programs.empty());  // none: nothing kept off
    const ProgramBlockList list{{{ProgramKind::App, "firefox.desktop"}}};
    ASSERT_EQ(WriteProgramBlockList(dir.Path(), list), 0);
    EXPECT_EQ(ReadProgramBlockList(dir.Path(), problem)->programs, list.programs);
    unlink(dir.File(kProgramBlockListName).c_str());
    ASSERT_EQ(symlink("/etc/passwd", dir.File(kProgramBlockListName).c_str()), 0);
    EXPECT_FALSE(ReadProgramBlockList(dir.Path(), problem));
}

}  // namespace
