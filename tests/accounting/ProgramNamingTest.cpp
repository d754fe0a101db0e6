// Which program a cgroup's traffic counts for, by systemd's unit naming.
#include "accounting/ProgramNaming.h"

#include <gtest/gtest.h>

using namespace vr31k;

namespace {

TEST(ProgramNamingTest, EachCgroupCountsForTheNearestUnitNamedAsThePeopleKnowIt) {
    const std::string user = "/user.slice/user-1000.slice/user@1000.service/app.slice/";
    const ProgramNamingFacts facts{
        [](const std::string& id) {
            return id == "firefox-esr.desktop" ? "Firefox ESR" : id == "org.gnome.Maps.desktop" ? "地図" : "";
        },
        [](const std::string& path) {
            return path.ends_with("session-2.scope") ? std::vector<std::string>{"ssh", "bash", "ssh"}
                                                     : std::vector<std::string>{};
        },
        "その他"};
    const struct {
        std::string path;
        ProgramKind kind;
        const char* id;
        const char* name;
    } rows[] = {
        {"/system.slice/apt-daily-upgrade.service", ProgramKind::Unit, "apt-daily-upgrade.service", "apt-daily-upgrade.service"},
        {"/system.slice/docker.service/payload/inner", ProgramKind::Unit, "docker.service", "docker.service"},
        {user + "app-gnome-firefox\\x2desr-1234.scope", ProgramKind::App, "firefox-esr.desktop", "Firefox ESR"},
        {user + "app-org.gnome.Maps@8f2c.service", ProgramKind::App, "org.gnome.Maps.desktop", "地図"},
        {user + "app-gnome-unknown-99.scope", ProgramKind::Scope, "app-gnome-unknown-99.scope", "app-gnome-unknown-99.scope"},
        {user + "app-gnome-x\\x2f..-7.scope", ProgramKind::Scope, "app-gnome-x\\x2f..-7.scope", "app-gnome-x\\x2f..-7.scope"},
        {user + "syncthing.service", ProgramKind::Unit, "syncthing.service", "syncthing.service"},
        {"/user.slice/user-1000.slice/session-2.scope", ProgramKind::Scope, "session-2.scope", "bash, ssh"},
        {"/user.slice/user-1000.slice", ProgramKind::Other, "", "その他"},
        {"", ProgramKind::Other, "", "その他"},
    };
    for (const auto& row : rows) {
        const ProgramUsage program = ProgramOfCgroup(row.path, facts);
        EXPECT_EQ(program.kind, row.kind) << row.path;
        EXPECT_EQ(program.id, row.id) << row.path;
        EXPECT_EQ(program.name, row.name) << row.path;
    }
}

}  // namespace
