#include "gui/SignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vr31k {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnWatchedSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent) : QObject(parent) {
    if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::Drain);
    struct sigaction action {};
    action.sa_handler = OnWatchedSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : signalNumbers) {
        struct sigaction previous {};
        if (sigaction(signalNumber, &action, &previous) == 0) m_previous.emplace_back(signalNumber, previous);
    }
}

SignalWatcher::~SignalWatcher() {
    if (m_notifier == nullptr) return;
    for (const auto& [signalNumber, previous] : m_previous) sigaction(signalNumber, &previous, nullptr);
    delete m_notifier;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void SignalWatcher::Drain() {
    char byte;
    while (read(g_pipe[0], &byte, 1) > 0) emit received(static_cast<unsigned char>(byte));
}

}  // namespace vr31k
