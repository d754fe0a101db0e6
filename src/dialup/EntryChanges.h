#pragma once
// Changes to the ten entries, each applied in three places kept in step: the card's
// packet context at the entry's position, the phonebook and the credential table. The
// card is written first; a failed write, to the card or then to the phonebook or the
// table, stops the change (what was done before stays done) and shows the write
// failure message.
#include "dialup/EntryPorts.h"

namespace vr31k {

// The field of the edit dialog an input check refused.
enum class EditField { None, Name, User, Password };

// What the edit dialog hands back when accepted.
struct EntryEdit {
    std::string name;
    std::string user;
    std::string password;
    std::string dialString;
    // The name the phonebook already holds for this position (an advanced edit may
    // have created or renamed it); the position's listed name otherwise.
    std::string appliedName;
};

class EntryChanges {
public:
    EntryChanges(IEntryBook& book, ICardContexts& card, IMessageBox& ui) : m_book(book), m_card(card), m_ui(ui) {}

    // Asks first; true when every entry was reset to the factory entry.
    bool ResetToFactory(EntryList& list);
    // Asks first; entry #1 is replaced by the factory entry, never left empty.
    bool Delete(EntryList& list, int position0);
    // Applies an accepted edit of position0: a new or changed name goes to the card
    // first, then to the phonebook and the table; the credentials always to the table.
    bool ApplyEdit(EntryList& list, int position0, const EntryEdit& edit);
    // The edit dialog's checks of its three fields, with their messages. User name and
    // password are limited in bytes of UTF-8. `appliedName` is the name the phonebook
    // holds for the position (empty for a new entry).
    bool CheckEditInput(const std::string& name, const std::string& user, const std::string& password,
                        const std::string& appliedName) {
        return CheckEditFields(name, user, password, appliedName) == EditField::None;
    }
    // The same checks, saying which field was refused so a dialog can put the focus there.
    EditField CheckEditFields(const std::string& name, const std::string& user, const std::string& password,
                              const std::string& appliedName);

    // The factory reset without a question: clear the card, empty the phonebook and the
    // table, then entry #1 = the factory entry on both sides. Also used by the
    // synchronisation with the card.
    bool RunFactoryReset(EntryList& list);

private:
    // A phonebook or table step failed: shows the write failure message.
    bool BookFailed();

    IEntryBook& m_book;
    ICardContexts& m_card;
    IMessageBox& m_ui;
};

}  // namespace vr31k
