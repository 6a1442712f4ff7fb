// The storage of a tree that jsParse reads: while the tree is built, its
// nodes are taken from a few large blocks, which saves the heap a call for
// each node and frees them all at once when the container closes. Once
// built the arena is sealed: what the container allocates afterwards comes
// from the heap and goes back to it, so that a script that changes a parsed
// container over and over never makes it grow; what is freed from a block
// stays there until the container closes.
#pragma once

#include <boost/json/memory_resource.hpp>
#include <cstddef>
#include <vector>

class CTreeArena final : public boost::json::memory_resource {
public:
    // nTextUnits, the length of the text the tree is read from, sizes the
    // first block.
    explicit CTreeArena(size_t nTextUnits);
    CTreeArena(const CTreeArena&) = delete;
    CTreeArena& operator=(const CTreeArena&) = delete;
    ~CTreeArena() override;

    // Ends the building: later allocations come from the heap.
    void Seal();
    // Whether every node still allocated is in the arena's blocks, so that
    // freeing the arena frees the whole tree.
    bool HoldsEveryNode() const { return m_nHeapNodes == 0; }

private:
    struct CBlock {
        char* pBegin;
        char* pEnd;
    };

    void* do_allocate(size_t nBytes, size_t nAlign) override;
    void do_deallocate(void* p, size_t nBytes, size_t nAlign) override;
    bool do_is_equal(const memory_resource& other) const noexcept override { return this == &other; }

    void* NewBlock(size_t nBytes, size_t nAlign);
    bool InBlock(const void* p) const;

    // The first block, in the arena itself: a small text's tree takes no
    // block from the heap.
    static constexpr size_t kInlineBytes = 256;
    alignas(16) char m_inlineBlock[kInlineBytes];
    // Blocks from the heap in the order made, sorted by address once sealed.
    std::vector<CBlock> m_blocks;
    // The free part of the block that small nodes are taken from.
    char* m_pFree = m_inlineBlock;
    char* m_pFreeEnd = m_inlineBlock + kInlineBytes;
    size_t m_nBlockBytes = kInlineBytes;
    size_t m_nFirstBlockBytes;
    bool m_bSealed = false;
    // Nodes taken from the heap since sealing and not yet freed.
    size_t m_nHeapNodes = 0;
};
