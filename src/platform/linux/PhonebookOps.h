#pragma once
// The dial-up service's phonebook operations on a phonebook file path: each one loads
// the file under its lock, checks, changes and saves it. Results as in DialupService.h.
#include "platform/DialupService.h"

#include <string>
#include <vector>

namespace vr31k {

int PhonebookValidateEntryName(const std::string& phonebook, const std::string& name);
int PhonebookGetEntryProperties(const std::string& phonebook, const std::string& name, EntryProperties& out);
int PhonebookSetEntryProperties(const std::string& phonebook, const std::string& name, const EntryProperties& p);
int PhonebookGetEntryDialParams(const std::string& phonebook, const std::string& name, DialParams& out);
int PhonebookSetEntryDialParams(const std::string& phonebook, const DialParams& params, bool removePassword);
int PhonebookEnumEntries(const std::string& phonebook, std::vector<std::string>& names);
int PhonebookRenameEntry(const std::string& phonebook, const std::string& oldName, const std::string& newName);
int PhonebookDeleteEntry(const std::string& phonebook, const std::string& name);
// Creates the entry's section when it has none, as the profile functions do.
int PhonebookWriteEntryKey(const std::string& phonebook, const std::string& name, const std::string& key,
                           const std::string& value);

}  // namespace vr31k
