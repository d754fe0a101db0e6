// pppd, its files and rights, the kernel's PPP, and the hook that counts other links.
#include "app/doctor/DoctorChecks.h"

#include "common/FileSystem.h"

#include <unistd.h>

namespace vr31k::doctor {

namespace {

constexpr const char* kSetup = "scripts/setup.sh (or reinstall the vr31k-utility package)";

bool Executable(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

void CheckPppd(Context& c) {
    if (Executable(c.in.roots.pppd)) c.Add("pppd", CheckStatus::Ok, "pppd is installed (" + c.in.roots.pppd + ")");
    else c.Add("pppd", CheckStatus::Failed, "pppd is not installed", "sudo apt-get install ppp");
}

void CheckPeerFile(Context& c) {
    const std::string path = c.in.roots.etcPpp + "/peers/vr31k-utility";
    std::string text;
    const ReadResult read = ReadRegularFile(path, 1 << 16, text);
    if (read == ReadResult::Missing) {
        c.Add("pppd-peer", CheckStatus::Failed, path + " is missing; pppd will refuse every dial", kSetup);
    } else if (read != ReadResult::Ok) {
        c.Add("pppd-peer", CheckStatus::Failed, path + " cannot be read: " + FileErrorText(errno), kSetup);
    } else if (text != c.in.peerFileText) {
        c.Add("pppd-peer", CheckStatus::Warning, path + " is not this version's; dials may fail or miss options",
              kSetup);
    } else {
        c.Add("pppd-peer", CheckStatus::Ok, path + " is this version's");
    }
}

void CheckDip(Context& c) {
    if (c.in.user.uid == 0) {
        c.Add("dip", CheckStatus::Ok, "root may run pppd");
        return;
    }
    const Membership membership = MembershipOf(c.in.user, "dip");
    if (membership == Membership::InSession) {
        c.Add("dip", CheckStatus::Ok, "you are in the group dip, which may run pppd");
    } else {
        c.Add("dip", CheckStatus::Failed,
              membership == Membership::AfterLogin ? "you joined the group dip after this session began"
                                                   : "you are not in the group dip; only its members may run pppd",
              JoinGroupFix(c.in.user, "dip", membership));
    }
}

void CheckKernelPpp(Context& c) {
    struct stat st {};
    const std::string path = c.in.roots.dev + "/ppp";
    if (stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) {
        c.Add("kernel-ppp", CheckStatus::Ok, "the kernel's PPP device " + path + " is there");
    } else {
        c.Add("kernel-ppp", CheckStatus::Failed, path + " is missing: the kernel has no PPP",
              "sudo modprobe ppp_generic");
    }
}

void CheckHook(Context& c) {
    const std::string hook = c.in.roots.etcPpp + "/ip-down.d/vr31k-utility";
    if (!Executable(hook)) {
        c.Add("ip-down-hook", CheckStatus::Warning,
              hook + " is missing: links over the card that no utility watches are not counted", kSetup);
        return;
    }
    for (const std::string& recorder : c.in.roots.recorders) {
        if (Executable(recorder)) {
            c.Add("ip-down-hook", CheckStatus::Ok, hook + " and its recorder " + recorder + " are in place");
            return;
        }
    }
    c.Add("ip-down-hook", CheckStatus::Warning,
          hook + " is there but no recorder it runs is: links no utility watches are not counted", kSetup);
}

}  // namespace

void CheckPpp(Context& c) {
    CheckPppd(c);
    CheckPeerFile(c);
    CheckDip(c);
    CheckKernelPpp(c);
    CheckHook(c);
}

}  // namespace vr31k::doctor
