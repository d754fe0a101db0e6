#pragma once
// The history database's key in SQLCipher's raw-key form, "x'<64 hex digits>'": the
// engine uses those 32 bytes as the cipher key directly (the file keeps its own random
// salt for the page MACs) instead of stretching a pass phrase with 64,000 PBKDF2
// rounds at every open. The pass phrase is a constant of the program, so stretching it
// protects nothing; the file stays encrypted all the same.
#include <string>
#include <string_view>

namespace vr31k {

// HMAC-SHA-256 of a fixed label under the pass phrase, as the engine's raw key.
std::string RawHistoryKey(std::string_view passPhrase);

}  // namespace vr31k
