// The storage of the library's transient texts (the pieces of a text to
// read, the text jsSerialize writes), kept from call to call up to 1 MB:
// fresh memory costs a page fault every few kilobytes, which a host that
// reads or writes documents in a loop would pay every time, while a script
// that wrote one long text once should not pay for its storage as long as
// it keeps a container open.
#pragma once

#include <cstddef>

#include "json/frame/TextBuffer.h"

class CKeptStorage {
public:
    // The most storage kept for the next call; more is freed at once.
    static constexpr size_t kKeptBytes = 1 << 20;

    // Frees the storage unless it is lent out.
    void Release() {
        if (!m_bLent) m_buffer.Release();
    }

private:
    friend class CStorageLease;
    CTextBuffer m_buffer;
    bool m_bLent = false;
};

// Lends the kept storage, emptied, for the lifetime of the object, or storage
// of its own while the kept storage is lent already (a call the host makes
// from within its callback, while it still reads the text of another).
class CStorageLease {
public:
    explicit CStorageLease(CKeptStorage& kept) : m_kept(kept), m_bOwn(kept.m_bLent) {
        m_kept.m_bLent = true;
        Buffer().Clear();
    }
    ~CStorageLease() {
        if (m_bOwn) return;
        m_kept.m_bLent = false;
        if (m_kept.m_buffer.Capacity() > CKeptStorage::kKeptBytes) m_kept.m_buffer.Release();
    }
    CStorageLease(const CStorageLease&) = delete;
    CStorageLease& operator=(const CStorageLease&) = delete;

    CTextBuffer& Buffer() { return m_bOwn ? m_own : m_kept.m_buffer; }

private:
    CKeptStorage& m_kept;
    bool m_bOwn;
    CTextBuffer m_own;
};
