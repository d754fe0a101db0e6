#pragma once
// The modem half of a dial, as chat does it: "AT" until OK, then the dial string until
// CONNECT or a failure word. Logs in chat's words so the same log reader understands it.
#include <functional>
#include <string>

namespace vr31k::sim {

using LogLine = std::function<void(const std::string&)>;

// Opens the tty at 115200 8N1 with hardware flow control, raw. -1 and errno on failure.
int OpenModemPort(const std::string& port);

// 0 on CONNECT, else the failure's dial-up error number (678 no answer or time-out,
// 651 ERROR, 676 BUSY, 680 NO DIALTONE, 619 the port hung up).
int DialOverSerial(int fd, const std::string& dialString, int answerTimeoutMs, const LogLine& log);

}  // namespace vr31k::sim
