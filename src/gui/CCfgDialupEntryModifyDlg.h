#pragma once
// Adding or editing one entry: its name (the APN), user name and password, with the dial
// string of its position shown. OK checks the fields (EntryChanges::CheckEditFields) and
// puts the focus back on a refused one; the caller applies what was accepted. The
// change list of the synchronisation uses it with the name fixed.
//
// The system's own entry properties dialog ("詳細設定") has no counterpart on Linux:
// the entry's modem and dial string are the utility's to set, so the button is left out.
#include "dialup/EntryChanges.h"
#include "gui/CAppDlg.h"

#include <optional>

class QLabel;

namespace vr31k {

class CCfgDialupEntryModifyDlg : public CAppDlg {
    Q_OBJECT
public:
    struct Credentials {
        std::string user;
        std::string password;
    };
    // Position 1-10 of `list`. Without `fixedName`: the name may change, and the
    // program's entry of that name supplies the credentials and dial string. With it:
    // the name stays, the credentials start as given, the dial string is the position's.
    CCfgDialupEntryModifyDlg(const EntryList& list, int position, IEntryBook& book, EntryChanges& checks,
                             std::optional<Credentials> fixedName, QWidget* parent = nullptr);

    bool Run() { return exec() == QDialog::Accepted; }
    // What was accepted.
    const EntryEdit& Result() const { return m_result; }
    void accept() override;

private:
    EntryChanges& m_checks;
    EntryEdit m_result;
    QLineEdit* m_name;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLabel* m_dial;
};

}  // namespace vr31k
