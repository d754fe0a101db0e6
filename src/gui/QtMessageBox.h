#pragma once
// Message boxes on the desktop: a Qt box with the string table's texts and Japanese
// button labels whatever the locale. Boxes are modal to `parent` (none: application).
#include "common/MessageBox.h"

#include <QString>

class QWidget;

namespace vr31k {

// The string table's text of `id` as a QString.
QString Text(int id);

class QtMessageBox : public IMessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    MessageResult Show(const MessageBoxRequest& request) override;

private:
    QWidget* m_parent;
};

}  // namespace vr31k
