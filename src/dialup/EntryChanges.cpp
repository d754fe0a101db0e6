#include "dialup/EntryChanges.h"

#include "common/StringIds.h"
#include "dialup/PortSession.h"
#include "platform/DialupService.h"

namespace vr31k {

namespace {

// The port stays open for the change and is closed however it ends.

constexpr int kNameEmpty = 903;
constexpr int kNameTooLong = 904;
constexpr int kNameInvalid = 123;
constexpr int kNameExists = 183;

}  // namespace

bool EntryChanges::BookFailed() {
    m_ui.ShowWriteError();
    return false;
}

bool EntryChanges::RunFactoryReset(EntryList& list) {
    PortSession port(m_card);
    if (!port.Ready()) return false;
    if (m_card.ClearAllContexts() != 0) {
        port.Close();
        m_ui.ShowWriteError();
        return false;
    }
    if (m_book.ResetEntries() != 0) return BookFailed();
    list = EntryList{};
    if (m_card.SetContext(1, kFactoryApn) != 0) {
        port.Close();
        m_ui.ShowWriteError();
        return false;
    }
    if (m_book.AddEntry(0, kFactoryApn, kFactoryUser, kFactoryPassword, DialStringFor(1)) != 0) return BookFailed();
    list[0] = kFactoryApn;
    return true;
}

bool EntryChanges::ResetToFactory(EntryList& list) {
    if (!m_ui.Ask(ids::IDS_ENTRY_RESET_CAPTION, ids::IDS_ENTRY_RESET_TEXT, {})) return false;
    return RunFactoryReset(list);
}

bool EntryChanges::Delete(EntryList& list, int k) {
    if (k < 0 || k >= kEntryCount || list[k].empty()) return false;
    const bool yes = k == 0 ? m_ui.Ask(ids::IDS_ENTRY1_DELETE_CAPTION, ids::IDS_ENTRY1_DELETE_TEXT, {kFactoryApn})
                            : m_ui.Ask(ids::IDS_ENTRY_DELETE_CAPTION, ids::IDS_ENTRY_DELETE_TEXT, {list[k]});
    if (!yes) return false;
    PortSession port(m_card);
    if (!port.Ready()) return false;
    if (m_card.UndefineContext(k + 1) != 0) {
        port.Close();
        m_ui.ShowWriteError();
        return false;
    }
    if (m_book.RemoveEntry(list[k]) != 0) return BookFailed();
    list[k].clear();
    if (k == 0) {
        if (m_card.SetContext(1, kFactoryApn) != 0) {
            port.Close();
            m_ui.ShowWriteError();
            return false;
        }
        if (m_book.AddEntry(0, kFactoryApn, kFactoryUser, kFactoryPassword, DialStringFor(1)) != 0) return BookFailed();
        list[0] = kFactoryApn;
    }
    return true;
}

bool EntryChanges::ApplyEdit(EntryList& list, int k, const EntryEdit& edit) {
    if (k < 0 || k >= kEntryCount) return false;
    if (edit.name != list[k]) {
        PortSession port(m_card);
        if (!port.Ready()) return false;
        if (m_card.SetContext(k + 1, edit.name) != 0) {
            port.Close();
            // Undo what an advanced edit already did to the phonebook.
            if (edit.appliedName != list[k]) {
                if (list[k].empty()) m_book.RemoveEntry(edit.name);
                else m_book.RenameStoredEntry(edit.name, list[k]);
            }
            m_ui.ShowWriteError();
            return false;
        }
        // An advanced edit may already have put the name in the phonebook and the table.
        if (edit.appliedName != edit.name) {
            const int stored = list[k].empty() ? m_book.AddEntry(k, edit.name, edit.user, edit.password, edit.dialString)
                                               : m_book.RenameStoredEntry(list[k], edit.name);
            if (stored != 0) return BookFailed();
        }
        list[k] = edit.name;
    }
    if (m_book.UpdateEntryCredentials(edit.name, edit.user, edit.password) != 0) return BookFailed();
    return true;
}

EditField EntryChanges::CheckEditFields(const std::string& name, const std::string& user, const std::string& password,
                                        const std::string& appliedName) {
    // Bytes, as the phonebook, the dialler and the credential file hold them.
    const std::vector<std::string> limit{std::to_string(kMaxCredentialLength)};
    if (user.size() > kMaxCredentialLength) {
        m_ui.Tell(ids::IDS_ENTRY_CHECK_CAPTION, ids::IDS_ENTRY_USER_TOO_LONG_TEXT, MessageIcon::Error, limit);
        return EditField::User;
    }
    if (password.size() > kMaxCredentialLength) {
        m_ui.Tell(ids::IDS_ENTRY_CHECK_CAPTION, ids::IDS_ENTRY_PASSWORD_TOO_LONG_TEXT, MessageIcon::Error,
                         limit);
        return EditField::Password;
    }
    if (name.empty() || name != appliedName) {
        int textId = 0;
        switch (m_book.ValidateEntryName(name, true)) {
        case kNameEmpty: textId = ids::IDS_ENTRY_NAME_EMPTY_TEXT; break;
        case kNameInvalid: textId = ids::IDS_ENTRY_NAME_INVALID_TEXT; break;
        case kNameExists: textId = ids::IDS_ENTRY_NAME_DUPLICATE_TEXT; break;
        case kNameTooLong: textId = ids::IDS_ENTRY_NAME_TOO_LONG_TEXT; break;
        default: break;  // any other answer lets the edit go on
        }
        if (textId != 0) {
            m_ui.Tell(ids::IDS_ENTRY_CHECK_CAPTION, textId, MessageIcon::Error, {});
            return EditField::Name;
        }
    }
    return EditField::None;
}

}  // namespace vr31k
