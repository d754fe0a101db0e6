// The card, its tty and who holds it, and the SIM.
#include "app/doctor/DoctorChecks.h"

#include "card/CardDetection.h"
#include "card/CardResults.h"
#include "common/DataFolder.h"
#include "common/FileSystem.h"
#include "platform/linux/ProcessTable.h"
#include "platform/linux/TtyFacts.h"

namespace vr31k::doctor {

namespace {

constexpr const char* kNoCard = "without the card's tty this cannot be checked";
constexpr const char* kRuleFix = "sudo packaging/install-udev-rules.sh (or scripts/setup.sh), then put the card in again";

void FindPort(Context& c) {
    if (c.in.port) {
        c.port = *c.in.port;
        c.Add("card", CheckStatus::Ok, "the card's port is given as " + c.port + "; the USB lookup is not used");
        return;
    }
    const int found = c.in.tree ? FindCardPort(*c.in.tree, c.port, false, false, c.in.chipset) : CARD_NOT_FOUND;
    if (found == CARD_NOT_FOUND || found == CARD_ERR_OS) {
        c.port.clear();
        c.Add("card", CheckStatus::Failed, "no device with the card's USB ids (1d4c:0a21) is present",
              "plug the card in; lsusb must list 1d4c:0a21");
    } else if (c.port.empty()) {
        c.Add("card", CheckStatus::Failed, "the card is present but the system made no tty for it",
              "take the card out and put it in again; sudo dmesg tells why the tty is missing");
    } else {
        c.Add("card", CheckStatus::Ok, "the card is present; its tty is " + c.port);
    }
}

void CheckTty(Context& c) {
    if (c.port.empty()) {
        c.Add("tty", CheckStatus::Unknown, kNoCard);
        c.Add("tty-access", CheckStatus::Unknown, kNoCard);
        return;
    }
    struct stat st {};
    if (stat(c.port.c_str(), &st) != 0) {
        c.Add("tty", CheckStatus::Failed, c.port + " does not exist", "take the card out and put it in again");
    } else if (!S_ISCHR(st.st_mode)) {
        c.Add("tty", CheckStatus::Failed, c.port + " is not a terminal device");
    } else {
        c.tty = st;
        const std::string group = GroupNameOf(st.st_gid);
        // A port named by the user (a simulator, another tty) is taken as it is.
        if (group == kDataGroup || st.st_uid == c.in.user.uid || c.in.port) {
            c.Add("tty", CheckStatus::Ok, c.port + " belongs to " + OwnerText(st));
        } else {
            c.Add("tty", CheckStatus::Warning,
                  c.port + " belongs to " + OwnerText(st) + ", not to the group " + kDataGroup +
                      " the card's udev rule gives it",
                  "sudo packaging/install-udev-rules.sh (or scripts/setup.sh), then put the card in again");
        }
    }
    if (!c.tty) {
        c.Add("tty-access", CheckStatus::Unknown, kNoCard);
        return;
    }
    if (MayUse(c.in.user, *c.tty, 06)) {
        c.Add("tty-access", CheckStatus::Ok, "you may open " + c.port);
        c.portFree = true;
        return;
    }
    const std::string group = GroupNameOf(c.tty->st_gid);
    const Membership membership = MembershipOf(c.in.user, group);
    c.Add("tty-access", CheckStatus::Failed,
          membership == Membership::AfterLogin
              ? "you joined the group " + group + " that may open " + c.port + " after this session began"
              : "you are not in the group " + group + " that may open " + c.port,
          JoinGroupFix(c.in.user, group, membership));
}

std::string Described(const ProcessEntry& p) {
    return (p.name.empty() ? std::string("a process") : p.name) + " (pid " + std::to_string(p.pid) + ", user " +
           UserNameOf(p.uid) + ")";
}

void CheckHoldersOf(Context& c) {
    const ProcessScan scan = ProcessesHoldingFile(c.in.roots.proc, CanonicalPath(c.port), c.in.self);
    if (!scan.found.empty()) {
        std::string names;
        for (const ProcessEntry& p : scan.found) names += (names.empty() ? "" : ", ") + Described(p);
        c.Add("tty-holders", CheckStatus::Failed, c.port + " is held open by " + names,
              "end it (kill " + std::to_string(scan.found.front().pid) + ") or close the program");
        c.portFree = false;
    } else if (!scan.complete) {
        c.Add("tty-holders", CheckStatus::Ok,
              "none of your processes holds " + c.port + "; other users' cannot be seen without root",
              "sudo vr31kctl doctor shows them all");
    } else {
        c.Add("tty-holders", CheckStatus::Ok, "no other process holds " + c.port);
    }
}

void CheckLock(Context& c) {
    const TtyLock lock = ReadTtyLock(c.in.roots.lockDir, c.port, c.in.roots.proc);
    switch (lock.kind) {
        case TtyLock::Kind::None:
            c.Add("tty-lock", CheckStatus::Ok, "no dialler has locked " + c.port);
            return;
        case TtyLock::Kind::Live: {
            const auto holder = ProcessOf(c.in.roots.proc, lock.pid);
            const std::string who = holder ? Described(*holder) : "pid " + std::to_string(lock.pid);
            c.Add("tty-lock", CheckStatus::Failed, lock.path + " locks " + c.port + " for " + who,
                  "end that dialler (kill " + std::to_string(lock.pid) + ")");
            c.portFree = false;
            return;
        }
        case TtyLock::Kind::Stale:
            c.Add("tty-lock", CheckStatus::Warning,
                  lock.path + " is left from pid " + std::to_string(lock.pid) +
                      ", which has ended; pppd removes such a lock itself",
                  "sudo rm " + lock.path);
            return;
        case TtyLock::Kind::Unreadable:
            c.Add("tty-lock", CheckStatus::Warning, lock.path + " cannot be read; pppd will not dial past it",
                  "sudo rm " + lock.path);
            return;
    }
}

void CheckModemManager(Context& c) {
    const auto running = ProcessesNamed(c.in.roots.proc, "ModemManager");
    if (running.empty()) {
        c.Add("modemmanager", CheckStatus::Ok, "ModemManager is not running");
        return;
    }
    const std::string runs = "ModemManager runs (pid " + std::to_string(running.front().pid) + ")";
    if (!c.tty) {
        c.Add("modemmanager", CheckStatus::Unknown, runs + "; " + kNoCard);
        return;
    }
    // Its modem list has the last word: the card may have come before the udev rule.
    const ModemManagerView bus = c.in.modemManager ? c.in.modemManager(c.port) : ModemManagerView{};
    if (!bus.uid.empty()) {
        std::string held = runs + " and has the card as a modem (" + bus.uid + ")";
        CheckStatus status = CheckStatus::Failed;
        if (bus.permission == InhibitPermission::Refused) {
            held += "; it would refuse to let go of the card while the utility uses the port";
        } else if (bus.permission == InhibitPermission::NeedsPassword) {
            held += "; it wants a password before it lets go of the card, which the utility cannot give";
        } else {
            status = CheckStatus::Warning;
            held += "; the utility asks it to let go of the card while it uses the port";
        }
        c.Add("modemmanager", status, held, kRuleFix);
        return;
    }
    const auto ignore = UdevProperty(c.in.roots.udevData, c.tty->st_rdev, "ID_MM_DEVICE_IGNORE");
    if (ignore && *ignore == "1") {
        c.Add("modemmanager", CheckStatus::Ok, runs + " and leaves the card alone (ID_MM_DEVICE_IGNORE)");
    } else {
        c.Add("modemmanager", CheckStatus::Warning,
              runs + " and may open the card: the udev rule's ID_MM_DEVICE_IGNORE has not reached " + c.port, kRuleFix);
    }
}

}  // namespace

void CheckCard(Context& c) {
    FindPort(c);
    CheckTty(c);
}

void CheckHolders(Context& c) {
    if (c.port.empty()) {
        c.Add("tty-holders", CheckStatus::Unknown, kNoCard);
        c.Add("tty-lock", CheckStatus::Unknown, kNoCard);
    } else {
        CheckHoldersOf(c);
        CheckLock(c);
    }
    CheckModemManager(c);
}

void CheckSim(Context& c) {
    if (c.in.portOpenHere && !c.port.empty()) {
        c.Add("sim", CheckStatus::Unknown,
              "the SIM was not asked again: this program has " + c.port + " open and checked the SIM when it opened it");
        return;
    }
    if (!c.portFree || !c.in.querySim) {
        c.Add("sim", CheckStatus::Unknown,
              c.port.empty() ? kNoCard : "the SIM was not asked: the card's port is not free to open");
        return;
    }
    const SimReport sim = c.in.querySim(c.port);
    const std::string left =
        sim.attemptsLeft >= 0 ? " (" + std::to_string(sim.attemptsLeft) + " attempts left)" : std::string();
    if (!sim.opened) {
        c.Add("sim", CheckStatus::Unknown, "the SIM was not asked: " + c.port + " could not be opened (held or locked)",
              "sudo vr31kctl doctor shows who holds it");
    } else if (!sim.answered) {
        c.Add("sim", CheckStatus::Failed, "the card did not answer on " + c.port,
              "take the card out and put it in again");
    } else if (sim.state == SIM_READY) {
        c.Add("sim", CheckStatus::Ok, "the SIM is ready");
    } else if (sim.state == SIM_PIN_REQUIRED) {
        c.Add("sim", CheckStatus::Warning, "the SIM waits for its PIN" + left, "vr31kctl card check --pin PIN");
    } else if (sim.state == SIM_PUK_REQUIRED || sim.state == CARD_PUK_REQUIRED) {
        c.Add("sim", CheckStatus::Failed, "the SIM is locked and waits for its PUK" + left,
              "vr31kctl card check --puk PUK --new-pin PIN");
    } else if (sim.state == SIM_NOT_INSERTED) {
        c.Add("sim", CheckStatus::Failed, "no SIM is in the card", "put the SIM in");
    } else if (sim.state == SIM_BUSY || sim.state == CARD_SIM_BUSY) {
        c.Add("sim", CheckStatus::Warning, "the SIM is busy", "run vr31kctl doctor again in a moment");
    } else {
        c.Add("sim", CheckStatus::Failed, "the SIM cannot be used (it is damaged or not this carrier's)",
              "ask the carrier for a new SIM");
    }
}

}  // namespace vr31k::doctor
