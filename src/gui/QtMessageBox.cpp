#include "gui/QtMessageBox.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

namespace vr31k {

namespace {

// Which box is open, for the log and for tests driving the program from outside.
Q_LOGGING_CATEGORY(lcMessageBox, "vr31k.messagebox", QtWarningMsg)

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    MessageResult result;
    int labelId;
    QMessageBox::ButtonRole role;
};

std::function<void()>& DiagnosisOpener() {
    static std::function<void()> open;
    return open;
}

std::vector<ButtonSpec> ButtonsOf(MessageButtons buttons) {
    using R = MessageResult;
    const ButtonSpec ok{R::Ok, ids::IDS_BUTTON_OK, QMessageBox::AcceptRole};
    const ButtonSpec cancel{R::Cancel, ids::IDS_BUTTON_CANCEL, QMessageBox::RejectRole};
    const ButtonSpec yes{R::Yes, ids::IDS_BUTTON_YES, QMessageBox::YesRole};
    const ButtonSpec no{R::No, ids::IDS_BUTTON_NO, QMessageBox::NoRole};
    switch (buttons) {
    case MessageButtons::Ok: return {ok};
    case MessageButtons::OkCancel: return {ok, cancel};
    case MessageButtons::YesNo: return {yes, no};
    case MessageButtons::YesNoCancel: return {yes, no, cancel};
    }
    return {ok};
}

}  // namespace

QString Text(int id) {
    const std::string_view s = LoadString(id);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void QtMessageBox::SetDiagnosisOpener(std::function<void()> open) { DiagnosisOpener() = std::move(open); }

MessageResult QtMessageBox::Show(const MessageBoxRequest& request) {
    QString text = request.text.empty() ? Text(request.textId) : QString::fromStdString(request.text);
    if (!request.cause.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(request.cause);
    QMessageBox box(ToQtIcon(request.icon), Text(request.captionId), text, QMessageBox::NoButton, m_parent);
    box.setAccessibleName(Text(request.captionId));
    if (!request.cause.empty()) {
        // A cause is a sentence or two with commands in it: a wider box keeps them whole
        // on fewer lines.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(40, QChar(0x3042))));
        }
    }
    std::vector<std::pair<QAbstractButton*, MessageResult>> made;
    MessageResult escapeResult = MessageResult::Ok;
    for (const ButtonSpec& choice : ButtonsOf(request.buttons)) {
        QPushButton* button = box.addButton(Text(choice.labelId), choice.role);
        button->setAccessibleName(Text(choice.labelId).remove(QStringLiteral("(&Y)")).remove(QStringLiteral("(&N)")));
        made.emplace_back(button, choice.result);
        if (choice.result == request.defaultButton) box.setDefaultButton(button);
        // Closing the box answers Cancel where there is one, else No, else OK.
        if (choice.result == MessageResult::Cancel ||
            (choice.result == MessageResult::No && escapeResult != MessageResult::Cancel)) {
            box.setEscapeButton(button);
            escapeResult = choice.result;
        }
    }
    if (made.size() == 1) box.setEscapeButton(made.front().first);
    QPushButton* diagnosis = nullptr;
    if (request.offersDiagnosis && DiagnosisOpener()) {
        diagnosis = box.addButton(Text(ids::IDS_DIAGNOSIS_BOX_BUTTON), QMessageBox::ActionRole);
        diagnosis->setObjectName(QStringLiteral("diagnosisButton"));
        diagnosis->setAccessibleName(Text(ids::IDS_DIAGNOSIS_BOX_BUTTON).remove(QStringLiteral("(&D)")));
    }
    qCInfo(lcMessageBox, "message box %d shown", request.textId);
    box.exec();
    // The diagnosis button answers as closing the box does, then opens the diagnosis.
    if (diagnosis != nullptr && box.clickedButton() == diagnosis) {
        DiagnosisOpener()();
        return escapeResult;
    }
    for (const auto& [button, result] : made) {
        if (box.clickedButton() == button) return result;
    }
    return escapeResult;
}

}  // namespace vr31k
