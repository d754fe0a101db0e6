#pragma once
// A file descriptor closed when it goes out of scope.
#include <unistd.h>

namespace vr31k {

struct UniqueFd {
    int fd = -1;
    UniqueFd() = default;
    explicit UniqueFd(int descriptor) : fd(descriptor) {}
    ~UniqueFd() {
        if (fd >= 0) close(fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
};

}  // namespace vr31k
