#pragma once
// A page of a settings sheet: the sheet asks it before it is left and tells it to apply on OK.
#include <QString>
class QWidget;
namespace vr31k {
class ISheetPage {
public:
    virtual ~ISheetPage() = default;
    virtual QWidget* Widget() = 0;
    virtual QString Title() const = 0;
    // The final check when the page is left (OK or another tab); false keeps it shown.
    virtual bool CanLeave() = 0;
    // OK: the page's values go where they belong.
    virtual void Apply() = 0;
};
}  // namespace vr31k
