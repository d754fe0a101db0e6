#include "app/ProgramCounting.h"

#include "accounting/ProgramNaming.h"
#include "accounting/UsageSpool.h"
#include "common/AtomicFileWriter.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "common/UniqueFd.h"
#include "platform/linux/DesktopEntries.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace vr31k {

namespace {

using ProgramKey = std::pair<ProgramKind, std::string>;

// The rows largest first; those past what a record holds are folded into Other.
std::vector<ProgramUsage> Bounded(std::map<ProgramKey, ProgramUsage> rows, const std::string& otherName) {
    ProgramUsage other = rows.contains({ProgramKind::Other, ""}) ? rows[{ProgramKind::Other, ""}]
                                                                 : ProgramUsage{ProgramKind::Other, "", otherName};
    rows.erase({ProgramKind::Other, ""});
    std::vector<ProgramUsage> list;
    for (auto& [key, row] : rows) list.push_back(std::move(row));
    const auto total = [](const ProgramUsage& p) { return p.sent + p.recv + p.blockedSent + p.blockedRecv; };
    std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) { return total(a) > total(b); });
    while (list.size() > kMaxProgramRows - 1) {
        const ProgramUsage& last = list.back();
        other.sent += last.sent, other.recv += last.recv;
        other.blockedSent += last.blockedSent, other.blockedRecv += last.blockedRecv;
        list.pop_back();
    }
    if (total(other) > 0) list.push_back(std::move(other));
    return list;
}

}  // namespace

std::string ProgramCounting::Refresh(const std::vector<CgroupFolder>& folders) {
    std::string problem;
    const auto list = ReadProgramBlockList(m_link.dataFolder, problem);
    std::set<BlockedCgroup> wanted;
    for (const CgroupFolder& folder : folders) {
        m_paths[folder.id] = folder.path;
        const std::string unit = folder.path.substr(folder.path.rfind('/') + 1);
        if (list && folder.level <= kMaxCgroupLevel &&
            (list->Blocks(ProgramKind::Unit, unit) || list->Blocks(ProgramKind::App, DesktopIdOfUnit(unit)))) {
            wanted.insert({m_link.cgroupRoot + folder.path, folder.level});
        }
    }
    std::vector<BlockedCgroup> add, remove;
    std::set_difference(wanted.begin(), wanted.end(), m_blocked.begin(), m_blocked.end(), std::back_inserter(add));
    std::set_difference(m_blocked.begin(), m_blocked.end(), wanted.begin(), wanted.end(), std::back_inserter(remove));
    if (std::string error = ChangeBlockedCgroups(m_link.index, add, remove); !error.empty()) {
        return "programs kept off the link: " + error;
    }
    m_blocked = std::move(wanted);
    return list ? std::string() : "the list of programs kept off the link is not used: " + problem;
}

std::vector<std::string> ProgramCounting::ProcessNames(const std::string& unitPath) {
    std::set<std::string>& seen = m_processNames[unitPath];
    for (std::string& name : CgroupProcessNames(m_link.cgroupRoot, unitPath)) seen.insert(std::move(name));
    return {seen.begin(), seen.end()};
}

std::string ProgramCounting::Save(bool final, int64_t now) {
    std::string problem;
    const auto counts = ReadProgramTable(m_link.index, problem);
    if (!counts) return problem;
    const ProgramNamingFacts facts{
        [this](const std::string& id) { return DesktopEntryName(id, m_link.applicationFolders); },
        [this](const std::string& unitPath) { return ProcessNames(unitPath); },
        std::string(LoadString(ids::IDS_PROGRAM_OTHER))};
    std::map<ProgramKey, ProgramUsage> rows;
    std::map<uint64_t, ProgramUsage> named;  // per cgroup, named once per save
    const auto add = [&](const std::vector<CgroupBytes>& list, int64_t ProgramUsage::*field) {
        for (const CgroupBytes& c : list) {
            auto it = named.find(c.cgroup);
            if (it == named.end()) {
                const auto path = m_paths.find(c.cgroup);
                // A cgroup never seen (made and gone between two looks) is Other.
                it = named.emplace(c.cgroup, path == m_paths.end() ? ProgramUsage{ProgramKind::Other, "", facts.otherName}
                                                                   : ProgramOfCgroup(path->second, facts)).first;
            }
            ProgramUsage& row = rows.try_emplace({it->second.kind, it->second.id}, it->second).first->second;
            row.*field += c.bytes;
        }
    };
    add(counts->sent, &ProgramUsage::sent);
    add(counts->recv, &ProgramUsage::recv);
    add(counts->blockedSent, &ProgramUsage::blockedSent);
    add(counts->blockedRecv, &ProgramUsage::blockedRecv);
    ProgramUsage& other = rows.try_emplace({ProgramKind::Other, ""}, ProgramUsage{ProgramKind::Other, "", facts.otherName})
                              .first->second;
    other.sent += counts->otherSent;
    other.recv += counts->otherRecv;

    const ProgramUsageRecord record{m_link.interfaceName, m_link.tty, m_link.boot, m_link.index, m_link.start, now, final,
                                    Bounded(std::move(rows), facts.otherName)};
    const mode_t mode = SharedFileMode(m_link.dataFolder);
    UniqueFd spool{OpenSpoolFolder(m_link.dataFolder, true, (mode & S_IRWXG) != 0 ? 02770 : 0700)};
    const int error = spool.fd < 0 ? errno : WriteProgramUsageRecord(spool.fd, record, mode);
    if (error != 0) return "the per-program record could not be written: " + std::string(std::strerror(error));
    return {};
}

}  // namespace vr31k
