#include "doctor/DoctorChecks.h"

#include "common/StringIds.h"
#include "common/StringTable.h"
#include "common/TerminalText.h"
#include "platform/linux/ProcessTable.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string_view>

namespace vr31k {

namespace doctor {

void Context::Add(std::string id, CheckStatus status, std::string message, std::string fix) {
    results.push_back({std::move(id), status, std::move(message), std::move(fix)});
}

Membership MembershipOf(const DoctorUser& user, const std::string& group) {
    const auto has = [&](const std::vector<std::string>& groups) {
        return std::find(groups.begin(), groups.end(), group) != groups.end();
    };
    if (has(user.sessionGroups)) return Membership::InSession;
    return has(user.databaseGroups) ? Membership::AfterLogin : Membership::Outside;
}

std::string JoinGroupFix(const DoctorUser& user, const std::string& group, Membership membership) {
    if (membership == Membership::AfterLogin) return FormatString(ids::IDS_DOCTOR_FIX_LOGIN_AGAIN, {group});
    return FormatString(ids::IDS_DOCTOR_FIX_JOIN_GROUP, {user.name, group});
}

std::string GroupNameOf(gid_t gid) {
    char buffer[65536];
    struct group gr {};
    struct group* found = nullptr;
    if (getgrgid_r(gid, &gr, buffer, sizeof buffer, &found) == 0 && found != nullptr) return gr.gr_name;
    return std::to_string(gid);
}

std::string OwnerText(const struct stat& st) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return UserNameOf(st.st_uid) + ":" + GroupNameOf(st.st_gid) + " " + mode;
}

bool MayUse(const DoctorUser& user, const struct stat& st, unsigned bits) {
    if (user.uid == 0) return true;
    const unsigned mode = st.st_mode & 0777;
    if (st.st_uid == user.uid) return ((mode >> 6) & bits) == bits;
    if (MembershipOf(user, GroupNameOf(st.st_gid)) == Membership::InSession) return ((mode >> 3) & bits) == bits;
    return (mode & bits) == bits;
}

}  // namespace doctor

const char* CheckStatusName(CheckStatus status) {
    switch (status) {
        case CheckStatus::Ok: return "ok";
        case CheckStatus::Warning: return "warning";
        case CheckStatus::Failed: return "failed";
        case CheckStatus::Unknown: break;
    }
    return "unknown";
}

std::vector<CheckResult> RunDoctor(const DoctorInput& input) {
    doctor::Context context{input, {}, {}, std::nullopt, false};
    for (auto check : {doctor::CheckCard, doctor::CheckHolders, doctor::CheckSim, doctor::CheckPpp,
                       doctor::CheckFolders, doctor::CheckSession, doctor::CheckLink}) {
        check(context);
    }
    return std::move(context.results);
}

namespace {

struct CheckNameId {
    std::string_view id;
    int textId;
};
constexpr CheckNameId kCheckNames[] = {
    {"card", ids::IDS_CHECK_NAME_CARD},
    {"tty", ids::IDS_CHECK_NAME_TTY},
    {"tty-access", ids::IDS_CHECK_NAME_TTY_ACCESS},
    {"tty-holders", ids::IDS_CHECK_NAME_TTY_HOLDERS},
    {"tty-lock", ids::IDS_CHECK_NAME_TTY_LOCK},
    {"modemmanager", ids::IDS_CHECK_NAME_MODEMMANAGER},
    {"sim", ids::IDS_CHECK_NAME_SIM},
    {"pppd", ids::IDS_CHECK_NAME_PPPD},
    {"pppd-peer", ids::IDS_CHECK_NAME_PPPD_PEER},
    {"dip", ids::IDS_CHECK_NAME_DIP},
    {"kernel-ppp", ids::IDS_CHECK_NAME_KERNEL_PPP},
    {"ip-up-hook", ids::IDS_CHECK_NAME_IP_UP_HOOK},
    {"ip-down-hook", ids::IDS_CHECK_NAME_IP_DOWN_HOOK},
    {"data-folder", ids::IDS_CHECK_NAME_DATA_FOLDER},
    {"history", ids::IDS_DOCTOR_WHAT_HISTORY},
    {"settings", ids::IDS_DOCTOR_WHAT_SETTINGS},
    {"disk-space", ids::IDS_CHECK_NAME_DISK_SPACE},
    {"kept-off", ids::IDS_CHECK_NAME_KEPT_OFF},
    {"runtime-folder", ids::IDS_CHECK_NAME_RUNTIME_FOLDER},
    {"logind", ids::IDS_CHECK_NAME_LOGIND},
    {"session-bus", ids::IDS_CHECK_NAME_SESSION_BUS},
    {"tray", ids::IDS_CHECK_NAME_TRAY},
    {"default-route", ids::IDS_CHECK_NAME_DEFAULT_ROUTE},
    {"link-dns", ids::IDS_CHECK_NAME_LINK_DNS},
    {"metered", ids::IDS_CHECK_NAME_METERED},
    {"connection-test", ids::IDS_CHECK_NAME_CONNECTION_TEST},
};

// The columns a terminal gives a check's name or a result's word: they are ASCII and
// Japanese, whose characters take two.
size_t Columns(std::string_view text) {
    size_t columns = 0;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        columns += byte < 0x80 ? 1 : (byte & 0xC0) == 0xC0 ? 2 : 0;
    }
    return columns;
}

