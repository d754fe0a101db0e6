#include "MockLogind.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>

namespace vr31k::test {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

MockLogind::MockLogind(bool withLogind) : m_bus(withLogind) {
    if (!m_bus.SkipReason().empty() || !m_bus.Error().empty()) return;
    m_address = QString::fromStdString(m_bus.Address());
    m_driver = Connect().name();
    if (withLogind) m_bus.StartMock({"--template", "logind"}, kLogind.toStdString());
}

MockLogind::~MockLogind() {
    for (const QString& name : m_connections) QDBusConnection::disconnectFromBus(name);
}

QDBusConnection MockLogind::Connect() {
    static int serial = 0;
    const QString name = QStringLiteral("mock-logind-%1").arg(++serial);
    m_connections.push_back(name);
    return QDBusConnection::connectToBus(m_address, name);
}

bool MockLogind::Emit(const QString& name, bool starting) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogind, kPath, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                       QStringLiteral("EmitSignal"));
    call << kManager << name << QStringLiteral("b") << QVariantList{QVariant::fromValue(QDBusVariant(starting))};
    return QDBusConnection(m_driver).call(call).type() == QDBusMessage::ReplyMessage;
}

bool MockLogind::EmitPrepareForSleep(bool starting) { return Emit(QStringLiteral("PrepareForSleep"), starting); }

bool MockLogind::EmitPrepareForShutdown(bool starting) { return Emit(QStringLiteral("PrepareForShutdown"), starting); }

std::vector<Inhibitor> MockLogind::Inhibitors() { return Inhibitors(QDBusConnection(m_driver)); }

std::vector<Inhibitor> MockLogind::Inhibitors(const QDBusConnection& via) {
    const QDBusMessage reply =
        via.call(QDBusMessage::createMethodCall(kLogind, kPath, kManager, QStringLiteral("ListInhibitors")));
    std::vector<Inhibitor> locks;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return locks;
    // a(ssssuu): what, who, why, mode, uid, pid
    const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        Inhibitor lock;
        uint uid = 0;
        uint pid = 0;
        list.beginStructure();
        list >> lock.what >> lock.who >> lock.why >> lock.mode >> uid >> pid;
        list.endStructure();
        locks.push_back(lock);
    }
    list.endArray();
    return locks;
}

}  // namespace vr31k::test
