#pragma once
// The six figures of a connection as the result and status dialogs show them: time and
// volumes in the first group, the charge and the two allowances left in "料金", and the
// note that the charge is an estimate.
#include "mainwnd/MainView.h"

#include <QWidget>

#include <array>

class QGridLayout;
class QLineEdit;

namespace vr31k {

class ConnectionFiguresPanel : public QWidget {
    Q_OBJECT
public:
    // `connectionGroupId`: the first group's title ("通信結果" or "通信状態").
    ConnectionFiguresPanel(int connectionGroupId, QWidget* parent);

    void ShowFigures(const ConnectionFiguresText& figures);
    // A line of the dialog's own under the figures of "料金", across both columns.
    void AddChargeLine(QWidget* line);

private:
    std::array<QLineEdit*, 6> m_values{};
    QGridLayout* m_chargeGrid;
};

}  // namespace vr31k
