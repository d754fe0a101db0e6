#include "accounting/HistoryKey.h"

#include <nettle/hmac.h>

#include <cstdint>

namespace vr31k {

namespace {

// Never change the label: it is part of every history file's key, and a file under a
// key nothing derives any more would be taken for unreadable and moved aside.
constexpr std::string_view kLabel = "VR31K history database key 1";

}  // namespace

std::string RawHistoryKey(std::string_view passPhrase) {
    hmac_sha256_ctx ctx;
    hmac_sha256_set_key(&ctx, passPhrase.size(), reinterpret_cast<const uint8_t*>(passPhrase.data()));
    hmac_sha256_update(&ctx, kLabel.size(), reinterpret_cast<const uint8_t*>(kLabel.data()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    hmac_sha256_digest(&ctx, sizeof digest, digest);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string key = "x'";
    for (const uint8_t byte : digest) {
        key.push_back(kHex[byte >> 4]);
        key.push_back(kHex[byte & 0xf]);
    }
    key.push_back('\'');
    return key;
}

}  // namespace vr31k
