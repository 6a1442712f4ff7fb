// The reader of JSON text, over the host's UTF-16 units as they are, with
// no conversion of the text first. It accepts exactly what the library's
// rules accept: JSON, with comments wherever white space may stand, a
// trailing comma in arrays and objects, nesting up to 512 levels, and
// numbers within the range of a double. It reads the first value and the
// white space and comments after it, and stops at anything else.
//
// A handler receives the values as they are read: containers as they open
// and close (with their sizes), keys and strings as UTF-8 (a lone surrogate
// as U+FFFD, as the host's texts convert), numbers as the parser of
// Boost.JSON would give them but doubles correctly rounded. A handler that
// only validates sets kBuildsValues to false, and the reader then neither
// converts strings nor rounds doubles.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/frame/DecimalDouble.h"
#include "json/frame/NumberReading.h"
#include "json/frame/TextBuffer.h"
#include "platform/Simd.h"
#include "platform/Utf8Codec.h"

// The deepest nesting read: the deepest that jsValueAdd builds, so that
// every container the library writes out reads back in.
constexpr size_t kMaxReadDepth = 512;

// Why a reading stopped short: the errors of Boost.JSON's parser under the
// same rules (its descriptions are the ones scripts see), and a number
// beyond the largest double.
enum class CReadError : uint8_t {
    None,
    Syntax,
    Incomplete,
    TooDeep,
    ExpectedHexDigit,
    IllegalLeadingSurrogate,
    IllegalTrailingSurrogate,
    NumberOutOfRange,
};

struct CReadEnd {
    CReadError error = CReadError::None;
    size_t nUnit = 0;         // where reading stopped: the error's place, or the first unit left unread
    size_t nErrorEnd = 0;     // for NumberOutOfRange, the end of the number that starts at nUnit
    bool bContainer = false;  // the first value is an array or object
};

template <class Handler>
class CJsonReader {
public:
    // Reads text, whose strings convert into scratch.
    CJsonReader(Handler& handler, std::u16string_view text, CTextBuffer& scratch)
        : m_handler(handler),
          m_pBegin(text.data()),
          m_p(text.data()),
          m_pEnd(text.data() + text.size()),
          m_scratch(scratch) {}

    CReadEnd Read();

private:
    // Where the parts of a number's text stand (an empty fraction when it
    // has none), and its sign and exponent.
    struct CNumberText {
        const char16_t* pStart = nullptr;
        bool bNegative = false;
        const char16_t* pInteger = nullptr;
        const char16_t* pIntegerEnd = nullptr;
        const char16_t* pFraction = nullptr;
        const char16_t* pFractionEnd = nullptr;
        bool bExponent = false;
        int64_t nExponent = 0;

        bool IsInteger() const { return pFraction == pFractionEnd && !bExponent; }
    };

    static bool IsDigit(char16_t u) { return platform::IsDecimalDigit(u); }

    // Hands a value to a handler that builds values.
    template <class Event>
    bool Emit(Event event) {
        if constexpr (Handler::kBuildsValues) event(m_handler);
        return true;
    }

    bool Fail(CReadError error) {
        m_end.error = error;
        return false;
    }
    // At the end of the text, a value or a token was cut short; else the
    // unit at hand is not what the grammar allows.
    bool FailHere() { return Fail(m_p == m_pEnd ? CReadError::Incomplete : CReadError::Syntax); }

    bool SkipSpace(bool bAfterDocument);
    bool SkipSpaceRun(bool bAfterDocument);
    bool SkipComment(bool bAfterDocument);
    bool ReadValue(size_t nDepth);
    bool ReadArray(size_t nDepth);
    bool ReadObject(size_t nDepth);
    template <char16_t kClose, class ReadItem>
    bool ReadItems(size_t& nCount, ReadItem readItem);
    bool ReadKey();
    bool ReadScalar();
    bool ReadLiteral(std::u16string_view word);
    bool ReadString(bool bKey);
    void SkipPlainRun();
    void CopyPlainRun();
    bool ReadEscape();
    bool ReadHex(char32_t& c);
    bool ReadNumber();
    const char16_t* SkipDigits(const char16_t* p) const;
    template <class Kernel, class Plain>
    const char16_t* RunEnd(const char16_t* p, Kernel kernel, Plain bPlain) const;
    static bool IntegerFits(const CNumberText& text);
    uint64_t AppendDigits(uint64_t nValue, const char16_t* p, const char16_t* pEnd) const;
    CDecimal DecimalOf(const CNumberText& text) const;
    bool EmitInteger(const CNumberText& text);
    bool EmitDouble(const CNumberText& text);
    void AppendUnits(const char16_t* pBegin, const char16_t* pEnd);
    void AppendCodePoint(char32_t c);

