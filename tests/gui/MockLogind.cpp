#include "MockLogind.h"

#include "WaitFor.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QStandardPaths>

namespace vr31k::test {

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");  // Debian's own, where dbusmock lives
const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

QString BusConfig(const QString& socket) {
    return QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
)")
        .arg(socket);
}

bool HasDbusmock() {
    if (!QFile::exists(kPython)) return false;
    QProcess probe;
    probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
    return probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

MockLogind::MockLogind(bool withLogind) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_skip = "dbus-daemon is not installed (package dbus)";
        return;
    }
    if (withLogind && !HasDbusmock()) {
        m_skip = "python3-dbusmock is not installed for /usr/bin/python3";
        return;
    }
    const QString folder = QString::fromStdString(m_dir.Path());
    const QString config = folder + QStringLiteral("/bus.conf");
    {
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write(BusConfig(folder + "/bus").toUtf8()) < 0) {
            m_error = "cannot write the bus configuration";
            return;
        }
    }
    // It complains that it may not raise its descriptor limit; nothing else to say here.
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(daemon, {"--config-file=" + config, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                            QStringLiteral("--print-address=1")});
    // The address is printed once the bus listens.
    if (!WaitFor([&] { return m_daemon.canReadLine() || m_daemon.state() == QProcess::NotRunning; }, 10000) ||
        !m_daemon.canReadLine()) {
        m_error = "dbus-daemon did not start";
        return;
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    const QDBusConnection bus = Connect();
    m_driver = bus.name();
    if (!withLogind) return;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    m_mock.setProcessEnvironment(env);
    m_mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_mock.start(kPython, {"-m", "dbusmock", "--system", "--template", "logind"});
    if (!WaitFor([&] { return bus.interface()->isServiceRegistered(kLogind).value() ||
                              m_mock.state() == QProcess::NotRunning; }, 20000) ||
        m_mock.state() == QProcess::NotRunning) {
        m_error = "the logind mock did not come up on the bus";
    }
}

MockLogind::~MockLogind() {
    for (const QString& name : m_connections) QDBusConnection::disconnectFromBus(name);
    Stop(m_mock);
    Stop(m_daemon);
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
