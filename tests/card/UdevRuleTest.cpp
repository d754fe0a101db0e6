// The shipped udev rule: every line is well-formed udev syntax, and every id of the
// card and the chipset gets the ModemManager opt-out and the dialout group.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace {

TEST(UdevRule, SyntaxAndIds) {
    const std::string text = vr31k::test::ReadFile(VR31K_UDEV_RULE);
    ASSERT_FALSE(text.empty());
    const std::regex pair(R"re(^(ACTION|SUBSYSTEMS?|ATTRS?\{\w+\}|ENV\{\w+\}|GROUP|MODE|GOTO|LABEL)(==|!=|=|\+=|:=)"([^"]*)"$)re");
    std::set<std::string> gotos, labels, ignored, dialout;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::string vendor, product;
        bool ignore = false, group = false;
        size_t pos = 0;
        while (pos <= line.size()) {
            size_t end = line.find(", ", pos);
            if (end == std::string::npos) end = line.size();
            const std::string item = line.substr(pos, end - pos);
            std::smatch m;
            ASSERT_TRUE(std::regex_match(item, m, pair)) << "bad item '" << item << "' in: " << line;
            const std::string key = m[1], op = m[2], value = m[3];
            if (key == "GOTO") gotos.insert(value);
            if (key == "LABEL") labels.insert(value);
            if ((key == "ATTR{idVendor}" || key == "ATTRS{idVendor}") && op == "==") vendor = value;
            if ((key == "ATTR{idProduct}" || key == "ATTRS{idProduct}") && op == "==") product = value;
            if (key == "ENV{ID_MM_DEVICE_IGNORE}" && op == "=" && value == "1") ignore = true;
            if (key == "GROUP" && value == "dialout") group = true;
            pos = end + 2;
        }
        if (ignore) ignored.insert(vendor + ":" + product + (line.find("SUBSYSTEM==\"tty\"") == 0 ? "/tty" : ""));
        if (group) dialout.insert(vendor + ":" + product);
    }
    EXPECT_EQ(gotos, labels);
    const std::set<std::string> ids{"1d4c:0a21", "2b7e:4600", "2b7e:4697"};
    for (const auto& id : ids) {
        EXPECT_TRUE(ignored.count(id)) << id;
        EXPECT_TRUE(ignored.count(id + "/tty")) << id;
        EXPECT_TRUE(dialout.count(id)) << id;
    }
}

}  // namespace