std::string Padded(std::string_view text, size_t columns) {
    return std::string(text) + std::string(columns > Columns(text) ? columns - Columns(text) : 0, ' ');
}

}  // namespace

std::string CheckName(std::string_view id) {
    for (const CheckNameId& name : kCheckNames) {
        if (name.id == id) return std::string(LoadString(name.textId));
    }
    return std::string(id);
}

std::string CheckStatusText(CheckStatus status) {
    return std::string(LoadString(ids::IDS_DIAGNOSIS_OK + static_cast<int>(status)));
}

// Sentences carry paths, names and texts read from the system: a terminal shows them,
// never obeys them.
std::string DoctorText(const std::vector<CheckResult>& results) {
    size_t statusWidth = 0, nameWidth = 0;
    for (const CheckResult& r : results) {
        statusWidth = std::max(statusWidth, Columns(CheckStatusText(r.status)) + 2);
        nameWidth = std::max(nameWidth, Columns(CheckName(r.id)) + 2);
    }
    std::ostringstream out;
    for (const CheckResult& r : results) {
        out << Padded(CheckStatusText(r.status), statusWidth) << Padded(CheckName(r.id), nameWidth)
            << TerminalText(r.message) << '\n';
        if (r.fix.empty()) continue;
        out << std::string(statusWidth + nameWidth, ' ') << LoadString(ids::IDS_DIAGNOSIS_COL_FIX) << ": "
            << TerminalText(r.fix) << '\n';
    }
    return out.str();
}

namespace {

// The doctor's checks of one port: whether it is there and may be opened, who holds it,
// and ModemManager.
std::vector<CheckResult> PortChecks(const std::string& port) {
    DoctorInput input;
    input.user = CurrentDoctorUser();
    input.self = getpid();
    input.port = port;
    doctor::Context context{input, {}, {}, std::nullopt, false};
    doctor::CheckCard(context);
    doctor::CheckHolders(context);
    return context.results;
}

std::string FirstFailed(const std::vector<CheckResult>& results, std::initializer_list<std::string_view> ids) {
    for (const CheckResult& r : results) {
        const bool wanted = ids.size() == 0 || std::find(ids.begin(), ids.end(), r.id) != ids.end();
        if (wanted && r.status == CheckStatus::Failed) return r.message;
    }
    return {};
}

}  // namespace

std::string PortHoldersSentence(const std::string& port) {
    return FirstFailed(PortChecks(port), {"tty-holders", "tty-lock"});
}

std::string PortTroubleSentence(const std::string& port) {
    const std::vector<CheckResult> results = PortChecks(port);
    if (std::string failed = FirstFailed(results, {}); !failed.empty()) return failed;
    // The port opened, yet ModemManager may talk to the card too: then it does not answer us.
    for (const CheckResult& r : results) {
        if (r.id == "modemmanager" && r.status == CheckStatus::Warning) return r.message;
    }
    return {};
}

}  // namespace vr31k
