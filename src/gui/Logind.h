#pragma once
// systemd-logind's manager object on the system bus, and how this program names itself
// in the inhibitor locks it takes (`systemd-inhibit --list` shows it).
#include <QString>

namespace vr31k::logind {

inline const QString kService = QStringLiteral("org.freedesktop.login1");
inline const QString kPath = QStringLiteral("/org/freedesktop/login1");
inline const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
inline const QString kWho = QStringLiteral("VR31K Utility");

}  // namespace vr31k::logind
