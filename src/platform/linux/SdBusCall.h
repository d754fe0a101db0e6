#pragma once
// One method call over an sd-bus connection, bounded, and the error it may bring back as
// text fit to show (whoever is on the bus writes it).
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace vr31k {

struct SdBusMessageFree {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using SdBusMessage = std::unique_ptr<sd_bus_message, SdBusMessageFree>;

struct SdBusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    SdBusError() = default;
    SdBusError(const SdBusError&) = delete;
    SdBusError& operator=(const SdBusError&) = delete;
    ~SdBusError() { sd_bus_error_free(&error); }
    // The error's name and message, shown never obeyed and bounded; strerror(-r) when
    // the failure was not the service's answer.
    std::string Text(int r) const;
    // The service is not on the bus.
    bool NoOwner() const;
    bool Has(const char* name) const { return sd_bus_error_has_name(&error, name) > 0; }
    // Ready for the next call again (sd-bus refuses a call with an error already set).
    void Clear() { sd_bus_error_free(&error); }
};

// Whether `r` (a failed call's result) means the bus itself is gone, not the service.
bool BusGone(int r);

// A method call that never has the bus start a service that is not running, waiting at
// most `limit` for the answer. `append` adds the arguments: int(sd_bus_message*).
template <class Append>
int CallMethod(sd_bus* bus, const char* service, const char* path, const char* interface, const char* member,
               Append append, SdBusError& error, SdBusMessage& reply, std::chrono::milliseconds limit) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus, &raw, service, path, interface, member);
    if (r < 0) return r;
    const SdBusMessage call(raw);
    if ((r = sd_bus_message_set_auto_start(raw, 0)) < 0 || (r = append(raw)) < 0) return r;
    sd_bus_message* answer = nullptr;
    r = sd_bus_call(bus, raw, static_cast<uint64_t>(std::chrono::microseconds(limit).count()), &error.error, &answer);
    reply.reset(answer);
    return r;
}

inline int NoArguments(sd_bus_message*) { return 0; }

// Whether `name` has an owner on the bus; negative on a failed call.
int NameHasOwner(sd_bus* bus, const char* name, SdBusError& error, std::chrono::milliseconds limit);

}  // namespace vr31k
