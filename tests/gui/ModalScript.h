#pragma once
// Drives a modal dialog from inside its own loop: each time the dialog is shown, the
// next step runs (set texts, click buttons, look at it). A step must end the dialog;
// one that leaves it open, or a showing without a step, fails the test and closes the
// dialog, so a test can never hang on a modal loop; a step left when the script goes
// fails it too.
#include <QDialog>
#include <QObject>

#include <deque>
#include <functional>

namespace vr31k::test {

class ModalScript : public QObject {
public:
    using Step = std::function<void()>;
    explicit ModalScript(QDialog& dialog);
    // A step whose dialog never came up is a failure too: its checks never ran.
    ~ModalScript() override;
    ModalScript& Then(Step step);
    int StepsLeft() const { return static_cast<int>(m_steps.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RunNext();

    QDialog& m_dialog;
    std::deque<Step> m_steps;
};

// For a dialog a control opens inside the code under test: `step` runs on the next modal
// dialog to come up (queued now, so call this just before the click that opens it).
// Like a script step it must end the dialog; one left open fails and is closed.
void OnNextModal(std::function<void(QDialog&)> step);

}  // namespace vr31k::test
