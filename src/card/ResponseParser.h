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

// Lines a card sends unasked, before, inside or after a reply: a "+XXX:" or "^XXX:"
// line other than the information lines of `command` (signal, registration, boot and
// SIM notices), RING, and NO CARRIER (a dropped call) except in answer to a dial.
bool IsUnsolicited(std::string_view line, std::string_view command);

// `reply` without its unsolicited lines and without a stray echo of `command`, each
// taken out with the line break that follows it.
std::string WithoutUnsolicited(std::string_view reply, std::string_view command);

// True when `reply` holds a line that is neither unsolicited nor the echo: a burst of
// unsolicited lines alone is no answer to `command`.
bool HasReplyLines(std::string_view reply, std::string_view command);

// Reduces the reply to `command` to its first information line ("OK" when there is
// none) and returns CARD_OK when the reply holds "\r\nOK\r\n"; otherwise the first
// line (an "ERROR" or "+CME ERROR: n" line) with CARD_ERR_FORMAT. Unsolicited lines
// are skipped first. Replies shorter than 6 characters are left as they are
// (CARD_ERR_FORMAT).
unsigned ParseFinalResult(std::string& reply, std::string& remainder, std::string_view command);

// "+CME ERROR: n" -> n. False for other lines, a missing number or one out of range.
bool ParseCmeError(std::string_view line, unsigned& number);

// The line left by ParseFinalResult for "AT+CNUM".
unsigned ParseSubscriberNumber(std::string_view line, std::string& number, int& type);

// The whole raw reply to "AT+CGDCONT?". Context ids outside 1-10 are ignored.
void ParsePdpContexts(std::string_view reply, PdpContextList& list);

// The line of "AT+CPIN?" as a SIM state, or CARD_ERR_FORMAT.
unsigned SimStateOfLine(std::string_view line);

// The line of "AT+CLCK="SC",2": PIN_LOCK_OFF for "+CLCK: 0", PIN_LOCK_ON for
// "+CLCK: 1", CME_ERROR_BASE + n for "+CME ERROR: n", else CARD_ERR_FORMAT.
unsigned PinLockStateOfLine(std::string_view line);

// The information line of "AT##EANT": the value of its first character, 0-9 (a
// character that is no digit counts 0). The pictures show 0-4; any other level has a
// picture of its own.
int AntennaLevelOfLine(std::string_view line);

// The information line of "AT##ERCN": the decimal number at its start, 0 when there is
// none (no attempts left as far as the card tells).
int AttemptsOfLine(std::string_view line);

// True once the reply to `command` holds a complete final result line: OK, ERROR,
// +CME ERROR: n, or a dial result (CONNECT, BUSY, NO DIALTONE, NO ANSWER, and NO
// CARRIER in answer to a dial). Unsolicited lines end nothing.
bool HasFinalResult(std::string_view reply, std::string_view command);

// What the echo of `echo` (command plus CR) leaves of the front of `reply`:
//   Stripped  - the echo was there and is removed,
//   Partial   - `reply` is so far only the beginning of the echo: wait for more,
//   None      - the reply does not begin with the echo.
enum class EchoCut { None, Stripped, Partial };
EchoCut CutEcho(std::string& reply, std::string_view echo);

}  // namespace vr31k
