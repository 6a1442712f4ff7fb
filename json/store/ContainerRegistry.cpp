// Handle texts made from a permuted counter, and the ordered map from
// handle text to the container it names.
#include "json/store/ContainerRegistry.h"

#include <cassert>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <new>

#include "json/frame/UserException.h"

namespace {

// The largest prime below 2^32. It leaves remainder 3 modulo 4, so squaring
// modulo it, folded onto the upper half, permutes 1 .. p - 1.
constexpr uint64_t kPrime = 4294967291u;

// "*arr" or "*obj", the number's digits, "*": written right to left into a
// buffer that fits the longest, then made a string at once.
std::u16string HandleText(bool bArray, uint32_t nNumber) {
    char16_t szText[16];
    char16_t* p = std::end(szText);
    *--p = u'*';
    do {
        *--p = static_cast<char16_t>(u'0' + nNumber % 10);
        nNumber /= 10;
    } while (nNumber != 0);
    p -= 4;
    std::char_traits<char16_t>::copy(p, bArray ? u"*arr" : u"*obj", 4);
    return {p, std::end(szText)};
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

const std::u16string& CContainerRegistry::RegisterContainer(boost::json::value& jv, bool bMove) {
    std::u16string strHandle = NewHandle(jv);
    // In the ordinary heap: a move from another resource copies.
    const std::u16string& strStored = Store(
        std::move(strHandle), {nullptr, bMove ? boost::json::value(std::move(jv), {}) : boost::json::value(jv, {})});
    if (bMove) jv = nullptr;
    return strStored;
}

const std::u16string& CContainerRegistry::RegisterContainer(CParsedTree tree) {
    std::u16string strHandle = NewHandle(tree.root);
    tree.pArena->Seal();
    return Store(std::move(strHandle), {std::move(tree.pArena), std::move(tree.root)});
}

std::u16string CContainerRegistry::NewHandle(const boost::json::value& root) {
    const uint32_t nNumber = HandleNumber(m_nHandleSeed++);
    if (!root.is_structured()) throw CUserException(kErrContainerExpected);
    return HandleText(root.is_array(), nNumber);
}

// A container never takes another's place by assignment, which would
// destroy its arena before its root: a handle that comes round again
// closes the container it named, and the new one is stored in its stead.
// try_emplace leaves its arguments as they were when the handle is taken.
const std::u16string& CContainerRegistry::Store(std::u16string strHandle, CContainer container) {
    auto [it, bStored] = m_Containers.try_emplace(std::move(strHandle), std::move(container));
    if (!bStored) {
        m_Containers.erase(it);
        it = m_Containers.try_emplace(std::move(strHandle), std::move(container)).first;
    }
    return it->first;
}

// A tree wholly in its arena goes with the arena: its nodes are not walked
// one by one to be given back to blocks that are freed whole. The root is
// overwritten unwalked (its nodes hold no counted storage: the tree refers
// to its arena by plain pointer), then the arena goes.
CContainerRegistry::CContainer::~CContainer() {
    if (pArena && pArena->HoldsEveryNode()) ::new (&root) boost::json::value();
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
