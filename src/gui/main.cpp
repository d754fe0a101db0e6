#include "gui/QtAppUi.h"
#include "app/CUtilityApp.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

// SIGTERM (the session ending, a service manager) and SIGINT end the event loop, so
// the history is closed and the instance lock released as on a normal exit.
void QuitOnSignals(QApplication& application) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char byte;
        while (read(g_signalPipe[0], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("vr31k-utility"));
    application.setApplicationVersion(QStringLiteral(VR31K_VERSION));
    QuitOnSignals(application);

    vr31k::CUtilityApp app(vr31k::StartupEnvironment::FromProcess(argc, argv));
    vr31k::QtAppUi ui;
    if (!app.InitInstance(ui)) {
        app.ExitInstance();
        return 0;
    }
    const int status = application.exec();
    app.ExitInstance();
    return status;
}
