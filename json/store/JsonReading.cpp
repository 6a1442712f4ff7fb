// Reading JSON text with the library's reader: a handler that builds the
// tree, and one that builds nothing for the validity test.
#include "json/store/JsonReading.h"

#include <boost/json/error.hpp>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/value_stack.hpp>
#include <string>
#include <system_error>

#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "json/store/JsonReader.h"

namespace {

// First block of a parse's arena, on the stack: a small text is read with
// no allocation but the tree's own; the arena grows as the parse needs.
constexpr size_t kArenaBlock = 4096;

// Longest part of a number's text that an error names.
constexpr size_t kNamedDigits = 40;

// Builds the tree on a value stack, whose working storage is an arena made
// for the parse and freed as a whole with it; the values go to the tree's
// own arena, which the registry keeps with them, so they are never copied.
class CTreeBuilder {
public:
    static constexpr bool kBuildsValues = true;

    explicit CTreeBuilder(CTreeArena& tree) : m_arena(m_firstBlock, sizeof m_firstBlock), m_stack(&m_arena) {
        m_stack.reset(&tree);
    }
    CTreeBuilder(const CTreeBuilder&) = delete;
    CTreeBuilder& operator=(const CTreeBuilder&) = delete;
    boost::json::value Release() { return m_stack.release(); }

    void OnObjectBegin() {}
    void OnObjectEnd(size_t n) { m_stack.push_object(n); }
    void OnArrayBegin() {}
    void OnArrayEnd(size_t n) { m_stack.push_array(n); }
    void OnKey(std::string_view s) { m_stack.push_key(Text(s)); }
    void OnString(std::string_view s) { m_stack.push_string(Text(s)); }
    void OnInt64(int64_t n) { m_stack.push_int64(n); }
    void OnUint64(uint64_t n) { m_stack.push_uint64(n); }
    void OnDouble(double d) { m_stack.push_double(d); }
    void OnBool(bool b) { m_stack.push_bool(b); }
    void OnNull() { m_stack.push_null(); }

private:
    // An empty text of storage not yet made has no address; the value stack
    // copies from one all the same.
    static boost::json::string_view Text(std::string_view s) { return {s.empty() ? "" : s.data(), s.size()}; }

    unsigned char m_firstBlock[kArenaBlock];
    boost::json::monotonic_resource m_arena;
    boost::json::value_stack m_stack;
};

// Takes every value and builds nothing.
class CValidator {
public:
    static constexpr bool kBuildsValues = false;

    void OnObjectBegin() {}
    void OnObjectEnd(size_t) {}
    void OnArrayBegin() {}
    void OnArrayEnd(size_t) {}
};

boost::json::error ParserError(CReadError error) {
    switch (error) {
        case CReadError::Incomplete:
            return boost::json::error::incomplete;
        case CReadError::TooDeep:
            return boost::json::error::too_deep;
        case CReadError::ExpectedHexDigit:
            return boost::json::error::expected_hex_digit;
        case CReadError::IllegalLeadingSurrogate:
            return boost::json::error::illegal_leading_surrogate;
        case CReadError::IllegalTrailingSurrogate:
            return boost::json::error::illegal_trailing_surrogate;
        default:
            return boost::json::error::syntax;
    }
}

// Error 20105 for the number of szText at units [nStart, nEnd), beyond the
// largest double: the detail names it and where it stands.
[[noreturn]] void RefuseNumber(const char16_t* szText, size_t nStart, size_t nEnd) {
    const std::u16string_view units(szText + nStart, std::min(nEnd - nStart, kNamedDigits));
    const CTextPlace place = PlaceInText({szText, nStart}, nStart);
    throw CUserException(kErrParser, "number out of range: " + std::string(units.begin(), units.end()) +
                                         (nEnd - nStart > kNamedDigits ? "..." : "") + " at line " +
                                         std::to_string(place.nLine) + ", column " + std::to_string(place.nColumn));
}

}  // namespace

// A parse error is thrown with the parser's own description as its text.
CParsedTree ParseFirstValue(const char16_t* szText, CTextBuffer& scratch) {
    const std::u16string_view text = TrimmedText(szText);
    auto pArena = std::make_unique<CTreeArena>(text.size());
    CTreeBuilder builder(*pArena);
    const CReadEnd end = CJsonReader<CTreeBuilder>(builder, text, scratch).Read();
    const auto nOffset = static_cast<size_t>(text.data() - szText);
    if (end.error == CReadError::NumberOutOfRange) RefuseNumber(szText, nOffset + end.nUnit, nOffset + end.nErrorEnd);
    if (end.error != CReadError::None) throw std::system_error(boost::json::make_error_code(ParserError(end.error)));
    // Moved, not assigned: assigning would copy the tree into the heap.
    return {std::move(pArena), builder.Release()};
}

bool IsValidJson(const char16_t* szText) {
    const std::u16string_view text = TrimmedText(szText);
    CValidator validator;
    CTextBuffer unused;
    const CReadEnd end = CJsonReader<CValidator>(validator, text, unused).Read();
    return end.error == CReadError::None && end.nUnit == text.size() && end.bContainer;
}
