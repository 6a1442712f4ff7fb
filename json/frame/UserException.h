// CUserException: a numbered error raised inside a handler, with an optional
// short detail text for the host (a key name, an index text, a status).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Error numbers a script can receive.
enum : int32_t {
    kErrInvalidArgument = 20101,
    kErrToUtf8 = 20102,
    kErrSystem = 20103,
    kErrBadHandle = 20104,
    kErrParser = 20105,
    kErrParamCount = 20106,
    kErrUnknownType = 20107,
    kErrKeyNotFound = 20108,
    kErrToUtf16 = 20109,
    kErrCorrupt = 20110,
    kErrHostVersion = 20111,
    kErrUnexpectedItem = 20112,
    kErrDelimiter = 20113,
    kErrIndexRange = 20114,
    kErrMemory = 20115,
    kErrIndexSyntax = 20116,
    kErrNoPath = 20117,
    kErrMapCreate = 20118,
    kErrTypeParameter = 20119,
    kErrKeyExpected = 20120,
    kErrNotNumber = 20121,
    kErrArrayExpected = 20122,
    kErrNotBoolean = 20123,
    kErrSelfAdd = 20124,
    kErrArrayCreate = 20125,
    kErrArrayElement = 20126,
    kErrContainerPath = 20127,
    kErrContainerExpected = 20128,
    kErrPointer = 20129,
    kErrVariableUpdate = 20130,
};

// Message id of the extender title.
constexpr int32_t kTitleMessage = 101;

class CUserException {
public:
    // Longest detail kept from a text view.
    static constexpr size_t kMaxViewDetail = 128;

    explicit CUserException(int32_t nCode) : m_nCode(nCode), m_bHasDetail(0) {}
    CUserException(int32_t nCode, std::string_view strDetail)
        : m_nCode(nCode), m_bHasDetail(1), m_strDetail(DetailOf(strDetail)) {}
    CUserException(int32_t nCode, const std::string& strDetail)
        : m_nCode(nCode), m_bHasDetail(1), m_strDetail(strDetail) {}

    int32_t m_nCode;
    uint32_t m_bHasDetail;
    std::string m_strDetail;

private:
    // The first kMaxViewDetail bytes of a UTF-8 text, less the start of a
    // character the cut would split, so that the detail stays UTF-8.
    static std::string_view DetailOf(std::string_view text) {
        if (text.size() <= kMaxViewDetail) return text;
        size_t nCut = kMaxViewDetail;
        while (nCut > 0 && (static_cast<unsigned char>(text[nCut]) & 0xC0) == 0x80) --nCut;
        return text.substr(0, nCut);
    }
};
