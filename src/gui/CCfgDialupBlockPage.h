#pragma once
// The programs kept off the card's link, as a page of the dial-up settings sheet: the
// services and applications seen on the link (in the history, in the spool) and those
// kept off already, a check box each. On the sheet's OK the boxes the user changed are
// applied to the list as the file holds it then (another face's changes to the others
// stay), under the folder's lock; a list that could not be read is written anew.
#include "common/MessageBox.h"
#include "gui/SheetPage.h"
#include "mainwnd/ProgramViewRules.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QListWidget;

namespace vr31k {

class CCfgDialupBlockPage : public QWidget, public ISheetPage {
    Q_OBJECT
public:
    CCfgDialupBlockPage(const CDbHistoryCtrl& history, std::string dataFolder, IMessageBox& boxes,
                        QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    QString Title() const override;
    bool CanLeave() override { return true; }
    bool Commit() override;
    // Commit has written the list already.
    void Apply() override {}

    QListWidget* Programs() const { return m_list; }

private:
    std::string m_dataFolder;
    IMessageBox& m_boxes;
    std::vector<BlockChoice> m_choices;  // as the page opened, in the list's order
    bool m_unreadable = false;
    QListWidget* m_list;
};

}  // namespace vr31k
