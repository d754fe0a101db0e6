#pragma once
// What a screen reader reads of a control, through the accessibility tree as assistive
// tools see it: its name, its value (a field's text) and its description.
#include <QAccessible>
#include <QWidget>

#include <string>

namespace vr31k::test {

struct Spoken {
    std::string name;
    std::string value;
    std::string description;
    bool operator==(const Spoken&) const = default;
};

inline Spoken SpokenOf(QWidget* control) {
    QAccessibleInterface* accessible = control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    if (accessible == nullptr) return {"(no control)", {}, {}};
    QString value = accessible->text(QAccessible::Value);
    if (QAccessibleTextInterface* text = accessible->textInterface()) value = text->text(0, text->characterCount());
    return {accessible->text(QAccessible::Name).toStdString(), value.toStdString(),
            accessible->text(QAccessible::Description).toStdString()};
}

inline std::ostream& operator<<(std::ostream& out, const Spoken& s) {
    return out << '"' << s.name << "\" \"" << s.value << "\" \"" << s.description << '"';
}

}  // namespace vr31k::test
