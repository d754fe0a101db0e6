#pragma once
// Keeps an entry's saved user name and password out of plain view in the phonebook
// file: AES-256 in counter mode under a fixed key with a fresh random nonce, base64.
// This obscures; it does not protect against someone who can run this program's code,
// since the phonebook lives in a folder every local user can read (docs/dialup.md).
#include <optional>
#include <string>
#include <utility>

namespace vr31k {

std::string SealCredentials(const std::string& userName, const std::string& password);
// nullopt when the text is not a sealed pair (damaged or from another program).
std::optional<std::pair<std::string, std::string>> OpenCredentials(const std::string& sealed);

}  // namespace vr31k
