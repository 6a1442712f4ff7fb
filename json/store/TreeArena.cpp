// A bump allocator over blocks sized to the tree. The first, of 256 bytes,
// is part of the arena; the first from the heap is sized from the text (a
// byte for every eight units, from 256 bytes to 1 MB); each later one is a
// thirty-second of what the blocks hold so far, so that the unused end of
// the last one stays a small share of the tree.
#include "json/store/TreeArena.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

constexpr size_t kFirstBlockBytes = 256;
constexpr size_t kGrowthShare = 32;
constexpr size_t kTextShare = 8;
constexpr size_t kLargestFirstBlockBytes = 1 << 20;

// From the heap, as operator new gives it: aligned for any node Boost.JSON
// makes, more only when asked.
void* HeapAllocate(size_t nBytes, size_t nAlign) {
    if (nAlign <= __STDCPP_DEFAULT_NEW_ALIGNMENT__) return ::operator new(nBytes);
    return ::operator new (nBytes, std::align_val_t{nAlign});
}

void HeapFree(void* p, size_t nAlign) {
    if (nAlign <= __STDCPP_DEFAULT_NEW_ALIGNMENT__)
        ::operator delete(p);
    else
        ::operator delete (p, std::align_val_t{nAlign});
}

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

char* AlignUp(char* p, size_t nAlign) {
    const auto n = reinterpret_cast<uintptr_t>(p);
    return reinterpret_cast<char*>((n + nAlign - 1) & ~(uintptr_t{nAlign} - 1));
}

}  // namespace

CTreeArena::CTreeArena(size_t nTextUnits)
    : m_nFirstBlockBytes(std::clamp(nTextUnits / kTextShare, kFirstBlockBytes, kLargestFirstBlockBytes)) {}

CTreeArena::~CTreeArena() {
    for (const CBlock& block : m_blocks) ::operator delete(block.pBegin);
}

void CTreeArena::Seal() {
    m_bSealed = true;
    std::sort(m_blocks.begin(), m_blocks.end(),
              [](const CBlock& a, const CBlock& b) { return Address(a.pBegin) < Address(b.pBegin); });
}

void* CTreeArena::do_allocate(size_t nBytes, size_t nAlign) {
    if (m_bSealed) {
        void* const p = HeapAllocate(nBytes, nAlign);
        ++m_nHeapNodes;
        return p;
    }
    char* const p = AlignUp(m_pFree, nAlign);
    if (p <= m_pFreeEnd && static_cast<size_t>(m_pFreeEnd - p) >= nBytes) {
        m_pFree = p + nBytes;
        return p;
    }
    return NewBlock(nBytes, nAlign);
}

void CTreeArena::do_deallocate(void* p, size_t, size_t nAlign) {
    // With no node from the heap, every node freed is in a block: closing a
    // container that was never changed looks up no address.
    if (m_nHeapNodes == 0 || InBlock(p)) return;
    HeapFree(p, nAlign);
    --m_nHeapNodes;
}

// A node that would take more than half a new block has a block of its own;
// the current block keeps serving the small ones.
void* CTreeArena::NewBlock(size_t nBytes, size_t nAlign) {
    const size_t nBlockBytes =
        m_blocks.empty() ? m_nFirstBlockBytes : std::max(kFirstBlockBytes, m_nBlockBytes / kGrowthShare);
    const bool bOwn = nBytes + nAlign > nBlockBytes / 2;
    const size_t nSize = bOwn ? nBytes + nAlign : nBlockBytes;
    // Room for the block's entry first, so that a failure leaks nothing.
    if (m_blocks.size() == m_blocks.capacity()) m_blocks.reserve(2 * m_blocks.size() + 8);
    auto* const pBegin = static_cast<char*>(::operator new(nSize));
    m_blocks.push_back({pBegin, pBegin + nSize});
    m_nBlockBytes += nSize;
    char* const p = AlignUp(pBegin, nAlign);
    if (!bOwn) {
        m_pFree = p + nBytes;
        m_pFreeEnd = pBegin + nSize;
    }
    return p;
}

bool CTreeArena::InBlock(const void* p) const {
    const uintptr_t n = Address(p);
    if (n >= Address(m_inlineBlock) && n < Address(m_inlineBlock + kInlineBytes)) return true;
    const auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), n,
                                     [](uintptr_t q, const CBlock& block) { return q < Address(block.pBegin); });
    return it != m_blocks.begin() && n < Address(std::prev(it)->pEnd);
}
