#pragma once
// Keeping the program's ten entries and the card's first ten packet contexts equal,
// position by position: the check, and the three ways of removing a difference.
#include "dialup/EntryChanges.h"

namespace vr31k {

// Exact, case-sensitive comparison of every position.
bool EntriesInSync(const EntryList& program, const EntryList& card);

// The synchronisation dialog's ways. Each returns true when the dialog closes
// (the way was carried out, even if a card write failed on the way: the next check
// finds what is still different) and false when it stays open.
class ApnSync {
public:
    ApnSync(IEntryBook& book, ICardContexts& card, IMessageBox& ui)
        : m_book(book), m_card(card), m_ui(ui), m_changes(book, card, ui) {}

    // Factory state on both sides; entry #1 becomes the selected entry.
    bool Reset(EntryList& cardView);
    // The program's names written to the card at their own positions; every other
    // card context left undefined. The selection is kept.
    bool ProgramToCard(EntryList& cardView);
    // Giving up the synchronisation (dialling stays impossible): true to give up.
    bool ConfirmAbandon();

private:
    IEntryBook& m_book;
    ICardContexts& m_card;
    IMessageBox& m_ui;
    EntryChanges m_changes;
};

// The card-to-program copy, row by row: the card holds no user names or passwords, so
// every row with a card APN must be changed (credentials entered) or deleted first.
class SyncApnList {
public:
    struct Row {
        bool resolved = false;
        std::string programName;
        std::string cardApn;
        std::string user;
        std::string password;
        bool changed = false;  // deleted (row 0: reset to the factory entry)
    };

    SyncApnList(IEntryBook& book, ICardContexts& card, IMessageBox& ui, const EntryList& cardView);

    const std::array<Row, kEntryCount>& Rows() const { return m_rows; }
    bool CanEdit(int k) const { return k >= 0 && k < kEntryCount && !m_rows[k].cardApn.empty(); }
    // Row 0 once reset holds the factory entry, which the card does not have yet: an edit
    // would open the card's old APN and be refused as a duplicate of the old entry.
    bool CanChange(int k) const { return CanEdit(k) && !(k == 0 && m_rows[0].changed); }
    // What the edit dialog shows for row k: the row's own credentials once resolved,
    // else those of a program entry of that name.
    void EditPreset(int k, std::string& user, std::string& password);
    // The edit dialog was accepted for row k (ignored where CanChange is false).
    void Change(int k, const std::string& user, const std::string& password);
    // Asks first; row 0 becomes the factory entry, any other row empty.
    bool Delete(int k);
    bool AllResolved() const;
    // OK: the program takes the card's entries. False when the port could not be
    // prepared for the card writes (the phonebook changes are kept; the list stays).
    bool Commit(EntryList& cardView);

private:
    IEntryBook& m_book;
    ICardContexts& m_card;
    IMessageBox& m_ui;
    std::array<Row, kEntryCount> m_rows;
};

}  // namespace vr31k
