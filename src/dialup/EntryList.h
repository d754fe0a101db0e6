#pragma once
// The ten dial-up entries as every screen sees them: position k (0-9) holds the APN,
// which is also the entry's name, of entry k + 1 and of the card's packet context k + 1,
// or is empty.
#include <array>
#include <string>

namespace vr31k {

inline constexpr int kEntryCount = 10;
using EntryList = std::array<std::string, kEntryCount>;

// The factory entry: entry #1 with the carrier's default APN.
inline constexpr const char* kFactoryApn = "mobile.korvane.ne.jp";
inline constexpr const char* kFactoryUser = "kv";
inline constexpr const char* kFactoryPassword = "kv";

// "*99***N#": the dial string that selects the card's packet context N (1-10).
std::string DialStringFor(int position);

}  // namespace vr31k
