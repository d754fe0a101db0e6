#include "accounting/EntryCredentialStore.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>

#include <algorithm>
#include <cstring>

namespace vr31k {

namespace {

constexpr size_t kBaseProviderKeyBytes = 5;   // 40-bit RC4 key ...
constexpr size_t kDerivedKeyBytes = 16;       // ... zero-padded to 128 bits

size_t FieldOffset(size_t slot, CredentialField field) {
    return slot * kCredentialSlotBytes + static_cast<size_t>(field) * kCredentialFieldBytes;
}

bool EveryFieldTerminated(const EntryCredentialStore::Block& block) {
    for (size_t slot = 0; slot < kCredentialSlots; ++slot) {
        for (auto field : {CredentialField::EntryName, CredentialField::UserName, CredentialField::Password}) {
            if (block[FieldOffset(slot, field) + kCredentialFieldBytes - 1] != 0) return false;
        }
    }
    return true;
}

}  // namespace

void CryptCredentialBlock(uint8_t* data, size_t size, std::string_view passPhrase) {
    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, passPhrase.size(), reinterpret_cast<const uint8_t*>(passPhrase.data()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&md5, sizeof digest, digest);

    uint8_t key[kDerivedKeyBytes] = {};
    std::memcpy(key, digest, kBaseProviderKeyBytes);
    arcfour_ctx rc4;
    arcfour_set_key(&rc4, sizeof key, key);
    arcfour_crypt(&rc4, size, data, data);
}

EntryCredentialStore::EntryCredentialStore() = default;

int EntryCredentialStore::Load() {
    if (m_path.empty()) return kCredentialNoFile;
    // Every save writes the whole table: a file of any other size was cut short or
    // written by something else, and half a table read as whole would lose the rest.
    std::string bytes;
    switch (ReadRegularFile(m_path, kCredentialFileBytes, bytes)) {
    case ReadResult::Ok: break;
    case ReadResult::TooLarge: bytes.clear(); break;
    case ReadResult::Missing:
    case ReadResult::NotRegular:
    case ReadResult::Failed: return kCredentialNoFile;
    }
    m_block.fill(0);
    if (bytes.size() != kCredentialFileBytes) return kCredentialInvalid;
    std::copy_n(bytes.begin(), kCredentialFileBytes, m_block.begin());
    std::fill(bytes.begin(), bytes.end(), '\0');
    CryptCredentialBlock(m_block.data(), m_block.size());
    if (EveryFieldTerminated(m_block)) return kCredentialOk;
    m_block.fill(0);
    return kCredentialInvalid;
}

int EntryCredentialStore::Save() const {
    if (m_path.empty()) return kCredentialNoFile;
    Block copy = m_block;
    CryptCredentialBlock(copy.data(), copy.size());
    const std::string_view data(reinterpret_cast<const char*>(copy.data()), copy.size());
    const int error = WriteFileAtomically(m_path, data, SharedFileMode(ParentFolder(m_path)));
    std::fill(copy.begin(), copy.end(), 0);
    return error == 0 ? kCredentialOk : kCredentialNoFile;
}

std::string EntryCredentialStore::Field(size_t slot, CredentialField field) const {
    if (slot >= kCredentialSlots) return {};
    const char* start = reinterpret_cast<const char*>(m_block.data() + FieldOffset(slot, field));
    return std::string(start, strnlen(start, kCredentialFieldBytes));
}

bool EntryCredentialStore::SetField(size_t slot, CredentialField field, std::string_view text) {
    if (slot >= kCredentialSlots) return false;
    uint8_t* start = m_block.data() + FieldOffset(slot, field);
    std::fill(start, start + kCredentialFieldBytes, 0);
    // An embedded NUL would end the text there anyway.
    text = text.substr(0, std::min(text.find('\0'), kCredentialFieldBytes - 1));
    std::memcpy(start, text.data(), text.size());
    return true;
}

bool EntryCredentialStore::SlotEmpty(size_t slot) const {
    if (slot >= kCredentialSlots) return true;
    const auto begin = m_block.begin() + static_cast<std::ptrdiff_t>(slot * kCredentialSlotBytes);
    return std::all_of(begin, begin + kCredentialSlotBytes, [](uint8_t b) { return b == 0; });
}

void EntryCredentialStore::ClearSlot(size_t slot) {
    if (slot >= kCredentialSlots) return;
    const auto begin = m_block.begin() + static_cast<std::ptrdiff_t>(slot * kCredentialSlotBytes);
    std::fill(begin, begin + kCredentialSlotBytes, 0);
}

}  // namespace vr31k
