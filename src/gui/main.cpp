#include "gui/PowerEvents.h"
#include "gui/QtAppUi.h"
#include "gui/SignalWatcher.h"
#include "app/CUtilityApp.h"
#include "gui/UtilityWindow.h"
#include "common/WaitShare.h"

#include <QApplication>

#include <csignal>
#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("vr31k-utility"));
    application.setApplicationVersion(QStringLiteral(VR31K_VERSION));
    // SIGTERM (log-out, shutdown, a service manager), SIGHUP (the session or terminal
    // went away) and SIGINT end the session's work first, then the event loop, so the
    // history is closed and the instance lock released as on a normal exit.
    vr31k::SignalWatcher endSignals({SIGTERM, SIGHUP, SIGINT});
    std::unique_ptr<vr31k::PowerEvents> power;
    // A signal may come while start-up still shows a box, before the event loop runs:
    // exit() (unlike quit()) also ends the boxes' loops and keeps later ones from
    // waiting, and the request is kept for the loop that has not begun.
    bool endRequested = false;
    QObject::connect(&endSignals, &vr31k::SignalWatcher::received, &application, [&power, &endRequested] {
        endRequested = true;
        if (power) power->EndSession();
        QCoreApplication::exit(0);
    });

    // Before the services and the card are made: each of their waits is at the share
    // the user asked for.
    if (const std::string problem = vr31k::TakeWaitPercentFromEnvironment(); !problem.empty()) {
        std::cerr << "vr31k-utility: " << problem << '\n';
    }
    vr31k::CUtilityApp app(vr31k::StartupEnvironment::FromProcess(argc, argv));
    vr31k::QtAppUi ui;
    if (!app.InitInstance(ui)) {
        app.ExitInstance();
        return app.ExitStatus();
    }
    // Only the instance that runs on watches the system (a second start ends above).
    power = std::make_unique<vr31k::PowerEvents>();
    ui.MainWindow()->AttachPower(power.get());
    if (endRequested) power->EndSession();
    const int status = endRequested ? 0 : application.exec();
    app.ExitInstance();
    return status;
}
