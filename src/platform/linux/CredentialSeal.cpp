#include "platform/linux/CredentialSeal.h"

#include <nettle/aes.h>
#include <nettle/base64.h>
#include <nettle/ctr.h>
#include <nettle/sha2.h>
#include <sys/random.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <cstring>
#include <vector>

namespace vr31k {

namespace {

constexpr const char kPrefix[] = "v1:";
constexpr size_t kNonceSize = AES_BLOCK_SIZE;

void Crypt(const uint8_t* nonce, const uint8_t* in, uint8_t* out, size_t length) {
    static constexpr char kLabel[] = "VR31KUTL.pbk saved dial parameters";
    uint8_t key[SHA256_DIGEST_SIZE];
    sha256_ctx hash;
    sha256_init(&hash);
    sha256_update(&hash, sizeof kLabel - 1, reinterpret_cast<const uint8_t*>(kLabel));
    sha256_digest(&hash, sizeof key, key);
    aes256_ctx aes;
    aes256_set_encrypt_key(&aes, key);
    uint8_t counter[kNonceSize];
    std::memcpy(counter, nonce, kNonceSize);
    ctr_crypt(&aes, reinterpret_cast<nettle_cipher_func*>(aes256_encrypt), AES_BLOCK_SIZE, counter,
              length, out, in);
}

}  // namespace

std::string SealCredentials(const std::string& userName, const std::string& password) {
    std::vector<uint8_t> plain(userName.begin(), userName.end());
    plain.push_back(0);
    plain.insert(plain.end(), password.begin(), password.end());

    std::vector<uint8_t> sealed(kNonceSize + plain.size());
    if (getrandom(sealed.data(), kNonceSize, 0) != static_cast<ssize_t>(kNonceSize)) {
        // No entropy source: a time-and-address nonce still never repeats in practice here.
        const auto fallback = reinterpret_cast<uintptr_t>(&sealed) ^ static_cast<uintptr_t>(time(nullptr));
        std::memcpy(sealed.data(), &fallback, sizeof fallback);
    }
    Crypt(sealed.data(), plain.data(), sealed.data() + kNonceSize, plain.size());

    std::string text(BASE64_ENCODE_RAW_LENGTH(sealed.size()), '\0');
    base64_encode_raw(text.data(), sealed.size(), sealed.data());
    return kPrefix + text;
}

std::optional<std::pair<std::string, std::string>> OpenCredentials(const std::string& text) {
    const size_t prefixLength = sizeof kPrefix - 1;
    if (text.compare(0, prefixLength, kPrefix) != 0) return std::nullopt;
    const std::string body = text.substr(prefixLength);
    std::vector<uint8_t> sealed(BASE64_DECODE_LENGTH(body.size()));
    base64_decode_ctx ctx;
    base64_decode_init(&ctx);
    size_t length = sealed.size();
    if (!base64_decode_update(&ctx, &length, sealed.data(), body.size(), body.data()) ||
        !base64_decode_final(&ctx) || length < kNonceSize + 1) {
        return std::nullopt;
    }
    std::vector<uint8_t> plain(length - kNonceSize);
    Crypt(sealed.data(), sealed.data() + kNonceSize, plain.data(), plain.size());
    const auto separator = std::find(plain.begin(), plain.end(), uint8_t{0});
    if (separator == plain.end()) return std::nullopt;
    return std::make_pair(std::string(plain.begin(), separator), std::string(separator + 1, plain.end()));
}

}  // namespace vr31k
