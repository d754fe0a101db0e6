#pragma once
// The totals sheet "通信集計": totals per billing period, per entry and per program, with
// OK alone.
#include "accounting/ChargeAccounting.h"
#include "gui/CAppDlg.h"

class QTabWidget;

namespace vr31k {

class CCfgHistoryTotalMonthPage;
class CCfgHistoryTotalEntryPage;
class CCfgHistoryTotalProgramPage;

class CCfgHistoryTotalSheet : public CAppDlg {
    Q_OBJECT
public:
    explicit CCfgHistoryTotalSheet(ChargeAccounting& charge, QWidget* parent = nullptr);
    void Run() { exec(); }
    CCfgHistoryTotalMonthPage* MonthPage() const { return m_month; }
    CCfgHistoryTotalEntryPage* EntryPage() const { return m_entry; }
    CCfgHistoryTotalProgramPage* ProgramPage() const { return m_program; }
    QTabWidget* Pages() const { return m_pages; }

private:
    QTabWidget* m_pages;
    CCfgHistoryTotalMonthPage* m_month;
    CCfgHistoryTotalEntryPage* m_entry;
    CCfgHistoryTotalProgramPage* m_program;
};

}  // namespace vr31k
