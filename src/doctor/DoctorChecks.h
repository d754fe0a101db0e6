#pragma once
// The doctor's checks, by area, over one shared context; RunDoctor runs them in order.
#include "doctor/Doctor.h"

#include <sys/stat.h>

namespace vr31k::doctor {

struct Context {
    const DoctorInput& in;
    std::vector<CheckResult> results;
    std::string port;               // the card's tty, empty when none is known
    std::optional<struct stat> tty;  // the tty, when it is a character device
    bool portFree = false;          // nobody else holds it and this user may open it

    void Add(std::string id, CheckStatus status, std::string message, std::string fix = {});
};

void CheckCard(Context& c);      // card, tty, tty-access
void CheckHolders(Context& c);   // tty-holders, tty-lock, modemmanager
void CheckSim(Context& c);       // sim
void CheckPpp(Context& c);       // pppd, pppd-peer, dip, kernel-ppp, ip-up-hook, ip-down-hook
void CheckFolders(Context& c);   // data-folder, history, settings, disk-space, kept-off, runtime-folder
void CheckSession(Context& c);   // logind, session-bus, tray
void CheckLink(Context& c);      // default-route, link-dns, metered, connection-test (asked for)

// The connection test over `link`, as the machine runs it: bounded by a few seconds.
NameQueryResult RunConnectionTest(const std::string& server, const std::string& link);

// Whether the user carries a group now, only after logging in again, or not at all.
enum class Membership { InSession, AfterLogin, Outside };
Membership MembershipOf(const DoctorUser& user, const std::string& group);
// What to do about a missing group, for a fix: join it, or log in again.
std::string JoinGroupFix(const DoctorUser& user, const std::string& group, Membership membership);
std::string GroupNameOf(gid_t gid);
// "root:dialout 2770".
std::string OwnerText(const struct stat& st);
// Whether `user` has the access `bits` (7 rwx, 6 rw) to what `st` describes, by its
// owner, group and mode, as the kernel decides it.
bool MayUse(const DoctorUser& user, const struct stat& st, unsigned bits);

}  // namespace vr31k::doctor
