#pragma once
// Totals per phonebook entry: the entry names the history holds and the selected
// entry's connection time and volumes.
#include "accounting/CDbHistoryCtrl.h"

#include <QWidget>

class QLineEdit;
class QListWidget;

namespace vr31k {

class CCfgHistoryTotalEntryPage : public QWidget {
    Q_OBJECT
public:
    explicit CCfgHistoryTotalEntryPage(const CDbHistoryCtrl& history, QWidget* parent = nullptr);
    QListWidget* Entries() const { return m_entries; }

private:
    void ShowEntry(int row);

    const CDbHistoryCtrl& m_history;
    QListWidget* m_entries;
    QLineEdit* m_duration;
    QLineEdit* m_sent;
    QLineEdit* m_recv;
};

}  // namespace vr31k
