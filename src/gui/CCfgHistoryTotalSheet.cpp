#include "gui/CCfgHistoryTotalSheet.h"

#include "common/StringIds.h"
#include "gui/CCfgHistoryTotalEntryPage.h"
#include "gui/CCfgHistoryTotalMonthPage.h"
#include "gui/CCfgHistoryTotalProgramPage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgHistoryTotalSheet::CCfgHistoryTotalSheet(ChargeAccounting& charge, QWidget* parent)
    : CAppDlg(IDS_TOTALS_SHEET_CAPTION, QStringLiteral("CCfgHistoryTotalSheet"), parent) {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setAccessibleName(Text(IDS_TOTALS_SHEET_CAPTION));
    m_month = new CCfgHistoryTotalMonthPage(charge, m_pages);
    m_entry = new CCfgHistoryTotalEntryPage(charge.History(), m_pages);
    m_pages->addTab(m_month, Text(IDS_TOTALS_MONTH_PAGE));
    m_program = new CCfgHistoryTotalProgramPage(charge.History(), charge.Plan().chargeDay, m_pages);
    m_pages->addTab(m_entry, Text(IDS_TOTALS_ENTRY_PAGE));
    m_pages->addTab(m_program, Text(IDS_TOTALS_PROGRAM_PAGE));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(MakeOk());
}

}  // namespace vr31k
