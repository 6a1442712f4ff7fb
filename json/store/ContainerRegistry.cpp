// Handle texts made from a permuted counter, and the ordered map from
// handle text to the container it names.
#include "json/store/ContainerRegistry.h"

#include <cassert>
#include <cstdlib>
#include <ctime>

#include "json/frame/UserException.h"

namespace {

// The largest prime below 2^32. It leaves remainder 3 modulo 4, so squaring
// modulo it, folded onto the upper half, permutes 1 .. p - 1.
constexpr uint64_t kPrime = 4294967291u;

std::u16string HandleText(bool bArray, uint32_t nNumber) {
    char16_t szDigits[10];
    size_t nDigits = 0;
    do {
        szDigits[nDigits++] = static_cast<char16_t>(u'0' + nNumber % 10);
        nNumber /= 10;
    } while (nNumber != 0);
    std::u16string strHandle = bArray ? u"*arr" : u"*obj";
    while (nDigits > 0) strHandle += szDigits[--nDigits];
    strHandle += u'*';
    return strHandle;
}

}  // namespace

CContainerRegistry::CContainerRegistry() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_nHandleSeed = static_cast<uint32_t>(std::rand() % 99 + 42);
}

uint32_t CContainerRegistry::HandleNumber(uint32_t nSeedBefore) {
    const uint32_t n = nSeedBefore + 1;
    if (nSeedBefore >= kPrime) return n;
    const uint64_t r = static_cast<uint64_t>(n) * n % kPrime;
    return static_cast<uint32_t>(n <= kPrime / 2 ? r : kPrime - r);
}

std::u16string CContainerRegistry::RegisterContainer(boost::json::value& jv, bool bMove) {
    std::u16string strHandle = NewHandle(jv);
    // In the ordinary heap: a move from another resource copies.
    Store(strHandle, {nullptr, bMove ? boost::json::value(std::move(jv), {}) : boost::json::value(jv, {})});
    if (bMove) jv = nullptr;
    return strHandle;
}

std::u16string CContainerRegistry::RegisterContainer(CParsedTree tree) {
    std::u16string strHandle = NewHandle(tree.root);
    tree.pArena->Seal();
    Store(strHandle, {std::move(tree.pArena), std::move(tree.root)});
    return strHandle;
}

std::u16string CContainerRegistry::NewHandle(const boost::json::value& root) {
    const uint32_t nNumber = HandleNumber(m_nHandleSeed++);
    if (!root.is_structured()) throw CUserException(kErrContainerExpected);
    return HandleText(root.is_array(), nNumber);
}

// A container never takes another's place by assignment, which would
// destroy its arena before its root: a handle that comes round again
// closes the container it named, and the new one is stored in its stead.
void CContainerRegistry::Store(const std::u16string& strHandle, CContainer container) {
    const auto [it, bStored] = m_Containers.try_emplace(strHandle, std::move(container));
    if (bStored) return;
    m_Containers.erase(it);
    m_Containers.try_emplace(strHandle, std::move(container));
}

boost::json::value& CContainerRegistry::FindContainer(std::u16string_view handle) {
    assert(handle.empty() || handle.back() != 0);
    const auto it = m_Containers.find(handle);
    if (it == m_Containers.end()) throw CUserException(kErrBadHandle);
    return it->second.root;
}

boost::json::value& CContainerRegistry::FindContainerRoot(std::u16string_view handle) {
    boost::json::value& root = FindContainer(handle);
    if (!root.is_structured()) throw CUserException(kErrCorrupt);
    return root;
}

void CContainerRegistry::CloseContainer(std::u16string_view handle) {
    if (const auto it = m_Containers.find(handle); it != m_Containers.end()) m_Containers.erase(it);
}
