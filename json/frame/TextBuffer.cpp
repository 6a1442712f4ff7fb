// Storage for a long text that is written in place.
#include "json/frame/TextBuffer.h"

#include <algorithm>
#include <cstring>

void CTextBuffer::Grow(size_t nBytes) {
    const size_t nCapacity = std::max(m_nCapacity * 2, m_nSize + nBytes);
    std::unique_ptr<char[]> pData(new char[nCapacity]);
    if (m_nSize > 0) std::memcpy(pData.get(), m_pData.get(), m_nSize);
    m_pData = std::move(pData);
    m_nCapacity = nCapacity;
}

void CTextBuffer::Release() {
    m_pData.reset();
    m_nSize = 0;
    m_nCapacity = 0;
}
