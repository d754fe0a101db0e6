#pragma once
// A page of a settings sheet. The sheet shows the page's widget as one tab but never
// owns it: whoever made the page keeps it (and its widget) alive while the sheet runs,
// and gets the widget back without a parent when the sheet goes.
#include <QString>

class QWidget;

namespace vr31k {

class ISheetPage {
public:
    virtual ~ISheetPage() = default;
    virtual QWidget* Widget() = 0;
    // The tab's text.
    virtual QString Title() const = 0;
    // The last check before the page is left, by OK or by another tab: false keeps the
    // user on the page (the page has said why and put the focus where it belongs).
    virtual bool CanLeave() = 0;
    // OK, after the current page's last check and before any page applies, with this
    // page shown: a page whose values depend on another page's, or that stores them
    // itself, checks (and stores) them here. False keeps the sheet open on this page
    // (the page has said why and put the focus where it belongs).
    virtual bool Commit() { return true; }
    // OK: the page's values take effect.
    virtual void Apply() = 0;
};

}  // namespace vr31k
