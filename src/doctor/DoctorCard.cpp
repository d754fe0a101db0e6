// The card, its tty and who holds it, and the SIM.
#include "doctor/DoctorChecks.h"

#include "card/CardDetection.h"
#include "card/CardResults.h"
#include "common/DataFolder.h"
#include "common/FileSystem.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "common/TerminalText.h"
#include "platform/linux/ProcessTable.h"
#include "platform/linux/TtyFacts.h"

namespace vr31k::doctor {

using namespace ids;

namespace {

std::string NoCard() { return std::string(LoadString(IDS_DOCTOR_NO_CARD)); }

void FindPort(Context& c) {
    if (c.in.port) {
        c.port = *c.in.port;
        c.Add("card", CheckStatus::Ok, FormatString(IDS_DOCTOR_CARD_GIVEN, {c.port}));
        return;
    }
    const int found = c.in.tree ? FindCardPort(*c.in.tree, c.port, false, false, c.in.chipset) : CARD_NOT_FOUND;
    if (found == CARD_NOT_FOUND || found == CARD_ERR_OS) {
        c.port.clear();
        c.Add("card", CheckStatus::Failed, FormatString(IDS_DOCTOR_CARD_MISSING, {}),
              FormatString(IDS_DOCTOR_FIX_PLUG_IN, {}));
    } else if (c.port.empty()) {
        c.Add("card", CheckStatus::Failed, FormatString(IDS_DOCTOR_CARD_NO_TTY, {}),
              FormatString(IDS_DOCTOR_FIX_REPLUG_DMESG, {}));
    } else {
        c.Add("card", CheckStatus::Ok, FormatString(IDS_DOCTOR_CARD_OK, {c.port}));
    }
}

void CheckTty(Context& c) {
    if (c.port.empty()) {
        c.Add("tty", CheckStatus::Unknown, NoCard());
        c.Add("tty-access", CheckStatus::Unknown, NoCard());
        return;
    }
    struct stat st {};
    if (stat(c.port.c_str(), &st) != 0) {
        c.Add("tty", CheckStatus::Failed, FormatString(IDS_DOCTOR_TTY_MISSING, {c.port}),
              FormatString(IDS_DOCTOR_FIX_REPLUG, {}));
    } else if (!S_ISCHR(st.st_mode)) {
        c.Add("tty", CheckStatus::Failed, FormatString(IDS_DOCTOR_TTY_NOT_DEVICE, {c.port}));
    } else {
        c.tty = st;
        const std::string group = GroupNameOf(st.st_gid);
        // A port named by the user (a simulator, another tty) is taken as it is.
        if (group == kDataGroup || st.st_uid == c.in.user.uid || c.in.port) {
            c.Add("tty", CheckStatus::Ok, FormatString(IDS_DOCTOR_OWNER, {c.port, OwnerText(st)}));
        } else {
            c.Add("tty", CheckStatus::Warning, FormatString(IDS_DOCTOR_TTY_GROUP, {c.port, OwnerText(st), kDataGroup}),
                  FormatString(IDS_DOCTOR_FIX_UDEV, {}));
        }
    }
    if (!c.tty) {
        c.Add("tty-access", CheckStatus::Unknown, NoCard());
        return;
    }
    if (MayUse(c.in.user, *c.tty, 06)) {
        c.Add("tty-access", CheckStatus::Ok, FormatString(IDS_DOCTOR_ACCESS_OK, {c.port}));
        c.portFree = true;
        return;
    }
    const std::string group = GroupNameOf(c.tty->st_gid);
    const Membership membership = MembershipOf(c.in.user, group);
    c.Add("tty-access", CheckStatus::Failed,
          FormatString(membership == Membership::AfterLogin ? IDS_DOCTOR_ACCESS_JOINED_LATER
                                                             : IDS_DOCTOR_ACCESS_NOT_MEMBER,
                       {c.port, group}),
          JoinGroupFix(c.in.user, group, membership));
}

// A process's name is its own choice: escaped, so that a sentence shown in a terminal
// or a label never carries its controls.
std::string Described(const ProcessEntry& p) {
    const std::string name = p.name.empty() ? std::string(LoadString(IDS_DOCTOR_SOME_PROCESS)) : TerminalText(p.name);
    return FormatString(IDS_DOCTOR_PROCESS, {name, std::to_string(p.pid), UserNameOf(p.uid)});
}

void CheckHoldersOf(Context& c) {
    const ProcessScan scan = ProcessesHoldingFile(c.in.roots.proc, CanonicalPath(c.port), c.in.self);
    if (!scan.found.empty()) {
        std::string names;
        for (const ProcessEntry& p : scan.found) names += (names.empty() ? "" : "、") + Described(p);
        c.Add("tty-holders", CheckStatus::Failed, FormatString(IDS_DOCTOR_HELD, {c.port, names}),
              FormatString(IDS_DOCTOR_FIX_END_HOLDER, {std::to_string(scan.found.front().pid)}));
        c.portFree = false;
    } else if (!scan.complete) {
        c.Add("tty-holders", CheckStatus::Ok, FormatString(IDS_DOCTOR_HOLDERS_UNSEEN, {c.port}),
              FormatString(IDS_DOCTOR_FIX_SUDO_DOCTOR, {}));
    } else {
        c.Add("tty-holders", CheckStatus::Ok, FormatString(IDS_DOCTOR_HOLDERS_NONE, {c.port}));
    }
}

void CheckLock(Context& c) {
    const TtyLock lock = ReadTtyLock(c.in.roots.lockDir, c.port, c.in.roots.proc);
    const auto who = [&] {
        const auto holder = ProcessOf(c.in.roots.proc, lock.pid);
        return holder ? Described(*holder) : "pid " + std::to_string(lock.pid);
    };
    switch (lock.kind) {
        case TtyLock::Kind::None:
            c.Add("tty-lock", CheckStatus::Ok, FormatString(IDS_DOCTOR_LOCK_NONE, {c.port}));
            return;
        case TtyLock::Kind::Live: {
            c.Add("tty-lock", CheckStatus::Failed, FormatString(IDS_DOCTOR_LOCK_LIVE, {c.port, who(), lock.path}),
                  FormatString(IDS_DOCTOR_FIX_END_DIALLER, {std::to_string(lock.pid)}));
            c.portFree = false;
            return;
        }
        // Anyone may write the lock folder and name any process: no advice to end it.
        case TtyLock::Kind::Foreign:
            c.Add("tty-lock", CheckStatus::Failed, FormatString(IDS_DOCTOR_LOCK_FOREIGN, {lock.path, who(), c.port}),
                  "sudo rm " + lock.path);
            return;
        case TtyLock::Kind::Unseen:
            c.Add("tty-lock", CheckStatus::Warning, FormatString(IDS_DOCTOR_LOCK_UNSEEN, {lock.path, who(), c.port}),
                  FormatString(IDS_DOCTOR_FIX_SUDO_DOCTOR, {}));
            return;
        case TtyLock::Kind::Stale:
            c.Add("tty-lock", CheckStatus::Warning,
                  FormatString(IDS_DOCTOR_LOCK_STALE, {lock.path, std::to_string(lock.pid)}), "sudo rm " + lock.path);
            return;
        case TtyLock::Kind::Unreadable:
            c.Add("tty-lock", CheckStatus::Warning, FormatString(IDS_DOCTOR_LOCK_UNREADABLE, {lock.path}),
                  "sudo rm " + lock.path);
            return;
    }
}

void CheckModemManager(Context& c) {
    const auto running = ProcessesNamed(c.in.roots.proc, "ModemManager");
    if (running.empty()) {
        c.Add("modemmanager", CheckStatus::Ok, FormatString(IDS_DOCTOR_MM_NOT_RUNNING, {}));
        return;
    }
    const std::string runs = FormatString(IDS_DOCTOR_MM_RUNS, {std::to_string(running.front().pid)});
    if (!c.tty) {
        c.Add("modemmanager", CheckStatus::Unknown, FormatString(IDS_DOCTOR_MM_UNKNOWN, {runs}));
        return;
    }
    // Its modem list has the last word: the card may have come before the udev rule.
    const ModemManagerView bus = c.in.modemManager ? c.in.modemManager(c.port) : ModemManagerView{};
    if (!bus.uid.empty()) {
        int sentence = IDS_DOCTOR_MM_HAS_CARD_ASKS;
        CheckStatus status = CheckStatus::Warning;
        if (bus.permission == InhibitPermission::Refused) {
            sentence = IDS_DOCTOR_MM_HAS_CARD_REFUSES;
            status = CheckStatus::Failed;
        } else if (bus.permission == InhibitPermission::NeedsPassword) {
            sentence = IDS_DOCTOR_MM_HAS_CARD_PASSWORD;
            status = CheckStatus::Failed;
        }
        c.Add("modemmanager", status, FormatString(sentence, {runs, bus.uid}), FormatString(IDS_DOCTOR_FIX_UDEV, {}));
        return;
    }
    const auto ignore = UdevProperty(c.in.roots.udevData, c.tty->st_rdev, "ID_MM_DEVICE_IGNORE");
    if (ignore && *ignore == "1") {
        c.Add("modemmanager", CheckStatus::Ok, FormatString(IDS_DOCTOR_MM_IGNORES, {runs}));
    } else {
        c.Add("modemmanager", CheckStatus::Warning,
              FormatString(IDS_DOCTOR_MM_MAY_OPEN, {runs, c.port}), FormatString(IDS_DOCTOR_FIX_UDEV, {}));
    }
}

}  // namespace

void CheckCard(Context& c) {
    FindPort(c);
    CheckTty(c);
}

void CheckHolders(Context& c) {
    if (c.port.empty()) {
        c.Add("tty-holders", CheckStatus::Unknown, NoCard());
        c.Add("tty-lock", CheckStatus::Unknown, NoCard());
    } else {
        CheckHoldersOf(c);
        CheckLock(c);
    }
    CheckModemManager(c);
}

void CheckSim(Context& c) {
    if (c.in.portOpenHere && !c.port.empty()) {
        c.Add("sim", CheckStatus::Unknown, FormatString(IDS_DOCTOR_SIM_PORT_OPEN_HERE, {c.port}));
        return;
    }
    if (!c.portFree || !c.in.querySim) {
        c.Add("sim", CheckStatus::Unknown, c.port.empty() ? NoCard() : FormatString(IDS_DOCTOR_SIM_PORT_NOT_FREE, {}));
        return;
    }
    const SimReport sim = c.in.querySim(c.port);
    const std::string left = sim.attemptsLeft >= 0
                                 ? FormatString(IDS_DOCTOR_ATTEMPTS_LEFT, {std::to_string(sim.attemptsLeft)})
                                 : std::string();
    if (!sim.opened) {
        c.Add("sim", CheckStatus::Unknown, FormatString(IDS_DOCTOR_SIM_NOT_OPENED, {c.port}),
              FormatString(IDS_DOCTOR_FIX_SUDO_DOCTOR_HOLDER, {}));
    } else if (!sim.answered) {
        c.Add("sim", CheckStatus::Failed, FormatString(IDS_DOCTOR_SIM_NO_ANSWER, {c.port}),
              FormatString(IDS_DOCTOR_FIX_REPLUG, {}));
    } else if (sim.state == SIM_READY) {
        c.Add("sim", CheckStatus::Ok, FormatString(IDS_DOCTOR_SIM_READY, {}));
    } else if (sim.state == SIM_PIN_REQUIRED) {
        c.Add("sim", CheckStatus::Warning, FormatString(IDS_DOCTOR_SIM_PIN, {left}), "vr31kctl card check --pin PIN");
    } else if (sim.state == SIM_PUK_REQUIRED || sim.state == CARD_PUK_REQUIRED) {
        c.Add("sim", CheckStatus::Failed, FormatString(IDS_DOCTOR_SIM_PUK, {left}),
              "vr31kctl card check --puk PUK --new-pin PIN");
    } else if (sim.state == SIM_NOT_INSERTED) {
        c.Add("sim", CheckStatus::Failed, FormatString(IDS_DOCTOR_SIM_NOT_INSERTED, {}),
              FormatString(IDS_DOCTOR_FIX_INSERT_SIM, {}));
    } else if (sim.state == SIM_BUSY || sim.state == CARD_SIM_BUSY) {
        c.Add("sim", CheckStatus::Warning, FormatString(IDS_DOCTOR_SIM_BUSY, {}),
              FormatString(IDS_DOCTOR_FIX_DOCTOR_AGAIN, {}));
    } else {
        c.Add("sim", CheckStatus::Failed, FormatString(IDS_DOCTOR_SIM_UNUSABLE, {}),
              FormatString(IDS_DOCTOR_FIX_NEW_SIM, {}));
    }
}

}  // namespace vr31k::doctor
