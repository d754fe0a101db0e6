// The doctor's checks against systems built in a folder (a /proc tree, lock files,
// pppd's files, udev's database, a data folder), with the user's groups and the SIM's
// answers given; a real user who joins the tty's group during a session; and vr31kctl
// doctor against the simulated card.
#include "CardSimulator.h"
#include "doctor/Doctor.h"
#include "card/CardResults.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "support/FakeDoctorSystem.h"
#include "support/CtlCommands.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace vr31k {
namespace {

namespace fs = std::filesystem;
using Status = CheckStatus;
using test::FakeDoctorSystem;

struct Case {
    const char* what;
    std::function<void(FakeDoctorSystem&)> change;
    const char* check;
    Status status;
    const char* message;  // a part of the sentence
    const char* fix;      // a part of the fix ("" none)
};

// A look that finds `value` whatever it is asked about.
template <typename T>
auto Finds(T value) {
    return [=](const auto&...) { return value; };
}

TEST(Doctor, EachCheckNamesTheCauseAndTheFix) {
    // The card's link up as ppp0, and what the looks at it find.
    const auto up = [](std::function<void(DoctorInput&)> set) {
        return [=](FakeDoctorSystem& s) {
            s.in.cardLink = "ppp0";
            set(s.in);
        };
    };
    const auto route = [&](RouteFinding found) { return up([=](DoctorInput& in) { in.route = Finds(found); }); };
    const auto names = [&](NameServerFacts facts, std::optional<DesktopLinkReport> report = {}) {
        return up([=](DoctorInput& in) {
            in.nameServers = Finds(facts);
            in.desktopReport = Finds(report);
        });
    };
    const ResolvedLinkView resolved{{BusReach::Ready, true, ""}, true, {"10.0.0.1"}, {}, true};
    const auto metered = [&](NetworkManagerView nm, std::optional<DesktopLinkReport> report) {
        return up([=](DoctorInput& in) {
            in.networkManager = Finds(nm);
            in.desktopReport = Finds(report);
        });
    };
    const auto nm = [](bool running, NmMetered global) { return NetworkManagerView{{BusReach::Ready, running, ""}, global, false, "", {}}; };
    const auto hookSaid = [](DesktopResult result) {
        return DesktopLinkReport{"ppp0", result, "denied", ResolverManager::Resolvconf, result, "denied"};
    };
    const auto test = [&](NameQueryResult result) {
        return up([=](DoctorInput& in) {
            in.nameServers = Finds(NameServerFacts{{"10.0.0.1"}, ResolverManager::PlainFile, {}, false, {}});
            in.connectionTest = Finds(result);
        });
    };
    const auto groups = [](std::vector<std::string> session, std::vector<std::string> database) {
        return [=](FakeDoctorSystem& s) { s.SetGroups(session, database); };
    };
    const auto modem = [](InhibitPermission permission) {
        return [=](FakeDoctorSystem& s) {
            s.Process(900, "ModemManager", 0);
            s.in.modemManager = [=](const std::string&) { return ModemManagerView{true, "/sys/usb1/1-2", permission, {}}; };
        };
    };
    // The list as its reader (above the doctor) gives it: the programs' ids, or why not.
    const auto keptOff = [](std::optional<std::vector<std::string>> ids, std::string why = {}) {
        return [=](FakeDoctorSystem& s) {
            s.in.keptOff = [=](std::string& problem) {
                problem = why;
                return ids;
            };
        };
    };
    const std::vector<Case> cases = {
        {"healthy tty", {}, "tty-access", Status::Ok, "を開くことができます", ""},
        {"nobody holds it", {}, "tty-holders", Status::Ok, "を開いているほかのプロセスはありません", ""},
        {"no lock", {}, "tty-lock", Status::Ok, "をロックしているダイヤラはありません", ""},
        {"another process holds the tty",
         [](FakeDoctorSystem& s) { s.Process(4321, "minicom", 0, s.port); }, "tty-holders", Status::Failed,
         "を minicom (pid 4321、ユーザ root) が開いています", "kill 4321"},
        {"the line's server is no rival",
         [](FakeDoctorSystem& s) {
             s.Process(4321, "cardsim", 0, s.port);
             fs::create_symlink("/dev/ptmx", s.root.File("proc/4321/fd/4"));
             fs::create_directories(s.root.File("proc/4321/fdinfo"));
             test::WriteFile(s.root.File("proc/4321/fdinfo/4"),
                             "pos:\t0\ntty-index:\t" + s.port.substr(s.port.rfind('/') + 1) + "\n");
         },
         "tty-holders", Status::Ok, "を開いているほかのプロセスはありません", ""},
        {"a live dialler's lock",
         [](FakeDoctorSystem& s) {
             s.Process(3317, "pppd", 0);
             test::WriteFile(s.LockFile(), "      3317\n");
         },
         "tty-lock", Status::Failed, "は pppd (pid 3317、ユーザ root) にロックされています", "kill 3317"},
        {"a lock naming a process that has the tty open",
         [](FakeDoctorSystem& s) {
             s.Process(4321, "term", 0, s.port);
             test::WriteFile(s.LockFile(), "4321\n");
         },
         "tty-lock", Status::Failed, "は term (pid 4321、ユーザ root) にロックされています", "kill 4321"},
        {"a lock naming any other running process",
         [](FakeDoctorSystem& s) {
             s.Process(1, "systemd", 0);
             test::WriteFile(s.LockFile(), "1\n");
         },
         "tty-lock", Status::Failed, "systemd (pid 1、ユーザ root) を名乗っていますが、そのプロセスはダイヤラではなく",
         "sudo rm "},
        {"a lock naming a process whose descriptors are closed to this user",
         [](FakeDoctorSystem& s) {
             s.Process(77, "sshd", 0);
             fs::remove(s.root.File("proc/77/fd"));
             test::WriteFile(s.root.File("proc/77/fd"), "");  // not to be listed, even by root
             test::WriteFile(s.LockFile(), "77\n");
         },
         "tty-lock", Status::Warning, "開いているかどうかはここからは確認できません", "sudo vr31kctl doctor"},
        {"a holder whose name carries terminal controls",
         [](FakeDoctorSystem& s) { s.Process(4321, "x\x1b]0;\a\rkill 1\xe2\x80\xae\xff", 0, s.port); }, "tty-holders",
         Status::Failed, "を x\\x1B]0;\\x07\\x0Dkill 1\\u{202E}\\xFF (pid 4321", "kill 4321"},
        {"a process that ended during the scan",
         [](FakeDoctorSystem& s) { fs::create_directories(s.root.File("proc/4400")); }, "tty-holders", Status::Ok,
         "を開いているほかのプロセスはありません", ""},
        {"a stale lock", [](FakeDoctorSystem& s) { test::WriteFile(s.LockFile(), "      3317\n"); }, "tty-lock",
         Status::Warning, "は終了した pid 3317 が残したもの", "sudo rm "},
        {"a lock that is a link", [](FakeDoctorSystem& s) { fs::create_symlink("/etc/passwd", s.LockFile()); },
         "tty-lock", Status::Warning, "を読み取れません", "sudo rm "},
        {"ModemManager that ignores the card", [](FakeDoctorSystem& s) { s.Process(900, "ModemManager", 0); },
         "modemmanager", Status::Ok, "ModemManager (pid 900) が動作していますが、データ端末は使いません", ""},
        {"ModemManager without the udev flag",
         [](FakeDoctorSystem& s) {
             s.Process(900, "ModemManager", 0);
             test::WriteFile(s.udevFile, "E:ID_VENDOR_ID=1d4c\n");
         },
         "modemmanager", Status::Warning, "に設定されていないため", "install-udev-rules.sh"},
        {"ModemManager holding the card in spite of the flag", modem(InhibitPermission::Unknown), "modemmanager",
         Status::Warning, "モデム (/sys/usb1/1-2) として認識していますが、ユーティリティが", "install-udev-rules.sh"},
        {"ModemManager that polkit keeps from letting go", modem(InhibitPermission::Refused), "modemmanager",
         Status::Failed, "手放すことを拒否します", "install-udev-rules.sh"},
        {"ModemManager that wants a password", modem(InhibitPermission::NeedsPassword), "modemmanager",
         Status::Failed, "パスワードを求めます", "install-udev-rules.sh"},
        {"ModemManager on the bus with other modems",
         [](FakeDoctorSystem& s) {
             s.Process(900, "ModemManager", 0);
             s.in.modemManager = [](const std::string&) { return ModemManagerView{true, "", {}, {}}; };
         },
         "modemmanager", Status::Ok, "データ端末は使いません", ""},
        {"outside the tty's group", groups({"users", "dip"}, {"users", "dip"}), "tty-access", Status::Failed,
         "を開けるグループ", "sudo adduser alice "},
        {"joined the tty's group after logging in", groups({"users", "dip"}, {"users", "dip", "@tty"}), "tty-access",
         Status::Failed, "このセッションが始まった後で参加しています", "(または newgrp "},
        {"in dip", {}, "dip", Status::Ok, "グループ dip に参加しています", ""},
        {"outside dip", groups({"users", "@tty"}, {"users", "@tty"}), "dip", Status::Failed,
         "グループ dip に参加していません", "sudo adduser alice dip"},
        {"joined dip after logging in", groups({"users", "@tty"}, {"users", "@tty", "dip"}), "dip", Status::Failed,
         "グループ dip に、このセッションが始まった後で", "newgrp dip"},
        {"the peer file missing", [](FakeDoctorSystem& s) { fs::remove(s.root.File("ppp/peers/vr31k-utility")); },
         "pppd-peer", Status::Failed, "がありません。pppd はすべてのダイヤルを拒否します", "scripts/setup.sh"},
        {"an older peer file", [](FakeDoctorSystem& s) { test::WriteFile(s.root.File("ppp/peers/vr31k-utility"), "x\n"); },
         "pppd-peer", Status::Warning, "このバージョンのものではありません", "scripts/setup.sh"},
        {"the peer file current", {}, "pppd-peer", Status::Ok, "はこのバージョンのものです", ""},
        {"pppd missing", [](FakeDoctorSystem& s) { fs::remove(s.in.roots.pppd); }, "pppd", Status::Failed,
         "pppd がインストールされていません", "apt-get install ppp"},
        {"no kernel PPP", {}, "kernel-ppp", Status::Failed, "/dev/ppp がありません。カーネルに PPP", "modprobe ppp_generic"},
        {"the hook and its recorder", {}, "ip-down-hook", Status::Ok, "と、それが実行する記録プログラム", ""},
        {"the ip-up hook and its program", {}, "ip-up-hook", Status::Ok, "と、それが実行するフックプログラム", ""},
        {"the ip-up hook without its program", [](FakeDoctorSystem& s) { fs::remove(s.root.File("hook")); },
         "ip-up-hook", Status::Warning, "フックプログラムがありません", "scripts/setup.sh"},
        {"no link up", [](FakeDoctorSystem& s) { s.in.route = Finds(RouteFinding{}); }, "default-route",
         Status::Unknown, "接続がないため", ""},
        {"the route through the link", route({LinkRoute::Through, "", false, {}, {}}), "default-route", Status::Ok,
         "通信は ppp0 を通っています", ""},
        {"a default route of a lower metric", route({LinkRoute::Elsewhere, "eth0", true, 700, 100}), "default-route",
         Status::Warning, "その既定の経路 (メトリック 100) が、ppp0 の既定の経路 (メトリック 700)", "ipv4.route-metric"},
        {"the link without a default route", route({LinkRoute::Elsewhere, "eth0", true, {}, 100}), "default-route",
         Status::Warning, "ppp0 には既定の経路がありません", "replacedefaultroute"},
        {"a VPN's routes", route({LinkRoute::Elsewhere, "wg0", false, {}, {}}), "default-route", Status::Warning,
         "通信は wg0 を通っています。VPN などが", "VPN を切断"},
        {"no default route at all", route({LinkRoute::None, "", false, {}, {}}), "default-route", Status::Failed, "既定の経路がありません",
         "defaultroute"},
        {"the link's servers first in the file",
         names({{"10.0.0.1"}, ResolverManager::PlainFile, {"10.0.0.1", "192.168.1.1"}, false, {}}), "link-dns", Status::Ok,
         "10.0.0.1 を使っています (/etc/resolv.conf のファイル)", ""},
        {"resolvconf without the link's servers", names({{"10.0.0.1"}, ResolverManager::Resolvconf, {"192.168.1.1"}, false, {}}),
         "link-dns", Status::Warning, "resolvconf は 192.168.1.1 に問い合わせます", "resolvconf -a ppp0.pppd"},
        {"resolvconf that refused them", names({{"10.0.0.1"}, ResolverManager::Resolvconf, {}, false, {}}, hookSaid(DesktopResult::Failed)),
         "link-dns", Status::Warning, "設定されていません。 (接続時のフックの結果: denied)", "resolvconf"},
        {"resolved with the link's servers",
         names({{"10.0.0.1"}, ResolverManager::ResolvedStub, {"10.0.0.1"}, true, resolved}), "link-dns", Status::Ok,
         "(systemd-resolved)", ""},
        {"resolved without them",
         names({{"10.0.0.1", "10.0.0.2"}, ResolverManager::ResolvedStub, {}, true, ResolvedLinkView{{BusReach::Ready, true, ""}, true, {}, {}, false}}),
         "link-dns", Status::Warning, "systemd-resolved にはネームサーバが設定されていません", "resolvectl dns ppp0 10.0.0.1 10.0.0.2"},
        {"no servers from the peer", names({{}, ResolverManager::PlainFile, {"192.168.1.1"}, false, {}}), "link-dns",
         Status::Warning, "受け取っていません", "usepeerdns"},
        {"a local cache first", names({{"10.0.0.1"}, ResolverManager::NetworkManager, {"127.0.0.1"}, false, {}}), "link-dns",
         Status::Unknown, "ここからは確認できません (NetworkManager)", ""},
        {"no NetworkManager", metered(nm(false, NmMetered::Unknown), {}), "metered", Status::Ok, "動作していません", ""},
        {"metered for the desktop", metered(nm(true, NmMetered::GuessYes), {}), "metered", Status::Ok,
         "従量制として扱っています (Metered: guess-yes)", ""},
        {"refused by polkit", metered(nm(true, NmMetered::No), hookSaid(DesktopResult::Refused)), "metered",
         Status::Warning, "扱っていません (Metered: no)", "拒否しました (denied)。polkit"},
        {"the setting off", metered(nm(true, NmMetered::No), hookSaid(DesktopResult::NotAsked)), "metered",
         Status::Warning, "ダウンロードされることがあります", "set-desktop --metered 1"},
        {"the hook not run", metered(nm(true, NmMetered::No), {}), "metered", Status::Warning, "扱っていません",
         "実行されていません"},
        {"metered, but another connection primary",
         metered(NetworkManagerView{{BusReach::Ready, true, ""}, NmMetered::No, true, "/d/7", NmMetered::Yes}, {}),
         "metered", Status::Warning, "別の接続を主な接続としているため", "「既定の経路」の対処"},
        {"no system bus", metered(NetworkManagerView{}, {}), "metered", Status::Unknown, "システムバスに接続できない", ""},
        {"the connection test answered", test({true, true, 0, "192.0.2.7", 57, 73, ""}), "connection-test", Status::Ok,
         "10.0.0.1 に example.com を問い合わせ、192.0.2.7 と答えがありました (送信 57 バイト、受信 73 バイト)", ""},
        {"the connection test unanswered", test({true, false, -1, "", 57, 0, ""}), "connection-test", Status::Failed,
         "3 秒以内に答えがありませんでした (送信 57 バイト)", "電波"},
        {"the connection test not sent", test({false, false, -1, "", 0, 0, "bind to ppp0: denied"}), "connection-test",
         Status::Failed, "送れませんでした (bind to ppp0: denied)", ""},
        {"the hook without its recorder", [](FakeDoctorSystem& s) { fs::remove(s.root.File("record")); }, "ip-down-hook",
         Status::Warning, "記録プログラムがありません", "scripts/setup.sh"},
        {"a folder open to everyone", [](FakeDoctorSystem& s) { chmod(s.in.dataFolder.c_str(), 0777); }, "data-folder",
         Status::Failed, "ローカルのすべてのユーザに開かれています", "install-datadir.sh"},
        {"the machine folder not closed to its group",
         [](FakeDoctorSystem& s) {
             s.in.machineFolder = true;
             chmod(s.in.dataFolder.c_str(), 02770);
         },
         "data-folder", Status::Warning, "root:dialout 2770 ではありません", "install-datadir.sh"},
        {"the shared folder", {}, "data-folder", Status::Ok, "の所有者とモードは", ""},
        {"a folder closed to its group", [](FakeDoctorSystem& s) { chmod(s.in.dataFolder.c_str(), 0700); }, "data-folder",
         Status::Failed, "あなたはこのフォルダを使用できません", ""},
        {"the machine's folder missing",
         [](FakeDoctorSystem& s) {
             s.in.dataFolder = s.root.File("none");
             s.in.machineFolder = true;
         },
         "data-folder", Status::Failed, "/none がありません", "install-datadir.sh"},
        {"a folder of one's own not made yet", [](FakeDoctorSystem& s) { s.in.dataFolder = s.root.File("none"); },
         "data-folder", Status::Ok, "最初に使うときに作成されます", ""},
        {"a folder named with terminal controls",
         [](FakeDoctorSystem& s) { s.in.dataFolder = s.root.File("\x1b[2J\r"); }, "data-folder", Status::Ok, "最初に使うときに作成されます", ""},
        {"nothing to read in a missing folder", [](FakeDoctorSystem& s) { s.in.dataFolder = s.root.File("none"); },
         "history", Status::Unknown, "まだありません", ""},
        {"the history a link",
         [](FakeDoctorSystem& s) { fs::create_symlink("/etc/passwd", s.in.dataFolder + "/VR31KUTL.mdb"); }, "history",
         Status::Failed, "symbolic link", "install-datadir.sh"},
        {"settings readable", [](FakeDoctorSystem& s) { test::WriteFile(s.in.dataFolder + "/VR31KUTL.ini", "[a]\n"); },
         "settings", Status::Ok, "VR31KUTL.ini を読み取れます", ""},
        {"the SIM wants its PIN", [](FakeDoctorSystem& s) { s.sim = {true, true, SIM_PIN_REQUIRED, 2}; }, "sim",
         Status::Warning, "PIN の入力を待っています (残り 2 回)", "card check --pin"},
        {"the SIM wants its PUK", [](FakeDoctorSystem& s) { s.sim = {true, true, SIM_PUK_REQUIRED, 10}; }, "sim",
         Status::Failed, "PUK の入力を待っています (残り 10 回)", "--puk PUK --new-pin"},
        {"a silent card", [](FakeDoctorSystem& s) { s.sim = {true, false, 0, -1}; }, "sim", Status::Failed,
         "応答しません", "データ端末を抜いて"},
        {"a port locked by someone unseen", [](FakeDoctorSystem& s) { s.sim = {false, false, 0, -1}; }, "sim",
         Status::Unknown, "を開けなかったため", "sudo vr31kctl doctor"},
        {"the SIM not asked again while this program has the port open",
         [](FakeDoctorSystem& s) { s.in.portOpenHere = true; }, "sim", Status::Unknown, "このプログラムが", ""},
        {"the SIM not asked while another holds the port",
         [](FakeDoctorSystem& s) { s.Process(4321, "minicom", 0, s.port); }, "sim", Status::Unknown, "開ける状態ではない", ""},
        {"no runtime folder",
         [](FakeDoctorSystem& s) {
             s.in.runtimeFolder.clear();
             s.in.runtimeProblem = "the home folder is open to others";
         },
         "runtime-folder", Status::Failed, "the home folder is open to others", "XDG_RUNTIME_DIR"},
        {"no system bus", {}, "logind", Status::Warning, "system_bus_socket) がありません", ""},
        {"a tray cannot be seen", [](FakeDoctorSystem& s) { s.in.desktop = true; }, "tray", Status::Unknown,
         "ここからは確認できません", ""},
        {"the window sees a tray", [](FakeDoctorSystem& s) { s.in.desktop = true; s.in.trayHost = true; }, "tray",
         Status::Ok, "トレイがあります", ""},
        {"the window sees none", [](FakeDoctorSystem& s) { s.in.desktop = true; s.in.trayHost = false; }, "tray",
         Status::Warning, "表示されたまま", ""},
        {"programs kept off", keptOff(std::vector<std::string>{"apt-daily.service"}), "kept-off", Status::Ok,
         "止めているプログラム: apt-daily.service", ""},
        {"a list of them that is not one", keptOff(std::nullopt, "line 1 is not a program"), "kept-off", Status::Warning, "読めません",
         "programs allow --all"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDoctorSystem system;
        if (c.change) c.change(system);
        const CheckResult r = system.Run(c.check);
        EXPECT_STREQ(CheckStatusName(r.status), CheckStatusName(c.status)) << r.message;
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        if (*c.fix == '\0') EXPECT_EQ(r.fix, "");
        else EXPECT_NE(r.fix.find(c.fix), std::string::npos) << r.fix;
        // Every check has a name people read, in the plain report too.
        EXPECT_NE(CheckName(r.id), r.id);
        EXPECT_NE(DoctorText({r}).find(CheckName(r.id)), std::string::npos);
        // The plain report shows what it read, whatever that holds, and obeys none of it.
        for (const unsigned char ch : DoctorText({r})) {
            EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch != 0x7f)) << r.message;
        }
    }
}

