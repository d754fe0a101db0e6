#pragma once
// The main window's entry check: the program's entries against the card's packet
// contexts, and the synchronisation dialog when they differ. Dialling is allowed only
// when this check does not answer kEntriesRefused.
#include "card/CardCheck.h"
#include "dialup/EntryPorts.h"

#include <functional>

namespace vr31k {

enum EntryCheckResult {
    kEntriesRefused = 0,       // the user gave up the synchronisation, or the card or the entries could not be read
    kEntriesSynchronised = 1,  // the dialog made both sides equal
    kEntriesEqual = 2,         // already equal (or the dialog ended otherwise)
};

enum class SyncDialogEnd { Ok, Cancel, Other };
// Runs the synchronisation dialog on the card's list (which it updates to what it
// wrote to the card).
using SyncDialog = std::function<SyncDialogEnd(EntryList& cardView)>;

struct EntryCheckOutcome {
    int result = kEntriesRefused;
    EntryList program;
    EntryList card;
    bool cardRead = false;  // `card` holds the card's list (after the dialog: as written)
};

// Makes sure a phonebook exists, runs the card check when the port is closed, and
// compares the two lists position by position (exact, case-sensitive). The port is
// left open for the caller to close.
EntryCheckOutcome CheckEntries(IEntryBook& book, CWKvCtrl& card, CardCheck& check, ICardUi& ui,
                               const std::string& portName, CardStatus& status, const SyncDialog& syncDialog);

}  // namespace vr31k