    Handler& m_handler;
    const char16_t* const m_pBegin;
    const char16_t* m_p;
    const char16_t* const m_pEnd;
    CTextBuffer& m_scratch;
    CReadEnd m_end;
};

// The first value and the white space and comments after it.
template <class Handler>
CReadEnd CJsonReader<Handler>::Read() {
    if (SkipSpace(false)) {
        m_end.bContainer = *m_p == '[' || *m_p == '{';
        if (ReadValue(0)) SkipSpace(true);
    }
    m_end.nUnit = static_cast<size_t>(m_p - m_pBegin);
    return m_end;
}

// A value at m_p, nested in nDepth arrays and objects. Each container is
// read by a loop of its own, so that the branches of arrays and of objects
// are foreseen apart; their depth is bounded.
template <class Handler>
inline bool CJsonReader<Handler>::ReadValue(size_t nDepth) {
    if (*m_p == '{') return ReadObject(nDepth + 1);
    if (*m_p == '[') return ReadArray(nDepth + 1);
    return ReadScalar();
}

// Elements separated by commas, a comma allowed before the close.
template <class Handler>
bool CJsonReader<Handler>::ReadArray(size_t nDepth) {
    if (nDepth > kMaxReadDepth) return Fail(CReadError::TooDeep);
    m_handler.OnArrayBegin();
    size_t nCount = 0;
    if (!ReadItems<u']'>(nCount, [&] { return ReadValue(nDepth); })) return false;
    m_handler.OnArrayEnd(nCount);
    return true;
}

// Members, a key, a colon and a value each, separated by commas, a comma
// allowed before the close.
template <class Handler>
bool CJsonReader<Handler>::ReadObject(size_t nDepth) {
    if (nDepth > kMaxReadDepth) return Fail(CReadError::TooDeep);
    m_handler.OnObjectBegin();
    size_t nCount = 0;
    if (!ReadItems<u'}'>(nCount, [&] { return ReadKey() && ReadValue(nDepth); })) return false;
    m_handler.OnObjectEnd(nCount);
    return true;
}

// From the opening bracket to the closing one: items read by readItem,
// counted in nCount. Arrays and objects each have their own copy of the
// loop, whose branches are foreseen apart.
template <class Handler>
template <char16_t kClose, class ReadItem>
inline bool CJsonReader<Handler>::ReadItems(size_t& nCount, ReadItem readItem) {
    ++m_p;
    if (!SkipSpace(false)) return false;
    while (*m_p != kClose) {
        if (!readItem() || !SkipSpace(false)) return false;
        ++nCount;
        if (*m_p == ',') {
            ++m_p;
            if (!SkipSpace(false)) return false;
        } else if (*m_p != kClose) {
            return FailHere();
        }
    }
    ++m_p;
    return true;
}

// White space, and comments, up to a value or token; false, failing, at
// the text's end, where a value or a token must follow. After the document
// the text may end anywhere, in a line comment too.
template <class Handler>
inline bool CJsonReader<Handler>::SkipSpace(bool bAfterDocument) {
    // Most often a token follows at once, or after one space.
    if (m_pEnd - m_p >= 2) {
        if (*m_p > ' ' && *m_p != '/') return true;
        if (*m_p == ' ' && m_p[1] > ' ' && m_p[1] != '/') return ++m_p, true;
    }
    return SkipSpaceRun(bAfterDocument);
}

template <class Handler>
bool CJsonReader<Handler>::SkipSpaceRun(bool bAfterDocument) {
    for (;;) {
        m_p = RunEnd(m_p, platform::SpaceRunEnd, platform::IsJsonSpace);
        if (m_p == m_pEnd) return bAfterDocument || Fail(CReadError::Incomplete);
        if (*m_p != '/') return true;
        if (!SkipComment(bAfterDocument)) return false;
    }
}

