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
#include "json/frame/NumberText.h"
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
    size_t nUnit = 0;          // where reading stopped: the error's place, or the first unit left unread
    size_t nErrorEnd = 0;      // for NumberOutOfRange, the end of the number that starts at nUnit
    bool bContainer = false;   // the first value is an array or object
};

template <class Handler>
class CJsonReader {
public:
    // Reads text, whose strings convert into scratch.
    CJsonReader(Handler& handler, std::u16string_view text, CTextBuffer& scratch)
        : m_handler(handler), m_pBegin(text.data()), m_p(text.data()), m_pEnd(text.data() + text.size()),
          m_scratch(scratch) {}

    CReadEnd Read();

private:
    struct CLevel {
        bool bObject;
        size_t nCount;
    };

    static bool IsDigit(char16_t u) { return u >= '0' && u <= '9'; }

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
    bool SkipComment(bool bAfterDocument);
    bool Open(CLevel* pLevels, size_t& nDepth);
    void Close(CLevel* pLevels, size_t& nDepth);
    bool ReadKey();
    bool ReadScalar();
    bool ReadLiteral(std::u16string_view word);
    bool ReadString(bool bKey);
    bool ReadEscape();
    bool ReadHex(char32_t& c);
    bool ReadNumber();
    const char16_t* SkipDigits(const char16_t* p) const;
    static void TakeDigits(const char16_t* p, const char16_t* pEnd, int64_t nFractionStep, CDecimal& number,
                           int& nKept);
    static bool IntegerValue(const CDecimal& number, int nKept, char16_t uLast, uint64_t& nValue);
    bool EmitDouble(const char16_t* pStart, const CDecimal& number);
    void AppendUnits(const char16_t* pBegin, const char16_t* pEnd);
    void AppendCodePoint(char32_t c);

    Handler& m_handler;
    const char16_t* const m_pBegin;
    const char16_t* m_p;
    const char16_t* const m_pEnd;
    CTextBuffer& m_scratch;
    CReadEnd m_end;
};

// The value, then, while containers stay open, a comma and the next
// element or member, or the close; a comma may stand before the close. The
// open containers are kept on a stack of their own: nesting costs no
// recursion.
template <class Handler>
CReadEnd CJsonReader<Handler>::Read() {
    CLevel levels[kMaxReadDepth];
    size_t nDepth = 0;
    const auto stop = [this] {
        m_end.nUnit = static_cast<size_t>(m_p - m_pBegin);
        return m_end;
    };
    if (!SkipSpace(false)) return stop();
    m_end.bContainer = *m_p == '[' || *m_p == '{';
    for (;;) {
        if (*m_p == '[' || *m_p == '{') {
            if (!Open(levels, nDepth)) return stop();
            if (*m_p != (levels[nDepth - 1].bObject ? '}' : ']')) {
                if (levels[nDepth - 1].bObject && !ReadKey()) return stop();
                continue;
            }
            Close(levels, nDepth);
        } else if (!ReadScalar()) {
            return stop();
        }
        for (;;) {
            if (nDepth == 0) {
                SkipSpace(true);
                return stop();
            }
            CLevel& level = levels[nDepth - 1];
            ++level.nCount;
            if (!SkipSpace(false)) return stop();
            const char16_t close = level.bObject ? '}' : ']';
            if (*m_p == ',') {
                ++m_p;
                if (!SkipSpace(false)) return stop();
                if (*m_p != close) {
                    if (level.bObject && !ReadKey()) return stop();
                    break;
                }
            } else if (*m_p != close) {
                FailHere();
                return stop();
            }
            Close(levels, nDepth);
        }
    }
}

