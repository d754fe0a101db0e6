#pragma once
// Pure parsers of the card's replies. A reply is the raw text the card sent for one
// command: "\r\n" before and after every line (V1 replies), the information line(s),
// then a final result line.
#include "card/CardResults.h"

#include <array>
#include <string>
#include <string_view>

namespace vr31k {

using PdpContextList = std::array<std::string, kPdpContextCount>;

// Reduces `reply` to its first information line ("OK" when there is none) and returns
// CARD_OK when the reply holds "\r\nOK\r\n"; otherwise the first line (an "ERROR" or
// "+CME ERROR: n" line) with CARD_ERR_FORMAT. Replies shorter than 6 characters are
// left as they are (CARD_ERR_FORMAT).
unsigned ParseFinalResult(std::string& reply, std::string& remainder);

// "+CME ERROR: n" -> n. False for other lines, a missing number or one out of range.
bool ParseCmeError(std::string_view line, unsigned& number);

// The line left by ParseFinalResult for "AT+CNUM".
unsigned ParseSubscriberNumber(std::string_view line, std::string& number, int& type);

// The whole raw reply to "AT+CGDCONT?". Context ids outside 1-10 are ignored.
void ParsePdpContexts(std::string_view reply, PdpContextList& list);

// The line of "AT+CPIN?" as a SIM state, or CARD_ERR_FORMAT.
unsigned SimStateOfLine(std::string_view line);

// True once `reply` holds a complete final result line: OK, ERROR, +CME ERROR: n,
// or a dial result (CONNECT, NO CARRIER, BUSY, NO DIALTONE, NO ANSWER).
bool HasFinalResult(std::string_view reply);

// What the echo of `echo` (command plus CR) leaves of the front of `reply`:
//   Stripped  - the echo was there and is removed,
//   Partial   - `reply` is so far only the beginning of the echo: wait for more,
//   None      - the reply does not begin with the echo.
enum class EchoCut { None, Stripped, Partial };
EchoCut CutEcho(std::string& reply, std::string_view echo);

}  // namespace vr31k
