#include "UtilityProcess.h"

#include "WaitFor.h"

#include <QLocalSocket>
#include <unistd.h>

#include <csignal>

namespace vr31k::test {

UtilityProcess::UtilityProcess(const QProcessEnvironment& env) {
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    all.insert("QT_QPA_PLATFORM", "offscreen");
    all.insert("VR31K_LOCK_DIR", QString::fromStdString(m_dir.Path()));
    all.insert("VR31K_DATA_DIR", QString::fromStdString(m_dir.File("data")));
    all.insert("QT_LOGGING_RULES", "vr31k.*.info=true");
    all.insert(env);
    m_process.setProcessEnvironment(all);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

UtilityProcess::~UtilityProcess() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

void UtilityProcess::Start(const QStringList& arguments) { m_process.start(VR31K_UTILITY_BIN, arguments); }

bool UtilityProcess::WaitSaid(const char* line, int timeoutMs) {
    return WaitFor([&] { return Output().contains(line); }, timeoutMs);
}

bool UtilityProcess::AnswersStatus(int timeoutMs) {
    // Beside the locks, in the test's own folder; each try bounded, even on a full backlog.
    const QString socket = QString::fromStdString(m_dir.File("vr31k-utility-" + std::to_string(getuid()) + ".sock"));
    return WaitFor(
        [&] {
            QLocalSocket client;
            client.connectToServer(socket);
            return client.waitForConnected(500) && client.write("status\n") > 0 && client.waitForReadyRead(500);
        },
        timeoutMs);
}

bool UtilityProcess::EndsCleanlyOn(int signalNumber) {
    if (signalNumber != 0) {
        if (m_process.state() == QProcess::NotRunning) return false;
        ::kill(static_cast<pid_t>(m_process.processId()), signalNumber);
    }
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(20000)) return false;
    Output();
    return m_process.error() == QProcess::UnknownError && m_process.exitStatus() == QProcess::NormalExit &&
           m_process.exitCode() == 0;
}

const QByteArray& UtilityProcess::Output() {
    m_output += m_process.readAll();
    return m_output;
}

}  // namespace vr31k::test
