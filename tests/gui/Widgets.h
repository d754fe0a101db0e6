#pragma once
// The dialog tests' hands and eyes: a control found by its object name, a click on one,
// and what every window owes screen readers, with its picture kept for review.
#include "Spoken.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <gtest/gtest.h>

namespace vr31k::test {

// The child named `name`; a failure (and null) when there is none.
template <typename T = QWidget>
T* Child(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) ADD_FAILURE() << "no " << name << " in " << parent.objectName().toStdString();
    return child;
}
inline void Click(const QObject& parent, const char* name) { Child<QAbstractButton>(parent, name)->click(); }

// `window` draws; with VR31K_SCREENSHOT_DIR set, its picture is saved there as `file`.png.
inline void ExpectDrawn(QWidget& window, const QString& file) {
    const QPixmap picture = window.grab();
    EXPECT_FALSE(picture.isNull()) << file.toStdString();
    const QString shots = qEnvironmentVariable("VR31K_SCREENSHOT_DIR");
    if (!shots.isEmpty()) picture.save(QDir(shots).filePath(file + QStringLiteral(".png")));
}

// Every control a user reads or works in `window` (buttons, labels, fields, groups, lists;
// not a list's own headers) has an object name and an accessible name, and (`readAsShown`)
// a screen reader reads what a sighted user reads there, a field's text through its text
// interface; and the window draws.
inline void ExpectNamedAndDrawn(QWidget& window, const QString& file, bool readAsShown = true) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        bool inList = false;
        for (QWidget* p = control->parentWidget(); p != nullptr && p != &window; p = p->parentWidget()) {
            inList = inList || qobject_cast<QAbstractItemView*>(p) != nullptr;
        }
        if (inList || (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control) &&
                       !qobject_cast<QLineEdit*>(control) && !qobject_cast<QGroupBox*>(control) &&
                       !qobject_cast<QComboBox*>(control) && !qobject_cast<QAbstractItemView*>(control))) {
            continue;
        }
        const std::string what = file.toStdString() + " " + control->metaObject()->className() + " " +
                                 control->objectName().toStdString();
        EXPECT_FALSE(control->objectName().isEmpty()) << what;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << what;
        const Spoken spoken = SpokenOf(control);
        if (!readAsShown) continue;
        if (const auto* label = qobject_cast<QLabel*>(control); label && control->isVisible()) {
            QString shown = label->text().remove(QLatin1Char('&'));
            if (shown.endsWith(QStringLiteral(" :"))) shown.chop(2);
            EXPECT_NE((spoken.name + "\n" + spoken.description).find(shown.toStdString()), std::string::npos)
                << what << spoken;
        }
        if (const auto* field = qobject_cast<QLineEdit*>(control); field && field->echoMode() == QLineEdit::Normal) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            EXPECT_TRUE(accessible && accessible->textInterface()) << what;
            EXPECT_EQ(spoken.value, field->text().toStdString()) << what;
        }
    }
    ExpectDrawn(window, file);
}

}  // namespace vr31k::test
