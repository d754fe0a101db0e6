#include "app/QtAppUi.h"
#include "app/UtilityApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("vr31k-utility"));
    application.setApplicationVersion(QStringLiteral(VR31K_VERSION));

    vr31k::CUtilityApp app(vr31k::StartupEnvironment::FromProcess(argc, argv));
    vr31k::CQtAppUi ui;
    if (!app.InitInstance(ui)) {
        app.ExitInstance();
        return 0;
    }
    const int status = application.exec();
    app.ExitInstance();
    return status;
}