// A comment: "//" to the line's end, "/*" to a "*/". As Boost.JSON's parser
// reads it, the unit after a "*" that is not "/" is passed over, so that
// "**/" ends a comment only where the second "*" stands after a "*/"
// search has started afresh ("/* a **/" is not ended).
template <class Handler>
bool CJsonReader<Handler>::SkipComment(bool bAfterDocument) {
    ++m_p;
    if (m_p == m_pEnd || (*m_p != '/' && *m_p != '*')) return FailHere();
    if (*m_p++ == '/') {
        while (m_p != m_pEnd && *m_p != '\n') ++m_p;
        return m_p != m_pEnd || bAfterDocument || Fail(CReadError::Incomplete);
    }
    for (;;) {
        while (m_p != m_pEnd && *m_p != '*') ++m_p;
        if (m_p == m_pEnd || ++m_p == m_pEnd) return Fail(CReadError::Incomplete);
        if (*m_p++ == '/') return true;
    }
}

// A member's key and colon, up to its value.
template <class Handler>
bool CJsonReader<Handler>::ReadKey() {
    if (*m_p != '"') return FailHere();
    if (!ReadString(true) || !SkipSpace(false)) return false;
    if (*m_p != ':') return FailHere();
    ++m_p;
    return SkipSpace(false);
}

template <class Handler>
bool CJsonReader<Handler>::ReadScalar() {
    switch (*m_p) {
        case '"':
            return ReadString(false);
        case 't':
            return ReadLiteral(u"true") && Emit([](auto& h) { h.OnBool(true); });
        case 'f':
            return ReadLiteral(u"false") && Emit([](auto& h) { h.OnBool(false); });
        case 'n':
            return ReadLiteral(u"null") && Emit([](auto& h) { h.OnNull(); });
        default:
            if (*m_p == '-' || IsDigit(*m_p)) return ReadNumber();
            return FailHere();
    }
}

template <class Handler>
bool CJsonReader<Handler>::ReadLiteral(std::u16string_view word) {
    for (const char16_t u : word) {
        if (m_p == m_pEnd || *m_p != u) return FailHere();
        ++m_p;
    }
    return true;
}

// A string: runs of plain units, found a block at a time, and escapes.
// For a handler that builds values the string is written as UTF-8 into
// scratch while it is read: ASCII narrowed a block at a time, other
// characters by the codec.
template <class Handler>
bool CJsonReader<Handler>::ReadString(bool bKey) {
    ++m_p;
    if constexpr (Handler::kBuildsValues) m_scratch.Clear();
    for (;;) {
        if constexpr (Handler::kBuildsValues)
            CopyPlainRun();
        else
            SkipPlainRun();
        if (m_p == m_pEnd) return Fail(CReadError::Incomplete);
        if (*m_p < 0x20) return Fail(CReadError::Syntax);
        if (*m_p == '"') break;
        if (*m_p++ == '\\' && !ReadEscape()) return false;
    }
    ++m_p;
    return Emit([&](auto& h) {
        if (bKey)
            h.OnKey(m_scratch.View());
        else
            h.OnString(m_scratch.View());
    });
}

// Up to the next unit that ends a string's plain run, or the text's end.
template <class Handler>
inline void CJsonReader<Handler>::SkipPlainRun() {
    m_p = RunEnd(m_p, platform::StringRunEnd, [](char16_t u) { return !platform::EndsStringRun(u); });
}

// The same, the run written as UTF-8 into scratch. A unit above U+007F
// stands with the others up to the next ASCII one for the codec (a
// surrogate pair is never cut).
template <class Handler>
inline void CJsonReader<Handler>::CopyPlainRun() {
    constexpr auto kBlock = static_cast<std::ptrdiff_t>(platform::kReadUnits);
    const char16_t* p = m_p;
    for (;;) {
        while (m_pEnd - p >= kBlock) {
            const unsigned nAscii = platform::NarrowStringBlock(p, m_scratch.Reserve(platform::kReadUnits));
            m_scratch.Commit(nAscii);
            p += nAscii;
            if (nAscii < platform::kReadUnits) break;
        }
        const char16_t* const pFirst = p;
        while (p != m_pEnd && *p >= 0x80) ++p;
        if (p == pFirst) {
            while (p != m_pEnd && m_pEnd - p < kBlock && !platform::EndsStringRun(*p) && *p < 0x80) ++p;
            if (p == pFirst) break;
        }
        AppendUnits(pFirst, p);
    }
    m_p = p;
}

