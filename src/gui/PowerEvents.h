#pragma once
// Power and session-end notices from systemd-logind, in the window's terms.
//
// logind asks no program whether the machine may sleep, so a refusal is a *block*
// inhibitor held for exactly as long as the refusal holds. To close the card's port
// before the machine sleeps, a *delay* inhibitor is held while running: logind waits
// for it after announcing the sleep. Shutdown, the desktop session's end (the session
// manager's commit request) and the end signals all arrive as one sessionEnding().
//
// Without a system bus, with one that does not answer within 2 s, or without logind the
// utility runs on without power handling; that is said once on stderr.
#include "platform/SystemBus.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>
#include <thread>

namespace vr31k {

class LogindInhibitor;

class PowerEvents : public QObject {
    Q_OBJECT
public:
    // Watches logind on the system bus once the bus has answered a trial connection,
    // which is made off this thread: the constructor never waits on the bus.
    explicit PowerEvents(QObject* parent = nullptr);
    // Watches logind on the given bus, at once.
    explicit PowerEvents(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PowerEvents() override;
    PowerEvents(const PowerEvents&) = delete;
    PowerEvents& operator=(const PowerEvents&) = delete;

    // Whether logind was reached; false means no power notices will come (or, on the
    // system bus, none yet).
    bool IsAvailable() const { return m_available; }
    // Whether logind waits for this program before a sleep or shutdown goes on.
    bool HoldsSleepDelay() const;

    // While a reason is set, sleep is blocked and logind shows the reason to whoever
    // asks for a sleep. Called whenever the refusal conditions change; setting the same
    // reason again costs nothing. Kept until logind is reached.
    void SetSleepRefusal(const std::optional<QString>& reason);

public slots:
    // The session is ending (the end signals come this way): emits sessionEnding() the
    // first time, nothing after.
    void EndSession();

signals:
    // The machine is about to sleep. Runs before logind is let go on, so the slots do
    // their suspend steps synchronously.
    void aboutToSleep();
    // The machine woke up again.
    void resumed();
    // Shutdown, log-off or an end signal; at most once per object.
    void sessionEnding();

private slots:
    void OnPrepareForSleep(bool starting);
    void OnPrepareForShutdown(bool starting);

private:
    void OnSystemBusTried(BusReach reach, const QString& address);
    void Attach(const QDBusConnection& bus);
    void ConnectToLogind();
    void WatchSessionManager();

    QDBusConnection m_bus;
    LogindInhibitor* m_delay = nullptr;  // both made with the bus
    LogindInhibitor* m_block = nullptr;
    std::optional<QString> m_refusal;
    bool m_available = false;
    bool m_sessionEnded = false;
    QString m_ownConnection;  // the name of the connection made here, when there is one
    std::thread m_trial;      // the system bus's trial connection; shares nothing with this object
};

}  // namespace vr31k
