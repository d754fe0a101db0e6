#include "dialup/ApnSync.h"

#include "common/StringIds.h"
#include "dialup/PortSession.h"

namespace vr31k {

bool EntriesInSync(const EntryList& program, const EntryList& card) { return program == card; }

bool ApnSync::Reset(EntryList& cardView) {
    if (!m_ui.Ask(ids::IDS_SYNC_RESET_CAPTION, ids::IDS_SYNC_RESET_TEXT, {})) return false;
    if (m_changes.RunFactoryReset(cardView)) m_book.SetEntryIndex(0);
    return true;
}

bool ApnSync::ProgramToCard(EntryList& cardView) {
    ICardContexts& card = m_card;
    if (!m_ui.Ask(ids::IDS_SYNC_TO_CARD_CAPTION, ids::IDS_SYNC_TO_CARD_TEXT, {})) return false;
    EntryList program;
    m_book.ListEntries(program);
    PortSession port(card);
    if (!port.Ready()) return true;
    if (card.ClearAllContexts() != 0) {
        port.Close();
        m_ui.ShowWriteError();
        return true;
    }
    cardView = EntryList{};
    for (int k = 0; k < kEntryCount; ++k) {
        if (program[k].empty()) continue;
        if (card.SetContext(k + 1, program[k]) != 0) {
            m_ui.ShowWriteError();
            break;
        }
        cardView[k] = program[k];
    }
    return true;
}

bool ApnSync::ConfirmAbandon() { return m_ui.Ask(ids::IDS_SYNC_ABANDON_CAPTION, ids::IDS_SYNC_ABANDON_TEXT, {}); }

SyncApnList::SyncApnList(IEntryBook& book, ICardContexts& card, IMessageBox& ui, const EntryList& cardView)
    : m_book(book), m_card(card), m_ui(ui) {
    EntryList program;
    m_book.ListEntries(program);
    for (int k = 0; k < kEntryCount; ++k) {
        m_rows[k].resolved = cardView[k].empty();
        m_rows[k].programName = program[k];
        m_rows[k].cardApn = cardView[k];
    }
}

void SyncApnList::EditPreset(int k, std::string& user, std::string& password) {
    user.clear();
    password.clear();
    if (!CanEdit(k)) return;
    const Row& row = m_rows[k];
    if (row.resolved) {
        user = row.user;
        password = row.password;
        return;
    }
    std::string dial;
    if (m_book.GetEntrySettings(row.cardApn, user, password, dial) != 0) {
        user.clear();
        password.clear();
    }
}

void SyncApnList::Change(int k, const std::string& user, const std::string& password) {
    if (!CanChange(k)) return;
    m_rows[k].resolved = true;
    m_rows[k].user = user;
    m_rows[k].password = password;
}

bool SyncApnList::Delete(int k) {
    if (!CanEdit(k)) return false;
    Row& row = m_rows[k];
    if (k == 0) {
        if (!m_ui.Ask(ids::IDS_ENTRY1_DELETE_CAPTION, ids::IDS_ENTRY1_DELETE_TEXT, {kFactoryApn})) return false;
        row.cardApn = kFactoryApn;
        row.user = kFactoryUser;
        row.password = kFactoryPassword;
    } else {
        if (!m_ui.Ask(ids::IDS_ENTRY_DELETE_CAPTION, ids::IDS_ENTRY_DELETE_TEXT, {row.cardApn})) return false;
        row.cardApn.clear();
    }
    row.resolved = true;
    row.changed = true;
    return true;
}

bool SyncApnList::AllResolved() const {
    for (const Row& row : m_rows) {
        if (!row.resolved) return false;
    }
    return true;
}

bool SyncApnList::Commit(EntryList& cardView) {
    // Names leave the phonebook first, so a name moving to another position can be
    // added there afterwards.
    for (const Row& row : m_rows) {
        if (!row.programName.empty() && (row.programName != row.cardApn || row.changed)) {
            m_book.RemoveEntry(row.programName);
        }
    }
    bool cardUpdate = false;
    for (int k = 0; k < kEntryCount; ++k) {
        const Row& row = m_rows[k];
        cardUpdate = cardUpdate || row.changed;
        if (row.cardApn.empty() || row.changed) continue;
        const std::string dial = DialStringFor(k + 1);
        if (row.programName != row.cardApn) {
            m_book.AddEntry(k, row.cardApn, row.user, row.password, dial);
        } else {
            m_book.UpdateEntryCredentials(row.cardApn, row.user, row.password);
            m_book.SetEntryPhoneNumber(row.cardApn, dial);
        }
    }
    if (cardUpdate) {
        PortSession port(m_card);
        if (!port.Ready()) return false;
        for (int k = 0; k < kEntryCount; ++k) {
            if (!m_rows[k].changed) continue;
            if (m_card.UndefineContext(k + 1) != 0) {
                m_ui.ShowWriteError();
                break;
            }
            if (k == 0) {
                if (m_card.SetContext(1, kFactoryApn) != 0) {
                    m_ui.ShowWriteError();
                    break;
                }
                m_book.AddEntry(0, kFactoryApn, kFactoryUser, kFactoryPassword, DialStringFor(1));
                cardView[0] = kFactoryApn;
            } else {
                cardView[k].clear();
            }
        }
    }
    m_book.SetEntryIndex(0);
    return true;
}

}  // namespace vr31k
