#pragma once
// The real vr31k-utility as a child process: offscreen, with its own lock and data
// folders, its info log lines on, stdout and stderr together.
#include "support/TempDir.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace vr31k::test {

class UtilityProcess {
public:
    // `env` adds to (or overrides) the test's own environment.
    explicit UtilityProcess(const QProcessEnvironment& env = {});
    ~UtilityProcess();
    UtilityProcess(const UtilityProcess&) = delete;
    UtilityProcess& operator=(const UtilityProcess&) = delete;

    void Start(const QStringList& arguments = {});
    // Waits until the program has printed `line`.
    bool WaitSaid(const char* line, int timeoutMs = 20000);
    // Waits until the program answers a status request on its instance socket.
    bool AnswersStatus(int timeoutMs = 10000);
    // Sends a signal (0: none) and waits for the end; true when it ended normally with status 0.
    bool EndsCleanlyOn(int signalNumber);
    // Everything printed so far.
    const QByteArray& Output();
    const TempDir& Folder() const { return m_dir; }

private:
    TempDir m_dir;
    QProcess m_process;
    QByteArray m_output;
};

}  // namespace vr31k::test
