#include "platform/PortTrust.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {

bool OwnedByRootOr(const struct stat& st, uid_t user) { return st.st_uid == 0 || st.st_uid == user; }

std::deque<std::string> Components(const std::string& path) {
    std::deque<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty() && part != ".") parts.push_back(part);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

PortTrust CheckPortName(const std::string& name, uid_t user) {
    PortTrust trust;
    if (name.empty() || name.front() != '/') {
        trust.reason = "it is not an absolute path";
        return trust;
    }
    // Resolved link by link, so that every link and folder on the way is checked, not
    // only the end.
    std::deque<std::string> rest = Components(name);
    std::string current = "/";
    int links = 0;
    while (!rest.empty()) {
        const std::string part = rest.front();
        rest.pop_front();
        if (part == "..") {
            current = Parent(current);
            continue;
        }
        const std::string next = (current == "/" ? "" : current) + "/" + part;
        struct stat st {};
        if (lstat(next.c_str(), &st) != 0) {
            trust.reason = next + ": " + std::strerror(errno);
            return trust;
        }
        if (S_ISLNK(st.st_mode)) {
            if (!OwnedByRootOr(st, user)) {
                trust.reason = "it passes through " + next + ", a link of another user";
                return trust;
            }
            char target[PATH_MAX];
            const ssize_t n = readlink(next.c_str(), target, sizeof target - 1);
            if (n <= 0 || ++links > 40) {
                trust.reason = "the link " + next + " cannot be followed";
                return trust;
            }
            std::deque<std::string> more = Components(std::string(target, static_cast<size_t>(n)));
            rest.insert(rest.begin(), more.begin(), more.end());
            if (target[0] == '/') current = "/";
            continue;
        }
        if (!rest.empty()) {
            // A folder on the way that someone else may change could swap the device.
            const bool othersMayChange =
                !OwnedByRootOr(st, user) || ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0);
            if (S_ISDIR(st.st_mode) && othersMayChange) {
                trust.reason = "it passes through " + next + ", a folder another user may change";
                return trust;
            }
        }
        current = next;
    }
    struct stat st {};
    if (stat(current.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        trust.reason = current + " is not a character device";
        return trust;
    }
    if (!OwnedByRootOr(st, user)) {
        trust.reason = current + " belongs to another user";
        return trust;
    }
    trust.device = current;
    return trust;
}

}  // namespace vr31k
