#include "dialup/EntryCheck.h"

#include "common/StringIds.h"
#include "card/CardResults.h"
#include "dialup/ApnSync.h"

namespace vr31k {

EntryCheckOutcome CheckEntries(IEntryBook& book, CWKvCtrl& card, CardCheck& check, ICardUi& ui,
                               const std::string& portName, CardStatus& status, const SyncDialog& syncDialog) {
    EntryCheckOutcome outcome;
    book.EnsurePhonebook();
    if (!card.IsOpen() && !check.Run(portName, status)) return outcome;
    if (book.ListEntries(outcome.program) != 0) {
        // Entries that cannot be read now (another program keeps the data folder, the
        // file is unreadable) are not entries that differ from the card: nothing is
        // offered that would write over them, and dialling waits for the next check.
        ui.ForceForeground();
        ui.Tell(ids::IDS_ENTRIES_UNREADABLE_CAPTION, ids::IDS_ENTRIES_UNREADABLE_TEXT, MessageIcon::Error);
        return outcome;
    }
    PdpContextList contexts;
    if (card.GetPdpContexts(contexts) != CARD_OK) {
        ShowCommError(ui);
        return outcome;
    }
    for (int k = 0; k < kEntryCount; ++k) outcome.card[k] = contexts[k];
    outcome.cardRead = true;
    if (EntriesInSync(outcome.program, outcome.card)) {
        outcome.result = kEntriesEqual;
        return outcome;
    }
    ui.ForceForeground();
    switch (syncDialog(outcome.card)) {
    case SyncDialogEnd::Ok:
        ui.Tell(ids::IDS_SYNC_DONE_CAPTION, ids::IDS_SYNC_DONE_TEXT, MessageIcon::Information);
        outcome.result = kEntriesSynchronised;
        book.ListEntries(outcome.program);
        break;
    case SyncDialogEnd::Cancel:
        ui.Tell(ids::IDS_SYNC_CANCELLED_CAPTION, ids::IDS_SYNC_CANCELLED_TEXT, MessageIcon::Information);
        outcome.result = kEntriesRefused;
        break;
    case SyncDialogEnd::Other:
        outcome.result = kEntriesEqual;
        break;
    }
    return outcome;
}

}  // namespace vr31k
