#include "support/EntryFakes.h"

#include <algorithm>

namespace vr31k::test {

namespace {
FakeEntryBook::Slot* SlotOf(std::array<FakeEntryBook::Slot, kEntryCount>& table, const std::string& name) {
    const auto slot = std::find_if(table.begin(), table.end(), [&](const auto& s) { return s.name == name; });
    return slot != table.end() ? &*slot : nullptr;
}
}  // namespace

FakeEntryBook::Entry* FakeEntryBook::Find(const std::string& name) {
    for (Entry& e : phonebook) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

void FakeEntryBook::Put(int slot, const std::string& name, const std::string& user, const std::string& password) {
    phonebook.push_back({name, user, password, DialStringFor(slot + 1)});
    table[slot] = {name, user, password};
}

int FakeEntryBook::EnsurePhonebook() {
    if (phonebookExists) return 0;
    phonebookExists = true;
    return AddEntry(0, kFactoryApn, kFactoryUser, kFactoryPassword, DialStringFor(1));
}

int FakeEntryBook::ListEntries(EntryList& out) {
    out = EntryList{};
    std::vector<std::string> unknown;
    for (const Entry& e : phonebook) {
        const Slot* slot = SlotOf(table, e.name);
        if (slot == nullptr) unknown.push_back(e.name);
        else out[slot - table.data()] = e.name;
    }
    for (const std::string& name : unknown) RemoveEntry(name);
    return 0;
}

int FakeEntryBook::AddEntry(int slot, const std::string& name, const std::string& user,
                            const std::string& password, const std::string& dial) {
    log.push_back("add " + std::to_string(slot) + " " + name);
    if (failing == "add") return 624;
    if (Find(name) != nullptr) return 183;
    phonebook.push_back({name, user, password, dial});
    table[slot] = {name, user, password};
    return 0;
}

int FakeEntryBook::RemoveEntry(const std::string& name) {
    log.push_back("remove " + name);
    if (failing == "remove") return 624;
    auto it = std::find_if(phonebook.begin(), phonebook.end(), [&](const Entry& e) { return e.name == name; });
    if (it == phonebook.end()) return 623;
    phonebook.erase(it);
    if (Slot* slot = SlotOf(table, name)) *slot = Slot{};
    return 0;
}

int FakeEntryBook::ResetEntries() {
    log.push_back("reset");
    if (failing == "reset") return 624;
    phonebook.clear();
    table = {};
    return 0;
}

int FakeEntryBook::UpdateEntryCredentials(const std::string& name, const std::string& user,
                                          const std::string& password) {
    log.push_back("credentials " + name);
    if (failing == "credentials") return 624;
    Entry* e = Find(name);
    if (e == nullptr) return 623;
    e->user = user;
    e->password = password;
    if (Slot* slot = SlotOf(table, name)) *slot = {name, user, password};
    return 0;
}

int FakeEntryBook::RenameStoredEntry(const std::string& oldName, const std::string& newName) {
    log.push_back("rename " + oldName + " " + newName);
    if (failing == "rename") return 624;
    Entry* e = Find(oldName);
    if (e == nullptr) return 623;
    if (Find(newName) != nullptr) return 183;
    e->name = newName;
    if (Slot* slot = SlotOf(table, oldName)) slot->name = newName;
    return 0;
}

int FakeEntryBook::SetEntryPhoneNumber(const std::string& name, const std::string& dial) {
    Entry* e = Find(name);
    if (e == nullptr) return 623;
    e->dial = dial;
    return 0;
}

int FakeEntryBook::GetEntrySettings(const std::string& name, std::string& user, std::string& password,
                                    std::string& dial) {
    Entry* e = Find(name);
    if (e == nullptr) return 0;
    user = e->user;
    password = e->password;
    dial = e->dial;
    return 0;
}

int FakeEntryBook::ValidateEntryName(const std::string& name, bool checkCharacters) {
    if (name.empty()) return 903;
    if (Find(name) != nullptr) return 183;
    if (name.size() > 100) return 904;
    if (checkCharacters) {
        const std::string allowed = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890.-";
        if (name.find_first_not_of(allowed) != std::string::npos) return 123;
        if (name.front() == '-' || name.front() == '.' || name.back() == '-' || name.back() == '.') return 123;
    }
    return 0;
}

PortPrep FakeCard::PreparePort() {
    log.push_back("prepare");
    return prep;
}

void FakeCard::ClosePort(PortPrep p) {
    log.push_back("close");
    if (p != PortPrep::AlreadyOpen) ++closes;
}

bool FakeCard::WriteFails() { return ++writes == failWriteNumber; }

int FakeCard::ClearAllContexts() {
    log.push_back("clear");
    if (WriteFails()) return 0x4000 + 3;
    contexts = {};
    return 0;
}

int FakeCard::SetContext(int id, const std::string& apn) {
    log.push_back("set " + std::to_string(id) + " " + apn);
    if (WriteFails()) return 0x4000 + 3;
    contexts[id - 1] = apn;
    return 0;
}

int FakeCard::UndefineContext(int id) {
    log.push_back("undefine " + std::to_string(id));
    if (WriteFails()) return 0x4000 + 3;
    contexts[id - 1].reset();
    return 0;
}

int FakeCard::ReadContexts(EntryList& out) {
    out = View();
    return 0;
}

EntryList FakeCard::View() const {
    EntryList view;
    for (int k = 0; k < kEntryCount; ++k) view[k] = contexts[k].value_or("");
    return view;
}

}  // namespace vr31k::test
