#include "ModalScript.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace vr31k::test {

ModalScript::ModalScript(QDialog& dialog) : m_dialog(dialog) { dialog.installEventFilter(this); }

ModalScript::~ModalScript() { EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " scripted step(s) never ran"; }

ModalScript& ModalScript::Then(Step step) {
    m_steps.push_back(std::move(step));
    return *this;
}

bool ModalScript::eventFilter(QObject* watched, QEvent* event) {
    // Queued, so the step runs inside the modal loop once the dialog is up.
    if (watched == &m_dialog && event->type() == QEvent::Show) QTimer::singleShot(0, this, [this] { RunNext(); });
    return false;
}

void ModalScript::RunNext() {
    if (m_steps.empty()) {
        ADD_FAILURE() << m_dialog.objectName().toStdString() << " was shown once more than scripted";
        m_dialog.done(QDialog::Rejected);
        return;
    }
    const Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step();
    if (m_dialog.isVisible()) {
        ADD_FAILURE() << "a step left " << m_dialog.objectName().toStdString() << " open";
        // done(), not reject(): some dialogs refuse to be cancelled.
        m_dialog.done(QDialog::Rejected);
    }
}

void OnNextModal(std::function<void(QDialog&)> step) {
    QTimer::singleShot(0, [step = std::move(step)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog came up";
            return;
        }
        step(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "a step left " << dialog->objectName().toStdString() << " open";
            dialog->reject();
        }
    });
}

}  // namespace vr31k::test
