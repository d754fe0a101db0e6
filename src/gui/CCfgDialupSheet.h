#pragma once
// The dial-up settings sheet: its pages as tabs, OK and Cancel, no Apply. A page may
// refuse to be left (a tab switch or OK then keeps it shown). Changes some pages commit
// at once cannot be undone, so Cancel reads "閉じる" after the first of them.
#include "gui/CAppDlg.h"
#include "gui/SheetPage.h"

#include <QPointer>

#include <vector>

class QTabWidget;

namespace vr31k {

class CCfgDialupSheet : public CAppDlg {
    Q_OBJECT
public:
    explicit CCfgDialupSheet(QWidget* parent = nullptr);
    ~CCfgDialupSheet() override;

    // Adds `page` as the next tab; the page must outlive the sheet's run.
    void AddPage(ISheetPage* page);
    // Runs the sheet modally, once; true on OK, after every page applied its values.
    // The pages' widgets are given back when it ends.
    bool Run();
    // OK: the current page's last check, then every page applies.
    void accept() override;
    QTabWidget* Tabs() const { return m_tabs; }

public slots:
    // A page committed a change: Cancel becomes "閉じる".
    void ChangesCommitted();

private:
    void OnCurrentChanged(int index);
    // Gives every page's widget back (no parent), so pages and sheet may go in any order.
    void ReleasePages();
    bool PagesIntact() const;

    struct Shown {
        ISheetPage* page;
        QPointer<QWidget> widget;  // gone when the page went first
    };
    QTabWidget* m_tabs;
    QPushButton* m_cancel = nullptr;
    std::vector<Shown> m_pages;
    int m_current = -1;
    bool m_switching = false;
};

}  // namespace vr31k
