#pragma once
// The base of the utility's dialogs: the caption from the string table, a fixed size,
// and controls made with their table texts, accessible names and object names in one
// place, so screen readers and desktop test tools find every one. A dialog comes to the
// front whenever it is shown, also while the main window is hidden in the tray: the SIM
// prompts open from a card arrival or the tray menu.
#include "gui/QtMessageBox.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vr31k {

class CAppDlg : public QDialog {
    Q_OBJECT
public:
    CAppDlg(int captionId, const QString& objectName, QWidget* parent);
    // Names a control for screen readers (`nameId`'s text) and for test tools; also for
    // the sheets' pages, which are widgets of their own.
    static void Identify(QWidget* control, int nameId, const QString& objectName);

protected:
    void showEvent(QShowEvent* event) override;

    // A control that shows `textId`'s text (label, check box, radio, group box), named
    // after it; `parent` is this dialog or a group box of it.
    template <typename Control>
    Control* MakeControl(int textId, const QString& objectName, QWidget* parent = nullptr) {
        auto* control = new Control(Text(textId), parent != nullptr ? parent : this);
        Identify(control, textId, objectName);
        return control;
    }
    QLabel* MakeLabel(int textId, const QString& objectName);
    // A masked one-line field, named for screen readers by `nameId`'s text.
    QLineEdit* MakeSecretEdit(int nameId, const QString& objectName);
    // OK (the default button, calls accept()) and Cancel (also Escape, calls reject()).
    QDialogButtonBox* MakeOkCancel() { return MakeButtons(true); }
    // OK alone, for the dialogs that only show something.
    QDialogButtonBox* MakeOk() { return MakeButtons(false); }
    QPushButton* OkButton() const { return m_ok; }
    // For the few windows the user may resize: no fixed size when shown.
    void AllowResizing() { m_fixedSize = false; }

private:
    QDialogButtonBox* MakeButtons(bool withCancel);

    QPushButton* m_ok = nullptr;
    bool m_fixedSize = true;
};

// A label's text as the name of the control it labels: without the " :" it ends with.
QString AccessibleNameOf(int textId);

}  // namespace vr31k