// White space, and comments, up to a value or token; false, failing, at
// the text's end, where a value or a token must follow. After the document
// the text may end anywhere, in a line comment too.
template <class Handler>
bool CJsonReader<Handler>::SkipSpace(bool bAfterDocument) {
    if (m_p != m_pEnd && !platform::IsJsonSpace(*m_p) && *m_p != '/') return true;
    for (;;) {
        while (m_pEnd - m_p >= static_cast<std::ptrdiff_t>(platform::kBlockUnits)) {
            const unsigned nSpaces = platform::SpaceRunEnd(m_p);
            m_p += nSpaces;
            if (nSpaces < platform::kBlockUnits) break;
        }
        while (m_p != m_pEnd && platform::IsJsonSpace(*m_p)) ++m_p;
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

// The open bracket or brace at hand, and the white space after it.
template <class Handler>
bool CJsonReader<Handler>::Open(CLevel* pLevels, size_t& nDepth) {
    if (nDepth == kMaxReadDepth) return Fail(CReadError::TooDeep);
    const bool bObject = *m_p++ == '{';
    pLevels[nDepth++] = {bObject, 0};
    if (bObject)
        m_handler.OnObjectBegin();
    else
        m_handler.OnArrayBegin();
    return SkipSpace(false);
}

// The close bracket or brace at hand.
template <class Handler>
void CJsonReader<Handler>::Close(CLevel* pLevels, size_t& nDepth) {
    ++m_p;
    const CLevel& level = pLevels[--nDepth];
    if (level.bObject)
        m_handler.OnObjectEnd(level.nCount);
    else
        m_handler.OnArrayEnd(level.nCount);
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

// A string's runs of plain units, found a block at a time, and its escapes;
// for a handler that builds values, converted to UTF-8 in scratch.
template <class Handler>
bool CJsonReader<Handler>::ReadString(bool bKey) {
    const char16_t* pRun = ++m_p;
    if constexpr (Handler::kBuildsValues) m_scratch.Clear();
    for (;;) {
        while (m_pEnd - m_p >= static_cast<std::ptrdiff_t>(platform::kBlockUnits)) {
            const unsigned nRun = platform::StringRunEnd(m_p);
            m_p += nRun;
            if (nRun < platform::kBlockUnits) break;
        }
        while (m_p != m_pEnd && !platform::EndsStringRun(*m_p)) ++m_p;
        if (m_p == m_pEnd) return Fail(CReadError::Incomplete);
        if (*m_p < 0x20) return Fail(CReadError::Syntax);
        if constexpr (Handler::kBuildsValues) AppendUnits(pRun, m_p);
        if (*m_p++ == '"') break;
        if (!ReadEscape()) return false;
        pRun = m_p;
    }
    return Emit([&](auto& h) {
        if (bKey)
            h.OnKey(m_scratch.View());
        else
            h.OnString(m_scratch.View());
    });
}

// The escape after a backslash. A \u escape of a high surrogate must be
// followed by one of a low surrogate; any other surrogate is refused.
template <class Handler>
bool CJsonReader<Handler>::ReadEscape() {
    if (m_p == m_pEnd) return Fail(CReadError::Incomplete);
    char32_t c = 0;
    switch (*m_p++) {
        case '"': c = '"'; break;
        case '\\': c = '\\'; break;
        case '/': c = '/'; break;
        case 'b': c = '\b'; break;
        case 'f': c = '\f'; break;
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        case 't': c = '\t'; break;
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
// and an exponent, each with at least one digit. Its first 19 significant
// digits are kept with the power of ten that scales them; an exponent is
// counted to far beyond any double's range, however long. The text ending
// too soon is a syntax error or an incomplete text as Boost.JSON's parser
// has it.
template <class Handler>
bool CJsonReader<Handler>::ReadNumber() {
    constexpr int64_t kFar = int64_t{1} << 40;
    const char16_t* const pStart = m_p;
    CDecimal number;
    number.bNegative = *m_p == '-';
    if (number.bNegative && (++m_p == m_pEnd || !IsDigit(*m_p))) return FailHere();
    const char16_t* const pInteger = m_p;
    m_p = *m_p == '0' ? m_p + 1 : SkipDigits(m_p);
    int nKept = 0;
    TakeDigits(pInteger, m_p, 0, number, nKept);
    uint64_t nInteger = 0;
    const bool bFits = IntegerValue(number, nKept, m_p[-1], nInteger);
    bool bInteger = true;
    if (m_p != m_pEnd && *m_p == '.') {
        bInteger = false;
        if (++m_p == m_pEnd) return Fail(bFits ? CReadError::Syntax : CReadError::Incomplete);
        if (!IsDigit(*m_p)) return Fail(CReadError::Syntax);
        const char16_t* const pFraction = m_p;
        m_p = SkipDigits(m_p);
        TakeDigits(pFraction, m_p, 1, number, nKept);
    }
    if (m_p != m_pEnd && (*m_p == 'e' || *m_p == 'E')) {
        bInteger = false;
        if (++m_p == m_pEnd) return Fail(CReadError::Incomplete);
        const bool bNegative = *m_p == '-';
        if ((*m_p == '+' || bNegative) && ++m_p == m_pEnd) return Fail(CReadError::Syntax);
        if (!IsDigit(*m_p)) return Fail(CReadError::Syntax);
        int64_t nExponent = 0;
        for (; m_p != m_pEnd && IsDigit(*m_p); ++m_p) nExponent = std::min(kFar, nExponent * 10 + (*m_p - '0'));
        number.nExponent += bNegative ? -nExponent : nExponent;
    }
    if (!bInteger || !bFits) return EmitDouble(pStart, number);
    return Emit([&](auto& h) {
        if (number.bNegative)
            h.OnInt64(static_cast<int64_t>(0 - nInteger));
        else if (nInteger <= INT64_MAX)
            h.OnInt64(static_cast<int64_t>(nInteger));
        else
            h.OnUint64(nInteger);
    });
}

template <class Handler>
const char16_t* CJsonReader<Handler>::SkipDigits(const char16_t* p) const {
    while (m_pEnd - p >= static_cast<std::ptrdiff_t>(platform::kBlockUnits)) {
        const unsigned nDigits = platform::DigitRunEnd(p);
        p += nDigits;
        if (nDigits < platform::kBlockUnits) return p;
    }
    while (p != m_pEnd && IsDigit(*p)) ++p;
    return p;
}

// Adds the digits [p, pEnd) to the number: up to 19 significant ones to its
// digits, the power of ten each stands at (nFractionStep 1 after the
// point) to its exponent, and whether a nonzero one was left out.
template <class Handler>
void CJsonReader<Handler>::TakeDigits(const char16_t* p, const char16_t* pEnd, int64_t nFractionStep,
                                      CDecimal& number, int& nKept) {
    constexpr int kKept = 19;
    if (nKept == 0) {
        const char16_t* const pFirst = p;
        while (p != pEnd && *p == '0') ++p;
        number.nExponent -= nFractionStep * (p - pFirst);
    }
    const char16_t* const pKeptEnd = p + std::min<std::ptrdiff_t>(pEnd - p, kKept - nKept);
    uint64_t nDigits = number.nDigits;
    const char16_t* q = p;
    for (; pKeptEnd - q >= 4; q += 4) nDigits = nDigits * 10000 + platform::FourDigits(q);
    for (; q != pKeptEnd; ++q) nDigits = nDigits * 10 + static_cast<uint64_t>(*q - '0');
    number.nDigits = nDigits;
    nKept += static_cast<int>(pKeptEnd - p);
    number.nExponent += (1 - nFractionStep) * (pEnd - pKeptEnd) - nFractionStep * (pKeptEnd - p);
    for (const char16_t* q = pKeptEnd; q != pEnd && !number.bTruncated; ++q) number.bTruncated = *q != '0';
}

// The value of the integer digits, nKept of them kept and the last one
// uLast: false where Boost.JSON's parser reads them as a double, beyond
// uint64, or, negative, beyond the magnitude of int64's least.
template <class Handler>
bool CJsonReader<Handler>::IntegerValue(const CDecimal& number, int nKept, char16_t uLast, uint64_t& nValue) {
    constexpr uint64_t kInt64Magnitude = uint64_t{1} << 63;
    const int64_t nDigits = nKept + number.nExponent;
    nValue = number.nDigits;
    if (nDigits > 20) return false;
    if (nDigits == 20) {
        const auto nLast = static_cast<uint64_t>(uLast - '0');
        if (nValue > (UINT64_MAX - nLast) / 10) return false;
        nValue = nValue * 10 + nLast;
    }
    return !number.bNegative || nValue <= kInt64Magnitude;
}

// A double, correctly rounded; refused beyond the largest double. A handler
// that builds nothing needs the value only where it might be that large.
template <class Handler>
bool CJsonReader<Handler>::EmitDouble(const char16_t* pStart, const CDecimal& number) {
    constexpr int64_t kSafeExponent = 308 - 19;  // below 10^308 whatever the 19 digits
    if (!Handler::kBuildsValues && (number.nDigits == 0 || number.nExponent <= kSafeExponent)) return true;
    double dValue = 0;
    if (!DecimalToDouble(number, dValue)) {
        std::string strAscii(static_cast<size_t>(m_p - pStart), '0');
        std::transform(pStart, m_p, strAscii.begin(), [](char16_t u) { return static_cast<char>(u); });
        dValue = JsonNumberValue(strAscii);
    }
    if (!std::isfinite(dValue)) {
        m_end.nErrorEnd = static_cast<size_t>(m_p - m_pBegin);
        m_p = pStart;
        return Fail(CReadError::NumberOutOfRange);
    }
    return Emit([&](auto& h) { h.OnDouble(dValue); });
}

template <class Handler>
void CJsonReader<Handler>::AppendUnits(const char16_t* pBegin, const char16_t* pEnd) {
    const auto nUnits = static_cast<size_t>(pEnd - pBegin);
    if (nUnits > 0) m_scratch.Commit(platform::EncodeUtf8(pBegin, nUnits, m_scratch.Reserve(3 * nUnits)));
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
