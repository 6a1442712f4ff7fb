// Storage for a long text that is written in place: it is not cleared
// before it is written, and it keeps what it holds when it grows.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

class CTextBuffer {
public:
    std::string_view View() const { return {m_pData.get(), m_nSize}; }
    char* Data() const { return m_pData.get(); }
    size_t Capacity() const { return m_nCapacity; }

    // Room for nBytes after the text, which stays as it is. The storage
    // grows at least twofold, so that growing by small steps stays cheap.
    char* Reserve(size_t nBytes) {
        if (m_nCapacity - m_nSize < nBytes) Grow(nBytes);
        return m_pData.get() + m_nSize;
    }
    // Adds the nBytes written into the room to the text.
    void Commit(size_t nBytes) { m_nSize += nBytes; }
    // Empties the text; the storage stays for the next one.
    void Clear() { m_nSize = 0; }
    // Empties the text and frees the storage.
    void Release();

private:
    void Grow(size_t nBytes);

    std::unique_ptr<char[]> m_pData;
    size_t m_nSize = 0;
    size_t m_nCapacity = 0;
};
