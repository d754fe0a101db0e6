// pppd, its files and rights, the kernel's PPP, the hook that sets the machine up for a
// link and the one that counts other links.
#include "doctor/DoctorChecks.h"

#include "common/FileSystem.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <unistd.h>

namespace vr31k::doctor {

using namespace ids;

namespace {

std::string Setup() { return std::string(LoadString(IDS_DOCTOR_FIX_SETUP)); }

bool Executable(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

void CheckPppd(Context& c) {
    if (Executable(c.in.roots.pppd)) {
        c.Add("pppd", CheckStatus::Ok, FormatString(IDS_DOCTOR_PPPD_OK, {c.in.roots.pppd}));
    } else {
        c.Add("pppd", CheckStatus::Failed, FormatString(IDS_DOCTOR_PPPD_MISSING, {}), "sudo apt-get install ppp");
    }
}

void CheckPeerFile(Context& c) {
    const std::string path = c.in.roots.etcPpp + "/peers/vr31k-utility";
    std::string text;
    const ReadResult read = ReadRegularFile(path, 1 << 16, text);
    if (read == ReadResult::Missing) {
        c.Add("pppd-peer", CheckStatus::Failed, FormatString(IDS_DOCTOR_PEER_MISSING, {path}), Setup());
    } else if (read != ReadResult::Ok) {
        c.Add("pppd-peer", CheckStatus::Failed, FormatString(IDS_DOCTOR_PEER_UNREADABLE, {path, FileErrorText(errno)}),
              Setup());
    } else if (text != c.in.peerFileText) {
        c.Add("pppd-peer", CheckStatus::Warning, FormatString(IDS_DOCTOR_PEER_OLD, {path}), Setup());
    } else {
        c.Add("pppd-peer", CheckStatus::Ok, FormatString(IDS_DOCTOR_PEER_OK, {path}));
    }
}

void CheckDip(Context& c) {
    if (c.in.user.uid == 0) {
        c.Add("dip", CheckStatus::Ok, FormatString(IDS_DOCTOR_DIP_ROOT, {}));
        return;
    }
    const Membership membership = MembershipOf(c.in.user, "dip");
    if (membership == Membership::InSession) {
        c.Add("dip", CheckStatus::Ok, FormatString(IDS_DOCTOR_DIP_OK, {}));
    } else {
        c.Add("dip", CheckStatus::Failed,
              FormatString(
                  membership == Membership::AfterLogin ? IDS_DOCTOR_DIP_JOINED_LATER : IDS_DOCTOR_DIP_NOT_MEMBER, {}),
              JoinGroupFix(c.in.user, "dip", membership));
    }
}

void CheckKernelPpp(Context& c) {
    struct stat st {};
    const std::string path = c.in.roots.dev + "/ppp";
    if (stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) {
        c.Add("kernel-ppp", CheckStatus::Ok, FormatString(IDS_DOCTOR_KERNEL_PPP_OK, {path}));
    } else {
        c.Add("kernel-ppp", CheckStatus::Failed, FormatString(IDS_DOCTOR_KERNEL_PPP_MISSING, {path}),
              "sudo modprobe ppp_generic");
    }
}

// The first of `programs` that may be run; empty when none.
std::string FirstExecutable(const std::vector<std::string>& programs) {
    for (const std::string& program : programs) {
        if (Executable(program)) return program;
    }
    return {};
}

void CheckUpHook(Context& c) {
    const std::string hook = c.in.roots.etcPpp + "/ip-up.d/vr31k-utility";
    if (!Executable(hook)) {
        c.Add("ip-up-hook", CheckStatus::Warning, FormatString(IDS_DOCTOR_IPUP_HOOK_MISSING, {hook}), Setup());
    } else if (const std::string program = FirstExecutable(c.in.roots.linkHooks); program.empty()) {
        c.Add("ip-up-hook", CheckStatus::Warning, FormatString(IDS_DOCTOR_IPUP_HOOK_NO_PROGRAM, {hook}), Setup());
    } else {
        c.Add("ip-up-hook", CheckStatus::Ok, FormatString(IDS_DOCTOR_IPUP_HOOK_OK, {hook, program}));
    }
}

void CheckHook(Context& c) {
    const std::string hook = c.in.roots.etcPpp + "/ip-down.d/vr31k-utility";
    if (!Executable(hook)) {
        c.Add("ip-down-hook", CheckStatus::Warning, FormatString(IDS_DOCTOR_HOOK_MISSING, {hook}), Setup());
        return;
    }
    if (const std::string recorder = FirstExecutable(c.in.roots.recorders); !recorder.empty()) {
        c.Add("ip-down-hook", CheckStatus::Ok, FormatString(IDS_DOCTOR_HOOK_OK, {hook, recorder}));
    } else {
        c.Add("ip-down-hook", CheckStatus::Warning, FormatString(IDS_DOCTOR_HOOK_NO_RECORDER, {hook}), Setup());
    }
}

}  // namespace

void CheckPpp(Context& c) {
    CheckPppd(c);
    CheckPeerFile(c);
    CheckDip(c);
    CheckKernelPpp(c);
    CheckUpHook(c);
    CheckHook(c);
}

}  // namespace vr31k::doctor
