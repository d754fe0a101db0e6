#pragma once
// Result codes of the card controller. The ranges are compared by every caller.
#include <cstdint>

namespace vr31k {

// Serial channel codes.
enum CommResult : int {
    COMM_OK = 0,
    COMM_ERR_OPEN = 1,     // not open (Write), or the device could not be opened twice (Open)
    COMM_ERR_CONFIG = 2,   // a configuration step, the reader's start or a step of Close failed
    COMM_ERR_NODATA = 3,   // Read found the receive queue empty
};

// Card controller codes.
inline constexpr unsigned CARD_OK = 0;
inline constexpr unsigned CARD_ERR_OPEN = 1;
inline constexpr unsigned CARD_ERR_CLOSE = 2;
inline constexpr unsigned CARD_ERR_RESULT = 3;
inline constexpr unsigned CARD_ERR_FORMAT = 4;
inline constexpr unsigned CARD_ERR_NOINFO = 5;
inline constexpr unsigned CARD_ERR_SEND = 6;
inline constexpr unsigned CARD_ERR_TIMEOUT = 7;
inline constexpr unsigned CARD_ERR_TRANSACT = 8;

// SIM states: the answer to "AT+CPIN?".
inline constexpr unsigned SIM_BUSY = 0x2001;
inline constexpr unsigned SIM_READY = 0x2002;
inline constexpr unsigned SIM_PIN_REQUIRED = 0x2003;
inline constexpr unsigned SIM_PUK_REQUIRED = 0x2004;
inline constexpr unsigned SIM_FAILURE = 0x2005;
inline constexpr unsigned SIM_WRONG = 0x2006;
inline constexpr unsigned SIM_NOT_INSERTED = 0x2007;

inline constexpr unsigned PIN_LOCK_OFF = 0x3000;
inline constexpr unsigned PIN_LOCK_ON = 0x3001;

// "+CME ERROR: n" arrives as CME_ERROR_BASE + n.
inline constexpr unsigned CME_ERROR_BASE = 0x4000;
inline constexpr unsigned CME_MAX_NUMBER = 0x3FFF;  // larger numbers would leave the range
inline constexpr unsigned CME_SIM_NOT_INSERTED = 10;
inline constexpr unsigned CME_PUK_REQUIRED = 12;
inline constexpr unsigned CME_SIM_FAILURE = 13;
inline constexpr unsigned CME_SIM_BUSY = 14;
inline constexpr unsigned CME_SIM_WRONG = 15;
inline constexpr unsigned CME_INCORRECT_PASSWORD = 16;
inline constexpr unsigned CARD_PUK_REQUIRED = CME_ERROR_BASE + CME_PUK_REQUIRED;          // 0x400C
inline constexpr unsigned CARD_SIM_FAILURE = CME_ERROR_BASE + CME_SIM_FAILURE;            // 0x400D
inline constexpr unsigned CARD_SIM_BUSY = CME_ERROR_BASE + CME_SIM_BUSY;                  // 0x400E
inline constexpr unsigned CARD_WRONG_PASSWORD = CME_ERROR_BASE + CME_INCORRECT_PASSWORD;  // 0x4010

inline constexpr unsigned CARD_ERR_EVENT = 0x8001;
inline constexpr unsigned CARD_ERR_PORT_SETUP = 0x8003;

// Card lookup codes.
inline constexpr int CARD_ERR_OS = 9;
inline constexpr int CARD_NOT_FOUND = 10;
inline constexpr int CARD_FOUND = 11;
inline constexpr int CARD_FOUND_SINGLE = 12;
inline constexpr int CARD_FOUND_COMPOSITE = 13;

// Number of packet contexts the card keeps (ids 1 to 10).
inline constexpr int kPdpContextCount = 10;

}  // namespace vr31k