// The card simulator's pty held open and locked by another program: vr31kctl doctor
// and the failed card check name it, and the doctor leaves the SIM unasked; free again,
// the doctor reads the SIM's state and sends no code.
TEST(DoctorCli, NamesTheProcessHoldingTheCardAndNeverSendsACode) {
    sim::CardSimulator card;
    std::string error;
    ASSERT_TRUE(card.Start(error)) << error;
    card.SetSimState(sim::SimState::PinRequired);
    test::TempDir data;
    const auto ctl = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"--json", "--port", card.PortPath()});
        // The card check's second open comes after a tenth of its pause.
        return test::RunProgram(nullptr, test::CtlArgv(data.Path(), words), {"VR31K_WAIT_PERCENT=10"}).out;
    };
    const auto doctor = [&] { return ctl({"doctor"}); };

    // The holder locks the port as a dialler does, so the card check cannot open it either.
    const pid_t holder = test::StartPortHolder(card.PortPath());
    ASSERT_GT(holder, 0);
    const std::string held = doctor();
    const std::string heldBy = card.PortPath() + " を sleep (pid " + std::to_string(holder);
    EXPECT_NE(held.find("\"check\": \"tty-holders\", \"status\": \"failed\", \"message\": \"" + heldBy),
              std::string::npos)
        << held;
    EXPECT_NE(held.find("\"check\": \"sim\", \"status\": \"unknown\""), std::string::npos) << held;
    const std::string check = ctl({"card", "check"});
    EXPECT_NE(check.find("\"held_by\": \"" + heldBy), std::string::npos) << check;
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);

    const std::string free = doctor();
    EXPECT_NE(free.find("\"check\": \"sim\", \"status\": \"warning\", \"message\": \"SIM が PIN の入力を待っています (残り 3 回)。\""),
              std::string::npos)
        << free;
    for (const std::string& line : card.Commands()) EXPECT_EQ(line.find("CPIN="), std::string::npos) << line;
    EXPECT_EQ(card.PinAttempts(), sim::CardSimulator::kMaxPinAttempts);
}

