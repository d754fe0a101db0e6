#pragma once
// The entry credential file: ten slots of entry name, user name and password (257
// bytes each, NUL-terminated), 7,710 bytes encrypted as one RC4 block keyed from the
// pass phrase. The slot order is the order the entries are offered in.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr31k {

inline constexpr size_t kCredentialSlots = 10;
inline constexpr size_t kCredentialFieldBytes = 257;
inline constexpr size_t kCredentialSlotBytes = 3 * kCredentialFieldBytes;  // 771
inline constexpr size_t kCredentialFileBytes = kCredentialSlots * kCredentialSlotBytes;  // 7,710
inline constexpr const char* kPassPhrase = "QUILLET7";

// Result codes of the file operations.
enum CredentialResult : int {
    kCredentialOk = 0,
    kCredentialNoFile = 951,   // no path set, or the file cannot be opened or written
    kCredentialInvalid = 952,  // the decrypted content is not a credential table
};

enum class CredentialField { EntryName = 0, UserName = 1, Password = 2 };

class EntryCredentialStore {
public:
    using Block = std::array<uint8_t, kCredentialFileBytes>;

    EntryCredentialStore();  // every slot empty, no path
    void SetPath(std::string path) { m_path = std::move(path); }
    const std::string& Path() const { return m_path; }

    // Reads and decrypts the file into the table. A missing file leaves the table as it
    // was (951); a file of another size than 7,710 bytes, or content that fails
    // validation, empties the table (952).
    int Load();
    // Encrypts the table into a new file beside the old one and renames it over it,
    // so a crash or a full disk leaves the old file whole (951 when that fails).
    int Save() const;

    const Block& Table() const { return m_block; }
    // A field's text (up to its first NUL).
    std::string Field(size_t slot, CredentialField field) const;
    // Sets a field; at most 256 bytes are kept. False for a slot out of range.
    bool SetField(size_t slot, CredentialField field, std::string_view text);
    bool SlotEmpty(size_t slot) const;
    void ClearSlot(size_t slot);
    void ClearAll() { m_block.fill(0); }

private:
    std::string m_path;
    Block m_block{};
};

// RC4 over `data` in place with the key the default base provider derives from the
// pass phrase: the first 5 bytes of its MD5 digest followed by 11 zero bytes. The same
// call encrypts and decrypts.
void CryptCredentialBlock(uint8_t* data, size_t size, std::string_view passPhrase = kPassPhrase);

}  // namespace vr31k
