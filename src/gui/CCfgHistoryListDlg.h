#pragma once
// The history list: one row per stored connection, sortable by any column, resizable,
// with a filter over the entry name, a CSV export and a button that clears the
// history. Its size, maximised state and sort order live in GUI_CONFIG.
#include "accounting/CDbHistoryCtrl.h"
#include "common/MessageBox.h"
#include "common/SettingsStore.h"
#include "gui/CAppDlg.h"

#include <functional>

class QLineEdit;
class QTreeView;

namespace vr31k {

class HistoryListModel;

class CCfgHistoryListDlg : public CAppDlg {
    Q_OBJECT
public:
    // Asks where to save the CSV; empty when the user cancelled.
    using PathChooser = std::function<QString()>;

    CCfgHistoryListDlg(CDbHistoryCtrl& history, const SettingsStore& settings, IMessageBox& boxes,
                       QWidget* parent = nullptr);
    ~CCfgHistoryListDlg() override;

    // Runs the dialog modally; true when the history was cleared in it.
    bool Run();
    bool HistoryCleared() const { return m_cleared; }
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_ascending; }
    HistoryListModel& Model() { return *m_model; }
    // Tests answer the save dialog themselves.
    void SetPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }

    // Writes the window state to GUI_CONFIG whichever way the dialog ends.
    void done(int result) override;

private:
    void Fill();
    void ApplySort();
    void OnHeaderClicked(int column);
    void OnClear();
    void OnSaveCsv();
    void SaveState();

    CDbHistoryCtrl& m_history;
    const SettingsStore& m_settings;
    IMessageBox& m_boxes;
    HistoryListModel* m_model;
    QTreeView* m_list;
    QLineEdit* m_filter;
    PathChooser m_choosePath;
    int m_sortColumn = -1;
    bool m_ascending = false;
    bool m_cleared = false;
};

}  // namespace vr31k