// A real user outside the tty's group is told to join it; once added to the group
// database, a process of the session that began before is told to log in again.
TEST(DoctorUser, AGroupJoinedAfterTheSessionBeganMeansLogInAgain) {
    VR31K_THROWAWAY_USER(user);
    const struct group* dialout = getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    FakeDoctorSystem system;
    ASSERT_EQ(chown(system.port.c_str(), 0, dialout->gr_gid), 0);
    const auto accessFix = [&] {
        for (const CheckResult& r : RunDoctor(SystemDoctorInput(system.in.dataFolder, system.port, false))) {
            if (r.id == "tty-access") return r.fix;
        }
        return std::string();
    };
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t sessionBefore = test::StartInChild(user.get(), [&] {
        char byte = 0;
        if (read(go[0], &byte, 1) != 1) return 2;
        return accessFix() == FormatString(ids::IDS_DOCTOR_FIX_LOGIN_AGAIN, {"dialout"}) ? 0 : 1;
    });
    close(go[0]);
    EXPECT_EQ(test::RunInChild(user.get(), [&] {
                  return accessFix() == FormatString(ids::IDS_DOCTOR_FIX_JOIN_GROUP, {user->Name(), "dialout"}) ? 0 : 1;
              }),
              0);
    EXPECT_EQ(test::RunProgram(nullptr, {"/usr/sbin/usermod", "-aG", "dialout", user->Name()}).status, 0);
    EXPECT_EQ(write(go[1], "x", 1), 1);
    close(go[1]);
    EXPECT_EQ(test::WaitChild(sessionBefore, std::chrono::seconds(30)), std::optional<int>(0));
}

}  // namespace
}  // namespace vr31k
