#pragma once
// The main window. It receives the messages sent to the running instance from outside
// (a second start's restore request) and comes to the front for them.
#include "platform/InstanceChannel.h"

#include <QDialog>

class QSocketNotifier;
class QLabel;
class QComboBox;
class QPushButton;

namespace vr31k {

class CUtilityApp;

class CUtilityDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUtilityDlg(CUtilityApp& app, QWidget* parent = nullptr);
    ~CUtilityDlg() override;

    // Builds the window, starts listening for outside messages, shows the window and
    // tells the application that start-up is complete.
    bool Initialize();
    // Shows the window (from hidden or minimised) and brings it to the front.
    void RestoreFromTray();

signals:
    void Restored();

private:
    void OnInstanceMessages();
    void HandleOutsideMessage(const InstanceMessage& message);

    CUtilityApp& m_app;
    InstanceServer m_server;
    QSocketNotifier* m_notifier = nullptr;
    QLabel* m_statePicture = nullptr;
    QComboBox* m_entryCombo = nullptr;
    QPushButton* m_connectButton = nullptr;
};

}  // namespace vr31k
