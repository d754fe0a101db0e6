#include "platform/linux/SdBusCall.h"

#include "common/TerminalText.h"

#include <cerrno>
#include <cstring>

namespace vr31k {

namespace {
// The most of a bus error's text that is passed on.
constexpr std::size_t kReasonChars = 200;
}  // namespace

std::string SdBusError::Text(int r) const {
    if (!sd_bus_error_is_set(&error)) return std::strerror(-r);
    return TerminalText(std::string(error.name) + ": " + (error.message ? error.message : ""), kReasonChars);
}

bool SdBusError::NoOwner() const {
    return sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER);
}

bool BusGone(int r) { return r == -ENOENT || r == -ECONNREFUSED || r == -ENOTCONN || r == -ECONNRESET; }

int NameHasOwner(sd_bus* bus, const char* name, SdBusError& error, std::chrono::milliseconds limit) {
    SdBusMessage reply;
    int r = CallMethod(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", name); }, error, reply, limit);
    int owned = 0;
    if (r >= 0) r = sd_bus_message_read(reply.get(), "b", &owned);
    return r < 0 ? r : owned;
}

}  // namespace vr31k
