#pragma once
// A throw-away system bus (test::PrivateSystemBus) with python3-dbusmock's logind
// template on it. Tests drive the notices through the mock and read the inhibitor locks
// back from it.
#include "support/PrivateSystemBus.h"

#include <QDBusConnection>
#include <QString>

#include <string>
#include <vector>

namespace vr31k::test {

struct Inhibitor {
    QString what;
    QString who;
    QString why;
    QString mode;
};

class MockLogind {
public:
    // Starts the bus and, with `withLogind`, the mock. Check Error() afterwards.
    explicit MockLogind(bool withLogind = true);
    ~MockLogind();
    MockLogind(const MockLogind&) = delete;
    MockLogind& operator=(const MockLogind&) = delete;

    // Why the test cannot run here (tools missing); empty when all is well.
    const std::string& SkipReason() const { return m_bus.SkipReason(); }
    // What went wrong starting the bus or the mock; empty when all is well.
    const std::string& Error() const { return m_bus.Error(); }

    QString Address() const { return m_address; }
    void Freeze() const { m_bus.Freeze(); }  // the bus hangs
    // A fresh connection of this process to the bus (closed with this object).
    QDBusConnection Connect();

    // Emits a logind manager signal from the mock, as logind would.
    bool EmitPrepareForSleep(bool starting);
    bool EmitPrepareForShutdown(bool starting);
    // The locks logind holds right now, asked through `via` (default: a connection of
    // the mock's own). Asking through the connection under test orders the answer after
    // every call that connection made before.
    std::vector<Inhibitor> Inhibitors();
    std::vector<Inhibitor> Inhibitors(const QDBusConnection& via);

private:
    bool Emit(const QString& name, bool starting);

    PrivateSystemBus m_bus;
    QString m_address;
    QString m_driver;  // connection name the mock is driven through
    std::vector<QString> m_connections;
};

}  // namespace vr31k::test
