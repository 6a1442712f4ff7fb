// Storage for a long text that is written in place.
#include "json/frame/TextBuffer.h"

#include <algorithm>
#include <cstring>

char* CTextBuffer::Reserve(size_t nBytes) {
    if (m_nCapacity - m_nSize < nBytes) {
        const size_t nCapacity = std::max(m_nCapacity * 2, m_nSize + nBytes);
        std::unique_ptr<char[]> pData(new char[nCapacity]);
        if (m_nSize > 0) std::memcpy(pData.get(), m_pData.get(), m_nSize);
        m_pData = std::move(pData);
        m_nCapacity = nCapacity;
    }
    return m_pData.get() + m_nSize;
}

void CTextBuffer::Release() {
    m_pData.reset();
    m_nSize = 0;
    m_nCapacity = 0;
}
