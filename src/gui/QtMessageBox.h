#pragma once
// Message boxes on the desktop: a Qt box with the string table's texts and Japanese
// button labels whatever the locale. Boxes are modal to `parent` (none: application).
#include "common/MessageBox.h"

#include <QString>

#include <functional>

class QWidget;

namespace vr31k {

// The string table's text of `id` as a QString.
QString Text(int id);

class QtMessageBox : public IMessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    MessageResult Show(const MessageBoxRequest& request) override;
    // Where a box's diagnosis button leads, for every box of the program; none: a box
    // that offers the diagnosis shows no such button.
    static void SetDiagnosisOpener(std::function<void()> open);

private:
    QWidget* m_parent;
};

}  // namespace vr31k
