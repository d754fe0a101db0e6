#pragma once
// First-in-first-out list of byte chunks, one per read or write. Not thread-safe: the
// channel guards each queue with its own mutex.
#include <deque>
#include <string>

namespace vr31k {

class CWDataQueue {
public:
    // Appends a chunk (the queue takes it over). Returns 1, or 0 when it cannot be stored.
    int Push(std::string chunk);
    // Hands the oldest chunk over. Returns 1, or 0 (chunk untouched) when empty.
    int Pop(std::string& chunk);
    // Drops every chunk. Returns 1.
    int Clear();
    bool IsEmpty() const { return m_chunks.empty(); }
    // The bytes of all chunks held.
    size_t Bytes() const { return m_bytes; }

private:
    std::deque<std::string> m_chunks;
    size_t m_bytes = 0;
};

}  // namespace vr31k
