#pragma once
// One name looked up at one server through one interface: the doctor's connection
// test, which runs only when the user asks for it. It sends a single DNS question (a
// few dozen bytes) over the interface and waits a bounded while for the answer.
#include <chrono>
#include <cstddef>
#include <string>

namespace vr31k {

// The name the test asks for: one kept for examples, whose address every resolver knows.
inline constexpr const char* kTestName = "example.com";

struct NameQueryResult {
    bool sent = false;
    bool answered = false;      // an answer to our question came back in time
    int rcode = -1;             // the answer's response code (0: no error)
    std::string address;        // the first IPv4 address in it; empty when none
    size_t bytesSent = 0;       // on the wire: IP and UDP headers included
    size_t bytesReceived = 0;
    std::string error;          // why nothing was sent, or the answer could not be read
};

// Asks `server` (IPv4, `port`) for `name`'s address through `interfaceName` (bound to
// it, so another route cannot carry the question), waiting at most `wait`.
NameQueryResult QueryName(const std::string& server, const std::string& interfaceName, const std::string& name,
                          std::chrono::milliseconds wait, unsigned short port = 53);

}  // namespace vr31k
