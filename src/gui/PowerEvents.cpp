#include "gui/PowerEvents.h"

#include "gui/Logind.h"
#include "gui/LogindInhibitor.h"

#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSessionManager>

#include <cstdio>
#include <system_error>

// Quiet unless asked for (QT_LOGGING_RULES="vr31k.*.info=true").
Q_LOGGING_CATEGORY(lcPower, "vr31k.power", QtWarningMsg)

namespace vr31k {

namespace {

const QString kDelayWhy = QStringLiteral("データ端末の通信ポートを閉じ、接続を記録するため");

}  // namespace

// Qt D-Bus connects in a thread of its own while the caller waits without a bound, and
// every later connection of the process (the session bus, which the tray icon and
// accessibility use) queues behind it: Qt must never be the first to try a bus that does
// not answer. So a worker thread makes a bounded connection of its own first
// (TrySystemBus), and only once the bus has answered does this thread have Qt connect,
// to the same address, on a connection of this object's own. The worker shares nothing
// with this object: it takes the address by value and posts its answer to this object's
// thread; the destructor waits for it (at most the bound). A bus that answers the trial
// and stops answering before Qt's connection, moments later, is not guarded against.
PowerEvents::PowerEvents(QObject* parent) : QObject(parent), m_bus(QString()) {
    WatchSessionManager();
    const auto trial = [this, address = SystemBusAddress()] {
        const BusReach reach = TrySystemBus(address, kSystemBusAnswerTime);
        QMetaObject::invokeMethod(
            this, [this, reach, address] { OnSystemBusTried(reach, QString::fromStdString(address)); },
            Qt::QueuedConnection);
    };
    try {
        m_trial = std::thread(trial);
    } catch (const std::system_error&) {
        OnSystemBusTried(BusReach::Unreachable, {});
    }
}

PowerEvents::PowerEvents(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {
    WatchSessionManager();
    Attach(bus);
}

PowerEvents::~PowerEvents() {
    if (m_trial.joinable()) m_trial.join();
    if (!m_ownConnection.isEmpty()) QDBusConnection::disconnectFromBus(m_ownConnection);
}

void PowerEvents::OnSystemBusTried(BusReach reach, const QString& address) {
    if (m_trial.joinable()) m_trial.join();  // it has posted this: it is ending
    switch (reach) {
        case BusReach::Ready:
            m_ownConnection = QStringLiteral("vr31k-power-%1").arg(reinterpret_cast<quintptr>(this), 0, 16);
            Attach(QDBusConnection::connectToBus(address, m_ownConnection));
            break;
        case BusReach::Unreachable: ConnectToLogind(); break;  // says there is no bus
        case BusReach::Silent:
            std::fprintf(stderr,
                         "vr31k-utility: the system D-Bus did not answer within 2 s; sleep and shutdown are not "
                         "handled\n");
            break;
    }
}

void PowerEvents::Attach(const QDBusConnection& bus) {
    m_bus = bus;
    m_delay = new LogindInhibitor(bus, QStringLiteral("sleep:shutdown"), QStringLiteral("delay"), this);
    m_block = new LogindInhibitor(bus, QStringLiteral("sleep"), QStringLiteral("block"), this);
    ConnectToLogind();
}

void PowerEvents::ConnectToLogind() {
    if (!m_bus.isConnected()) {
        std::fprintf(stderr, "vr31k-utility: no system D-Bus; sleep and shutdown are not handled\n");
        return;
    }
    // The one call made waiting, bounded like every call on the system bus (Qt's own
    // default is 25 s).
    m_bus.interface()->setTimeout(static_cast<int>(kSystemBusAnswerTime.count()));
    if (!m_bus.interface()->isServiceRegistered(logind::kService)) {
        std::fprintf(stderr, "vr31k-utility: systemd-logind is not running; sleep and shutdown are not handled\n");
        return;
    }
    m_available =
        m_bus.connect(logind::kService, logind::kPath, logind::kManager, QStringLiteral("PrepareForSleep"), this,
                      SLOT(OnPrepareForSleep(bool))) &&
        m_bus.connect(logind::kService, logind::kPath, logind::kManager, QStringLiteral("PrepareForShutdown"), this,
                      SLOT(OnPrepareForShutdown(bool)));
    if (!m_available) {
        std::fprintf(stderr, "vr31k-utility: cannot follow systemd-logind; sleep and shutdown are not handled\n");
        return;
    }
    m_delay->Take(kDelayWhy);
    SetSleepRefusal(m_refusal);
}

// The desktop session's end reaches a Qt program as the session manager's commit
// request. Nothing is refused: the session may always end.
void PowerEvents::WatchSessionManager() {
#ifndef QT_NO_SESSIONMANAGER
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { EndSession(); },
                Qt::DirectConnection);
    }
#endif
}

bool PowerEvents::HoldsSleepDelay() const { return m_delay != nullptr && m_delay->IsHeld(); }

void PowerEvents::SetSleepRefusal(const std::optional<QString>& reason) {
    m_refusal = reason;
    if (!m_available) return;
    if (reason)
        m_block->Take(*reason);
    else
        m_block->Release();
}

// Once per session end: the shutdown, the session manager and the end signal may all
// announce the same one.
void PowerEvents::EndSession() {
    if (m_sessionEnded) return;
    m_sessionEnded = true;
    qCInfo(lcPower, "session ending");
    emit sessionEnding();
}

void PowerEvents::OnPrepareForSleep(bool starting) {
    qCInfo(lcPower, starting ? "about to sleep" : "resumed");
    if (starting) {
        emit aboutToSleep();
        m_delay->Release();
    } else {
        m_delay->Take(kDelayWhy);
        emit resumed();
    }
}

void PowerEvents::OnPrepareForShutdown(bool starting) {
    if (starting) {
        EndSession();
        m_delay->Release();
    } else {
        // The shutdown was called off: guard the next sleep again, and tell the next
        // session end anew.
        m_sessionEnded = false;
        m_delay->Take(kDelayWhy);
    }
}

}  // namespace vr31k