// The escape after a backslash. A \u escape of a high surrogate must be
// followed by one of a low surrogate; any other surrogate is refused.
template <class Handler>
bool CJsonReader<Handler>::ReadEscape() {
    if (m_p == m_pEnd) return Fail(CReadError::Incomplete);
    char32_t c = 0;
    switch (*m_p++) {
        case '"':
            c = '"';
            break;
        case '\\':
            c = '\\';
            break;
        case '/':
            c = '/';
            break;
        case 'b':
            c = '\b';
            break;
        case 'f':
            c = '\f';
            break;
        case 'n':
            c = '\n';
            break;
        case 'r':
            c = '\r';
            break;
        case 't':
            c = '\t';
            break;
        case 'u': {
            if (!ReadHex(c)) return false;
            if (c >= 0xDC00 && c <= 0xDFFF) return Fail(CReadError::IllegalLeadingSurrogate);
            if (c >= 0xD800 && c <= 0xDBFF) {
                char32_t low = 0;
                if (m_p == m_pEnd || *m_p != '\\') return FailHere();
                if (++m_p == m_pEnd || *m_p != 'u') return FailHere();
                ++m_p;
                if (!ReadHex(low)) return false;
                if (low < 0xDC00 || low > 0xDFFF) return Fail(CReadError::IllegalTrailingSurrogate);
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
            break;
        }
        default:
            --m_p;
            return Fail(CReadError::Syntax);
    }
    if constexpr (Handler::kBuildsValues) AppendCodePoint(c);
    return true;
}

// Four hex digits.
template <class Handler>
bool CJsonReader<Handler>::ReadHex(char32_t& c) {
    for (int i = 0; i < 4; ++i, ++m_p) {
        if (m_p == m_pEnd) return Fail(CReadError::Incomplete);
        const char16_t u = *m_p;
        const int nDigit = IsDigit(u) ? u - '0' : (u | 0x20) >= 'a' && (u | 0x20) <= 'f' ? (u | 0x20) - 'a' + 10 : -1;
        if (nDigit < 0) return Fail(CReadError::ExpectedHexDigit);
        c = c << 4 | static_cast<char32_t>(nDigit);
    }
    return true;
}

// A number: a sign, the integer digits without a leading zero, a fraction
// and an exponent, each with at least one digit; the exponent is counted
// to far beyond any double's range, however long. Its digits are found
// first, a block of units at a time, and valued after, where a value is
// wanted. The text ending too soon is a syntax error or an incomplete text
// as Boost.JSON's parser has it.
template <class Handler>
bool CJsonReader<Handler>::ReadNumber() {
    constexpr int64_t kFar = int64_t{1} << 40;
    CNumberText text;
    text.pStart = m_p;
    text.bNegative = *m_p == '-';
    if (text.bNegative && (++m_p == m_pEnd || !IsDigit(*m_p))) return FailHere();
    text.pInteger = m_p;
    m_p = *m_p == '0' ? m_p + 1 : SkipDigits(m_p);
    text.pIntegerEnd = text.pFraction = text.pFractionEnd = m_p;
    if (m_p != m_pEnd && *m_p == '.') {
        if (++m_p == m_pEnd) return Fail(IntegerFits(text) ? CReadError::Syntax : CReadError::Incomplete);
        if (!IsDigit(*m_p)) return Fail(CReadError::Syntax);
        text.pFraction = m_p;
        text.pFractionEnd = m_p = SkipDigits(m_p);
    }
    if (m_p != m_pEnd && (*m_p == 'e' || *m_p == 'E')) {
        text.bExponent = true;
        if (++m_p == m_pEnd) return Fail(CReadError::Incomplete);
        const bool bNegative = *m_p == '-';
        if ((*m_p == '+' || bNegative) && ++m_p == m_pEnd) return Fail(CReadError::Syntax);
        if (!IsDigit(*m_p)) return Fail(CReadError::Syntax);
        for (; m_p != m_pEnd && IsDigit(*m_p); ++m_p)
            text.nExponent = std::min(kFar, text.nExponent * 10 + (*m_p - '0'));
        if (bNegative) text.nExponent = -text.nExponent;
    }
    // A handler that builds nothing needs the value only where the number
    // might lie beyond the largest double: it is below 10 to the power of
    // its integer digits' count plus its exponent.
    if (!Handler::kBuildsValues && (text.pIntegerEnd - text.pInteger) + text.nExponent <= 308) return true;
    if (text.IsInteger() && IntegerFits(text)) return EmitInteger(text);
    return EmitDouble(text);
}

template <class Handler>
inline const char16_t* CJsonReader<Handler>::SkipDigits(const char16_t* p) const {
    return RunEnd(p, platform::DigitRunEnd, platform::IsDecimalDigit);
}

// The end of the run of units from p on that bPlain takes: whole blocks by
// the kernel, which answers how many units of a block begin the run, the
// rest unit by unit. The position is a local value, which the compiler
// keeps in a register: a member would be stored and loaded again around
// every block, as a vector load may read any memory.
template <class Handler>
template <class Kernel, class Plain>
inline const char16_t* CJsonReader<Handler>::RunEnd(const char16_t* p, Kernel kernel, Plain bPlain) const {
    while (m_pEnd - p >= static_cast<std::ptrdiff_t>(platform::kReadUnits)) {
        const unsigned nRun = kernel(p);
        p += nRun;
        if (nRun < platform::kReadUnits) return p;
    }
    while (p != m_pEnd && bPlain(*p)) ++p;
    return p;
}

// Whether Boost.JSON's parser keeps the integer digits as an integer: up
// to 18446744073709551615, or, negative, down to -9223372036854775808.
template <class Handler>
bool CJsonReader<Handler>::IntegerFits(const CNumberText& text) {
    constexpr std::u16string_view kPositive = u"18446744073709551615", kNegative = u"9223372036854775808";
    const auto nDigits = static_cast<size_t>(text.pIntegerEnd - text.pInteger);
    if (nDigits < kNegative.size()) return true;
    const std::u16string_view limit = text.bNegative ? kNegative : kPositive;
    return nDigits < limit.size() || (nDigits == limit.size() && std::u16string_view(text.pInteger, nDigits) <= limit);
}

// The value of the digits [p, pEnd), at most 19 of them, times 10 to their
// count, added to nValue: eight at a time, and the rest in one block
// where the text holds it.
template <class Handler>
inline uint64_t CJsonReader<Handler>::AppendDigits(uint64_t nValue, const char16_t* p, const char16_t* pEnd) const {
    static constexpr uint64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    constexpr auto kBlock = static_cast<std::ptrdiff_t>(platform::kReadUnits);
    for (; pEnd - p >= kBlock; p += kBlock) nValue = nValue * kPowers[kBlock] + platform::BlockDigitsValue(p, kBlock);
    const auto nRest = static_cast<unsigned>(pEnd - p);
    if (nRest > 0 && m_pEnd - p >= kBlock) return nValue * kPowers[nRest] + platform::BlockDigitsValue(p, nRest);
    for (; p != pEnd; ++p) nValue = nValue * 10 + static_cast<uint64_t>(*p - '0');
    return nValue;
}

// The number's first 19 significant digits, with the power of ten that
// scales them to its value. Up to 19 digits in all are simply valued;
// longer numbers drop their leading zeros first and keep only the first
// 19 significant digits, and note whether a nonzero one was left out.
template <class Handler>
CDecimal CJsonReader<Handler>::DecimalOf(const CNumberText& text) const {
    constexpr int64_t kKept = 19;
    CDecimal number;
    number.bNegative = text.bNegative;
    const int64_t nInteger = text.pIntegerEnd - text.pInteger, nFraction = text.pFractionEnd - text.pFraction;
    if (nInteger + nFraction <= kKept) {
        number.nDigits =
            AppendDigits(AppendDigits(0, text.pInteger, text.pIntegerEnd), text.pFraction, text.pFractionEnd);
        number.nExponent = text.nExponent - nFraction;
        return number;
    }
    int64_t nKept = 0;
    const auto take = [&](const char16_t* p, const char16_t* pEnd, int64_t nFractionStep) {
        for (; p != pEnd; ++p) {
            if (nKept < kKept && (nKept > 0 || *p != '0')) {
                number.nDigits = number.nDigits * 10 + static_cast<uint64_t>(*p - '0');
                ++nKept;
                number.nExponent -= nFractionStep;
            } else if (nKept == 0) {
                number.nExponent -= nFractionStep;
            } else {
                number.bTruncated |= *p != '0';
                number.nExponent += 1 - nFractionStep;
            }
        }
    };
    take(text.pInteger, text.pIntegerEnd, 0);
    take(text.pFraction, text.pFractionEnd, 1);
    number.nExponent += text.nExponent;
    return number;
}

// An integer as Boost.JSON's parser keeps it: signed within int64,
// unsigned above it.
template <class Handler>
bool CJsonReader<Handler>::EmitInteger(const CNumberText& text) {
    return Emit([&](auto& h) {
        const auto nDigits = static_cast<size_t>(text.pIntegerEnd - text.pInteger);
        // 20 digits are one too many to value at once.
        uint64_t nValue = AppendDigits(0, text.pInteger, text.pIntegerEnd - (nDigits == 20 ? 1 : 0));
        if (nDigits == 20) nValue = nValue * 10 + static_cast<uint64_t>(text.pIntegerEnd[-1] - '0');
        if (text.bNegative)
            h.OnInt64(static_cast<int64_t>(0 - nValue));
        else if (nValue <= INT64_MAX)
            h.OnInt64(static_cast<int64_t>(nValue));
        else
            h.OnUint64(nValue);
    });
}

// A double, correctly rounded; refused beyond the largest double.
template <class Handler>
bool CJsonReader<Handler>::EmitDouble(const CNumberText& text) {
    double dValue = 0;
    if (!DecimalToDouble(DecimalOf(text), dValue)) {
        std::string strAscii(static_cast<size_t>(m_p - text.pStart), '0');
        std::transform(text.pStart, m_p, strAscii.begin(), [](char16_t u) { return static_cast<char>(u); });
        dValue = JsonNumberValue(strAscii);
    }
    if (!std::isfinite(dValue)) {
        m_end.nErrorEnd = static_cast<size_t>(m_p - m_pBegin);
        m_p = text.pStart;
        return Fail(CReadError::NumberOutOfRange);
    }
    return Emit([&](auto& h) { h.OnDouble(dValue); });
}

// The units as UTF-8 after the scratch text: a short run of ASCII, most
// keys and many values, narrowed in one block; anything else by the codec.
template <class Handler>
inline void CJsonReader<Handler>::AppendUnits(const char16_t* pBegin, const char16_t* pEnd) {
    const auto nUnits = static_cast<size_t>(pEnd - pBegin);
    char* const pOut = m_scratch.Reserve(3 * nUnits + platform::kReadUnits);
    if (nUnits <= platform::kReadUnits && m_pEnd - pBegin >= static_cast<std::ptrdiff_t>(platform::kReadUnits) &&
        platform::NarrowAscii(pBegin, static_cast<unsigned>(nUnits), pOut))
        m_scratch.Commit(nUnits);
    else
        m_scratch.Commit(platform::EncodeUtf8(pBegin, nUnits, pOut));
}

template <class Handler>
void CJsonReader<Handler>::AppendCodePoint(char32_t c) {
    char* p = m_scratch.Reserve(4);
    size_t n = 0;
    if (c < 0x80) {
        p[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
        p[n++] = static_cast<char>(0xC0 | c >> 6);
        p[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        p[n++] = static_cast<char>(0xE0 | c >> 12);
        p[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        p[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        p[n++] = static_cast<char>(0xF0 | c >> 18);
        p[n++] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        p[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        p[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    m_scratch.Commit(n);
}
