#include "platform/linux/ProgramTable.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <sstream>

#include <libmnl/libmnl.h>
#include <libnftnl/expr.h>
#include <libnftnl/set.h>
#include <linux/netfilter.h>
#include <linux/netfilter/nf_tables.h>
#include <nftables/libnftables.h>

namespace vr31k {

namespace {

constexpr const char* kTablePrefix = "vr31k_programs_";

// Runs nft commands in this process (libnftables: no program, no shell); "" or nft's
// error text.
std::string RunNft(const std::string& commands, std::string* output = nullptr) {
    std::unique_ptr<nft_ctx, decltype(&nft_ctx_free)> nft(nft_ctx_new(NFT_CTX_DEFAULT), nft_ctx_free);
    if (!nft || nft_ctx_buffer_output(nft.get()) != 0 || nft_ctx_buffer_error(nft.get()) != 0) {
        return "nftables could not be set up";
    }
    if (nft_run_cmd_from_buffer(nft.get(), commands.c_str()) != 0) {
        std::string error = nft_ctx_get_error_buffer(nft.get());
        return error.empty() ? "nftables refused the commands" : error;
    }
    if (output != nullptr) *output = nft_ctx_get_output_buffer(nft.get());
    return {};
}

// The table's sets: per level, what each program sent ("o") and received ("i"), and the
// cgroups kept off the link with what they tried to send ("bo") and were sent ("bi");
// traffic with no local socket per protocol family ("oo", "oi").
std::string TableText(const std::string& table, const std::string& interfaceName) {
    std::ostringstream t;
    t << "add table inet " << table << "\ndelete table inet " << table << "\ntable inet " << table << " {\n";
    for (const char* set : {"o", "i", "bo", "bi"}) {
        for (int level = 1; level <= kMaxCgroupLevel; ++level) {
            t << "  set " << set << level << " { typeof socket cgroupv2 level " << level
              << "; flags dynamic; counter; }\n";
        }
    }
    t << "  set oo { typeof meta nfproto; flags dynamic; counter; }\n"
      << "  set oi { typeof meta nfproto; flags dynamic; counter; }\n";
    // A packet is dropped when any of its socket's cgroups is kept off, else counted for
    // its socket's deepest cgroup; `return` ends only this table's own chain.
    for (const auto& [chain, sets] : {std::pair{"count_out", "o"}, std::pair{"count_in", "i"}}) {
        t << "  chain " << chain << " {\n";
        for (int level = 1; level <= kMaxCgroupLevel; ++level) {
            // The lookup counts the element's bytes itself.
            t << "    socket cgroupv2 level " << level << " @b" << sets << level << " drop\n";
        }
        for (int level = kMaxCgroupLevel; level >= 1; --level) {
            t << "    update @" << sets << level << " { socket cgroupv2 level " << level << " } return\n";
        }
        t << "    update @o" << sets << " { meta nfproto }\n  }\n";
    }
    // By index (the name resolved now): a later link that reuses the name is not this one.
    t << "  chain output { type filter hook output priority filter; policy accept; meta oif \"" << interfaceName
      << "\" jump count_out; }\n"
      << "  chain input { type filter hook input priority filter; policy accept; meta iif \"" << interfaceName
      << "\" jump count_in; }\n}\n";
    return t.str();
}

// Where nft finds a cgroup by its path, which it takes relative to this folder.
constexpr std::string_view kNftCgroupRoot = "/sys/fs/cgroup/";

using SetPtr = std::unique_ptr<nftnl_set, decltype(&nftnl_set_free)>;

// The elements of one set with their counters, read over netlink (nft would print a path
// for each id, looked up in the file system).
bool ReadSet(mnl_socket* nl, uint32_t& seq, const std::string& table, const std::string& name,
             std::vector<CgroupBytes>& out, std::string& problem) {
    SetPtr set(nftnl_set_alloc(), nftnl_set_free);
    nftnl_set_set_str(set.get(), NFTNL_SET_TABLE, table.c_str());
    nftnl_set_set_str(set.get(), NFTNL_SET_NAME, name.c_str());
    std::vector<char> buffer(MNL_SOCKET_BUFFER_SIZE > 32768 ? MNL_SOCKET_BUFFER_SIZE : 32768);
    nlmsghdr* request = nftnl_nlmsg_build_hdr(buffer.data(), NFT_MSG_GETSETELEM, NFPROTO_INET, NLM_F_DUMP | NLM_F_ACK, ++seq);
    nftnl_set_elems_nlmsg_build_payload(request, set.get());
    if (mnl_socket_sendto(nl, request, request->nlmsg_len) < 0) {
        problem = std::string("netlink: ") + std::strerror(errno);
        return false;
    }
    const auto parse = [](const nlmsghdr* message, void* data) {
        return nftnl_set_elems_nlmsg_parse(message, static_cast<nftnl_set*>(data)) < 0 ? MNL_CB_ERROR : MNL_CB_OK;
    };
    int result = 0;
    do {
        result = static_cast<int>(mnl_socket_recvfrom(nl, buffer.data(), buffer.size()));
        if (result > 0) result = mnl_cb_run(buffer.data(), result, seq, mnl_socket_get_portid(nl), parse, set.get());
    } while (result > 0);
    if (result < 0) {
        problem = "the set " + name + " could not be read: " + std::strerror(errno);
        return false;
    }
    nftnl_set_elem_foreach(set.get(), [](nftnl_set_elem* element, void* data) {
        uint32_t length = 0;
        const void* key = nftnl_set_elem_get(element, NFTNL_SET_ELEM_KEY, &length);
        const auto* counter = static_cast<const nftnl_expr*>(nftnl_set_elem_get(element, NFTNL_SET_ELEM_EXPR, nullptr));
        if (counter == nullptr || std::strcmp(nftnl_expr_get_str(counter, NFTNL_EXPR_NAME), "counter") != 0) return 0;
        CgroupBytes row;
        if (key != nullptr && length == sizeof row.cgroup) std::memcpy(&row.cgroup, key, sizeof row.cgroup);
        row.bytes = static_cast<int64_t>(nftnl_expr_get_u64(counter, NFTNL_EXPR_CTR_BYTES));
        static_cast<std::vector<CgroupBytes>*>(data)->push_back(row);
        return 0;
    }, &out);
    return true;
}

}  // namespace

std::string ProgramTableName(int64_t interfaceIndex) { return kTablePrefix + std::to_string(interfaceIndex); }

std::string SetUpProgramTable(const std::string& interfaceName, int64_t interfaceIndex) {
    return RunNft(TableText(ProgramTableName(interfaceIndex), interfaceName));
}

std::string RemoveProgramTable(int64_t interfaceIndex) {
    const std::string table = ProgramTableName(interfaceIndex);
    return RunNft("add table inet " + table + "\ndelete table inet " + table + "\n");
}

std::string RemoveGoneProgramTables(const std::function<bool(int64_t)>& alive) {
    std::string tables;
    if (std::string error = RunNft("list tables inet", &tables); !error.empty()) return error;
    std::istringstream lines(tables);
    std::string word, commands;
    while (lines >> word) {
        if (word.rfind(kTablePrefix, 0) != 0) continue;
        const std::string index = word.substr(std::strlen(kTablePrefix));
        if (!index.empty() && index.size() < 11 && index.find_first_not_of("0123456789") == std::string::npos &&
            !alive(std::stoll(index))) {
            commands += "delete table inet " + word + "\n";
        }
    }
    return commands.empty() ? std::string() : RunNft(commands);
}

std::string ChangeBlockedCgroups(int64_t interfaceIndex, const std::vector<BlockedCgroup>& add,
                                 const std::vector<BlockedCgroup>& remove) {
    const std::string table = ProgramTableName(interfaceIndex);
    const auto commands = [&](const char* verb, const BlockedCgroup& c, std::string& text) {
        // nft reads the path unescaped between quotes: systemd's own names only.
        if (!c.path.starts_with(kNftCgroupRoot)) return false;
        const std::string_view path = std::string_view(c.path).substr(kNftCgroupRoot.size());
        if (c.level < 1 || c.level > kMaxCgroupLevel ||
            path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789:_.@/\\-") !=
                std::string_view::npos) {
            return false;
        }
        for (const char* set : {" bo", " bi"}) {
            text += std::string(verb) + " element inet " + table + set + std::to_string(c.level) + " { \"" +
                    std::string(path) + "\" }\n";
        }
        return true;
    };
    // A folder nft cannot be told of (a name systemd would not give) is left out, and said;
    // the others are kept off all the same.
    std::string adding, problem;
    for (const BlockedCgroup& c : add) {
        if (!commands("add", c, adding)) problem = "the cgroup " + c.path + " cannot be named to nftables";
    }
    if (std::string error = adding.empty() ? std::string() : RunNft(adding); !error.empty()) return error;
    for (const BlockedCgroup& c : remove) {
        std::string removing;
        if (commands("delete", c, removing)) RunNft(removing);
    }
    return problem;
}

std::optional<ProgramTableCounts> ReadProgramTable(int64_t interfaceIndex, std::string& problem) {
    std::unique_ptr<mnl_socket, decltype(&mnl_socket_close)> nl(mnl_socket_open(NETLINK_NETFILTER), mnl_socket_close);
    if (!nl || mnl_socket_bind(nl.get(), 0, MNL_SOCKET_AUTOPID) < 0) {
        problem = std::string("netlink: ") + std::strerror(errno);
        return std::nullopt;
    }
    const std::string table = ProgramTableName(interfaceIndex);
    uint32_t seq = 0;
    ProgramTableCounts counts;
    std::vector<CgroupBytes> other[2];
    for (int level = 1; level <= kMaxCgroupLevel; ++level) {
        const std::string n = std::to_string(level);
        if (!ReadSet(nl.get(), seq, table, "o" + n, counts.sent, problem) ||
            !ReadSet(nl.get(), seq, table, "i" + n, counts.recv, problem) ||
            !ReadSet(nl.get(), seq, table, "bo" + n, counts.blockedSent, problem) ||
            !ReadSet(nl.get(), seq, table, "bi" + n, counts.blockedRecv, problem)) {
            return std::nullopt;
        }
    }
    if (!ReadSet(nl.get(), seq, table, "oo", other[0], problem) || !ReadSet(nl.get(), seq, table, "oi", other[1], problem)) {
        return std::nullopt;
    }
    for (const CgroupBytes& family : other[0]) counts.otherSent += family.bytes;
    for (const CgroupBytes& family : other[1]) counts.otherRecv += family.bytes;
    return counts;
}

}  // namespace vr31k
