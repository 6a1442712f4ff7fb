// Storage for a long text that is written in place.
#include "json/frame/TextBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <new>

// Grown by realloc, which can move a large block's pages rather than copy
// them and never touches the text again.
char* CTextBuffer::Reserve(size_t nBytes) {
    if (m_nCapacity - m_nSize < nBytes) {
        const size_t nCapacity = std::max(m_nCapacity * 2, m_nSize + nBytes);
        void* pData = std::realloc(m_pData.get(), nCapacity);
        if (pData == nullptr) throw std::bad_alloc();
        m_pData.release();
        m_pData.reset(static_cast<char*>(pData));
        m_nCapacity = nCapacity;
    }
    return m_pData.get() + m_nSize;
}

void CTextBuffer::Release() {
    m_pData.reset();
    m_nSize = 0;
    m_nCapacity = 0;
}
