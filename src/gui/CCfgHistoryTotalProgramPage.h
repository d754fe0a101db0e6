#pragma once
// Totals per program: the periods that hold connections, newest first, and the selected
// period's programs on the card's link with their bytes, the bytes kept off and their
// share of the charge, in a table sorted by any column; under it what of the period has
// no per-program figures, and how the charge is shared.
#include "accounting/CDbHistoryCtrl.h"
#include "mainwnd/ProgramViewRules.h"

#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;
class QTableWidget;

namespace vr31k {

class CCfgHistoryTotalProgramPage : public QWidget {
    Q_OBJECT
public:
    CCfgHistoryTotalProgramPage(const CDbHistoryCtrl& history, int closingDay, QWidget* parent = nullptr);
    QListWidget* Periods() const { return m_periods; }
    QTableWidget* Programs() const { return m_programs; }
    QLabel* MissingLine() const { return m_missing; }

private:
    void ShowPeriod(int row);
    // The period's rows into the table, in the order the header's indicator asks (none:
    // most bytes first).
    void Fill();

    const CDbHistoryCtrl& m_history;
    std::vector<ProgramRowView> m_rows;
    QListWidget* m_periods;
    QTableWidget* m_programs;
    QLabel* m_missing;
};

}  // namespace vr31k
