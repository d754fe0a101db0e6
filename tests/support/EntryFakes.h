#pragma once
// In-memory stand-ins for the entry book and the card's context table, with failures
// on demand.
#include "dialup/EntryPorts.h"
#include "support/ScriptedUi.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vr31k::test {

// Phonebook (names in creation order) and ten-slot credential table, with the
// controller's rules: AddEntry refuses an existing name (183) and leaves the table
// alone; ListEntries drops phonebook entries no slot names.
class FakeEntryBook : public IEntryBook {
public:
    struct Entry {
        std::string name, user, password, dial;
    };
    std::vector<Entry> phonebook;
    struct Slot {
        std::string name, user, password;
    };
    std::array<Slot, kEntryCount> table;
    int entryIndex = -1;
    bool phonebookExists = true;
    std::vector<std::string> log;
    // The operation that fails ("add", "remove", "reset", "credentials", "rename"),
    // with the phonebook and table left as they were; empty: none.
    std::string failing;

    int EnsurePhonebook() override;
    int ListEntries(EntryList& out) override;
    int AddEntry(int slot, const std::string& name, const std::string& user, const std::string& password,
                 const std::string& dial) override;
    int RemoveEntry(const std::string& name) override;
    int ResetEntries() override;
    int UpdateEntryCredentials(const std::string& name, const std::string& user, const std::string& password) override;
    int RenameStoredEntry(const std::string& oldName, const std::string& newName) override;
    int SetEntryPhoneNumber(const std::string& name, const std::string& dial) override;
    int GetEntrySettings(const std::string& name, std::string& user, std::string& password, std::string& dial) override;
    int ValidateEntryName(const std::string& name, bool checkCharacters) override;
    void SetEntryIndex(int index) override { entryIndex = index; }

    // Test set-up: an entry at a position, in both phonebook and table.
    void Put(int slot, const std::string& name, const std::string& user = "u", const std::string& password = "p");
    Entry* Find(const std::string& name);
};

class FakeCard : public ICardContexts {
public:
    std::array<std::optional<std::string>, kEntryCount> contexts;
    PortPrep prep = PortPrep::OpenedHere;
    int failWriteNumber = 0;  // the n-th write (1-based) fails; 0: none
    int writes = 0;
    int closes = 0;
    std::vector<std::string> log;

    PortPrep PreparePort() override;
    void ClosePort(PortPrep p) override;
    int ClearAllContexts() override;
    int SetContext(int id, const std::string& apn) override;
    int UndefineContext(int id) override;
    int ReadContexts(EntryList& out) override;
    EntryList View() const;

private:
    bool WriteFails();
};

}  // namespace vr31k::test
