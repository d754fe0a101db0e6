#pragma once
// What the entry changes and the synchronisation with the card need from the rest of
// the program. The dial-up and charge controller provides the entry book, the card
// controller (with the window's message boxes) the settings port, and each face its
// own answers to the questions.
#include "common/MessageBox.h"
#include "dialup/EntryList.h"

#include <string>
#include <vector>

namespace vr31k {

// The program's entries: phonebook and credential table kept in step.
class IEntryBook {
public:
    virtual ~IEntryBook() = default;
    // Creates the factory entry when there is no phonebook file yet.
    virtual int EnsurePhonebook() = 0;
    virtual int ListEntries(EntryList& out) = 0;
    virtual int AddEntry(int slot, const std::string& name, const std::string& user,
                         const std::string& password, const std::string& dialString) = 0;
    virtual int RemoveEntry(const std::string& name) = 0;
    virtual int ResetEntries() = 0;
    virtual int UpdateEntryCredentials(const std::string& name, const std::string& user,
                                       const std::string& password) = 0;
    virtual int RenameStoredEntry(const std::string& oldName, const std::string& newName) = 0;
    virtual int SetEntryPhoneNumber(const std::string& name, const std::string& dialString) = 0;
    // The user name, password and dial string the entry dials with.
    virtual int GetEntrySettings(const std::string& name, std::string& user, std::string& password,
                                 std::string& dialString) = 0;
    virtual int ValidateEntryName(const std::string& name, bool checkCharacters) = 0;
    virtual void SetEntryIndex(int index) = 0;
};

// How a settings task found the card's port.
enum class PortPrep {
    OpenedHere = 0,   // close it afterwards
    AlreadyOpen = 1,  // leave it open
    Failed = 2,       // its message has been shown; close it
};

// The card's packet-context table, reached through the command port.
class ICardContexts {
public:
    virtual ~ICardContexts() = default;
    virtual PortPrep PreparePort() = 0;
    // Closes the port unless it was already open before PreparePort.
    virtual void ClosePort(PortPrep prep) = 0;
    virtual int ClearAllContexts() = 0;                           // 0 on success
    virtual int SetContext(int id, const std::string& apn) = 0;   // id 1-10
    virtual int UndefineContext(int id) = 0;
    virtual int ReadContexts(EntryList& out) = 0;
};

}  // namespace vr31k
