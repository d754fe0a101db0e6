#include "gui/CCfgDialupSheet.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vr31k {

CCfgDialupSheet::CCfgDialupSheet(QWidget* parent)
    : CAppDlg(ids::IDS_DIALUP_SHEET_CAPTION, QStringLiteral("CCfgDialupSheet"), parent), m_tabs(new QTabWidget(this)) {
    m_tabs->setObjectName(QStringLiteral("pages"));
    m_tabs->setAccessibleName(Text(ids::IDS_DIALUP_SHEET_CAPTION));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(MakeOkCancel());
    m_cancel = findChild<QPushButton*>(QStringLiteral("cancelButton"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &CCfgDialupSheet::OnCurrentChanged);
}

CCfgDialupSheet::~CCfgDialupSheet() { ReleasePages(); }

void CCfgDialupSheet::AddPage(ISheetPage* page) {
    m_pages.push_back({page, page->Widget()});
    m_tabs->addTab(page->Widget(), page->Title());
}

bool CCfgDialupSheet::Run() {
    const bool ok = exec() == QDialog::Accepted;
    ReleasePages();
    return ok;
}

void CCfgDialupSheet::ReleasePages() {
    disconnect(m_tabs, &QTabWidget::currentChanged, this, &CCfgDialupSheet::OnCurrentChanged);
    for (Shown& shown : m_pages) {
        if (shown.widget) shown.widget->setParent(nullptr);
    }
    m_pages.clear();
}

bool CCfgDialupSheet::PagesIntact() const {
    return m_tabs->count() == static_cast<int>(m_pages.size());
}

void CCfgDialupSheet::OnCurrentChanged(int index) {
    // A page that goes before the sheet leaves the tabs; it is asked nothing then.
    if (m_switching || !PagesIntact()) return;
    if (m_current < 0 || index == m_current) {
        m_current = index;
        return;
    }
    // The tab bar has already switched (a click, a key or a wheel turn): the page being
    // left decides while it is shown again, so its message and focus land on it.
    m_switching = true;
    m_tabs->setCurrentIndex(m_current);
    if (m_pages[m_current].page->CanLeave()) {
        m_tabs->setCurrentIndex(index);
        m_current = index;
    }
    m_switching = false;
}

void CCfgDialupSheet::accept() {
    const int current = m_tabs->currentIndex();
    if (PagesIntact() && current >= 0 && !m_pages[current].page->CanLeave()) return;
    if (PagesIntact()) {
        // Each page is shown while it commits, so a message and the focus land on it; no
        // paint happens in between unless a page speaks, so nothing flickers.
        m_switching = true;
        for (size_t i = 0; i < m_pages.size(); ++i) {
            m_tabs->setCurrentIndex(static_cast<int>(i));
            m_current = static_cast<int>(i);
            if (!m_pages[i].page->Commit()) {
                m_switching = false;
                return;
            }
        }
        m_tabs->setCurrentIndex(current);
        m_current = current;
        m_switching = false;
    }
    for (Shown& shown : m_pages) {
        if (shown.widget) shown.page->Apply();
    }
    QDialog::accept();
}

void CCfgDialupSheet::ChangesCommitted() {
    if (m_cancel == nullptr) return;
    m_cancel->setText(Text(ids::IDS_BUTTON_CLOSE));
    m_cancel->setAccessibleName(Text(ids::IDS_BUTTON_CLOSE));
}

}  // namespace vr31k
