#pragma once
// Turns process signals into a Qt signal on the event loop, through a self-pipe: the
// handler only writes a byte, the loop does the work. One watcher per process.
#include <QObject>

#include <initializer_list>
#include <signal.h>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace vr31k {

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // False when the pipe could not be made or another watcher exists.
    bool IsWatching() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void Drain();

    QSocketNotifier* m_notifier = nullptr;
    std::vector<std::pair<int, struct sigaction>> m_previous;
};

}  // namespace vr31k
