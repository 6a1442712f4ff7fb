// The container registry: handle texts made from a permuted counter, and the
// ordered map from handle text to the container it names.
#include <cassert>

#include "json/ZorJson.h"
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

uint32_t CZorJson::HandleNumber(uint32_t nSeedBefore) {
    const uint32_t n = nSeedBefore + 1;
    if (nSeedBefore >= kPrime) return n;
    const uint64_t r = static_cast<uint64_t>(n) * n % kPrime;
    return static_cast<uint32_t>(n <= kPrime / 2 ? r : kPrime - r);
}

std::u16string CZorJson::RegisterContainer(boost::json::value& jv, bool bMove) {
    const uint32_t nNumber = HandleNumber(m_nHandleSeed++);
    if (!jv.is_structured()) throw CUserException(kErrContainerExpected);
    std::u16string strHandle = HandleText(jv.is_array(), nNumber);
    // Stored in the ordinary heap: a move from another resource copies.
    boost::json::value stored = bMove ? boost::json::value(std::move(jv), {}) : boost::json::value(jv, {});
    m_Containers.insert_or_assign(strHandle, std::move(stored));
    if (bMove) jv = nullptr;
    return strHandle;
}

boost::json::value& CZorJson::FindContainer(std::u16string_view strIndex) {
    assert(strIndex.empty() || strIndex.back() != 0);
    const auto it = m_Containers.find(strIndex);
    if (it == m_Containers.end()) throw CUserException(kErrBadHandle);
    return it->second;
}

boost::json::value& CZorJson::FindContainerRoot(std::u16string_view strIndex) {
    boost::json::value& root = FindContainer(strIndex);
    if (!root.is_structured()) throw CUserException(kErrCorrupt);
    return root;
}
