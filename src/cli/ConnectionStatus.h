#pragma once
// The connection of a running `vr31kctl connect`, for `status` and `disconnect`: process
// state of its user, kept in the user's runtime folder (never in the shared data folder),
// one pair of files per data folder:
//   vr31kctl-<folder hash>.lock  held (flock) by the connect for its whole life;
//   vr31kctl-<folder hash>.json  its figures, the JSON on the first line, text after.
// A connect that has ended holds no lock, whether its parent has reaped it or not, so
// the lock, not the process id, says whether it is still there.
#include <string>

namespace vr31k::cli {

class ConnectionStatus {
public:
    explicit ConnectionStatus(const std::string& dataFolder);
    ~ConnectionStatus();  // a holder removes its figures
    ConnectionStatus(const ConnectionStatus&) = delete;
    ConnectionStatus& operator=(const ConnectionStatus&) = delete;

    // Why there is no place for the status (no private runtime folder); empty when there is.
    const std::string& Problem() const { return m_problem; }

    // For connect: takes the lock for the life of this object. False with `why` when
    // another connect of this user and folder holds it, or there is no place for it.
    bool Hold(std::string& why);
    bool Write(const std::string& content) const;

    // For status and disconnect: whether a connect holds the lock now.
    bool Running() const;
    // The figures of the running connect: its pid, the JSON line and the text.
    bool Read(long& pid, std::string& json, std::string& text) const;

private:
    std::string m_lockPath;
    std::string m_figuresPath;
    std::string m_problem;
    int m_lockFd = -1;
};

}  // namespace vr31k::cli
