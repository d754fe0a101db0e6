#include "gui/LogindInhibitor.h"
#include "common/TerminalText.h"

#include "gui/Logind.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vr31k {

LogindInhibitor::LogindInhibitor(const QDBusConnection& bus, QString what, QString mode, QObject* parent)
    : QObject(parent), m_bus(bus), m_what(std::move(what)), m_mode(std::move(mode)) {}

LogindInhibitor::~LogindInhibitor() { Close(); }

void LogindInhibitor::Take(const QString& why) {
    if (m_wanted == why) return;
    m_wanted = why;
    const std::uint64_t request = ++m_request;
    QDBusMessage call = QDBusMessage::createMethodCall(logind::kService, logind::kPath, logind::kManager,
                                                       QStringLiteral("Inhibit"));
    call << m_what << logind::kWho << why << m_mode;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, request](QDBusPendingCallWatcher* finished) { OnReply(finished, request); });
}

void LogindInhibitor::Release() {
    m_wanted.reset();
    ++m_request;
    Close();
}

void LogindInhibitor::OnReply(QDBusPendingCallWatcher* watcher, std::uint64_t request) {
    watcher->deleteLater();
    // A stale grant is closed with the reply, when the watcher goes.
    if (request != m_request) return;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    const int granted = reply.isValid() ? reply.value().fileDescriptor() : -1;
    // The reply's copy closes with the watcher; the lock lives in a copy of our own.
    const int own = granted >= 0 ? fcntl(granted, F_DUPFD_CLOEXEC, 0) : -1;
    if (own < 0) {
        if (!m_failureTold) {
            m_failureTold = true;
            std::fprintf(stderr, "vr31k-utility: logind refused the %s lock on %s: %s\n",
                         qPrintable(m_mode), qPrintable(m_what),
                         reply.isError() ? TerminalText(reply.error().message().toStdString(), 200).c_str() : "no descriptor");
        }
        // Whatever is still held keeps guarding, under its old reason.
        m_wanted = IsHeld() ? std::optional<QString>(m_heldWhy) : std::nullopt;
        return;
    }
    Close();
    m_fd = own;
    m_heldWhy = *m_wanted;
}

void LogindInhibitor::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

}  // namespace vr31k
