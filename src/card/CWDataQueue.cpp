#include "card/CWDataQueue.h"

#include <new>

namespace vr31k {

int CWDataQueue::Push(std::string chunk) {
    const size_t size = chunk.size();
    try {
        m_chunks.push_back(std::move(chunk));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_bytes += size;
    return 1;
}

int CWDataQueue::Pop(std::string& chunk) {
    if (m_chunks.empty()) return 0;
    chunk = std::move(m_chunks.front());
    m_chunks.pop_front();
    m_bytes -= chunk.size();
    return 1;
}

int CWDataQueue::Clear() {
    m_chunks.clear();
    m_bytes = 0;
    return 1;
}

}  // namespace vr31k
