#pragma once
// One systemd-logind inhibitor lock. logind hands a lock out as a file descriptor and
// drops it when the last copy is closed: holding it means keeping the descriptor,
// releasing it means closing it. Inhibit is called asynchronously, so the window never
// waits on the system bus.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QDBusPendingCallWatcher;

namespace vr31k {

class LogindInhibitor : public QObject {
    Q_OBJECT
public:
    // `what` is logind's colon-separated list ("sleep", "sleep:shutdown"), `mode`
    // "block" or "delay".
    LogindInhibitor(const QDBusConnection& bus, QString what, QString mode, QObject* parent = nullptr);
    ~LogindInhibitor() override;
    LogindInhibitor(const LogindInhibitor&) = delete;
    LogindInhibitor& operator=(const LogindInhibitor&) = delete;

    // Asks for the lock with this reason; nothing happens when it is already held or
    // asked for with the same reason. A lock held with another reason stays until the
    // new one is granted, so the machine is never left unguarded in between.
    void Take(const QString& why);
    // Closes the lock. A request still on its way is forgotten: its lock is closed as
    // soon as it arrives.
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

private:
    void OnReply(QDBusPendingCallWatcher* watcher, std::uint64_t request);
    void Close();

    QDBusConnection m_bus;
    QString m_what;
    QString m_mode;
    std::optional<QString> m_wanted;  // reason of the lock held or asked for
    QString m_heldWhy;
    int m_fd = -1;
    std::uint64_t m_request = 0;  // number of the newest request; older replies are stale
    bool m_failureTold = false;
};

}  // namespace vr31k
