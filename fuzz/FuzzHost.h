// What the fuzz targets share: the library linked into the program behind
// the reference host, a reader that draws choices from the fuzzer's bytes,
// and the checks every call must pass whatever its arguments.
#pragma once

#include <algorithm>
#include <boost/json/parse.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/ZorHost.h"

extern "C" int32_t ZORExtenderQueryW(uint16_t nQuery, void* pData, uint32_t nData);
extern "C" int32_t ZORExtender2W(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId,
                                 ZorReturnFn pfnReturn, ZorServices* pServices, void* pReserved3, ZorValue* pArgs,
                                 int32_t nArgCount, ZorValue* pResult);

namespace fuzz {

using zorhost::CallResult;
using zorhost::HostValue;

// Stops the run: libFuzzer keeps the input that got here.
[[noreturn]] inline void Fail(const char* szWhat, const std::string& strMore = "") {
    std::fprintf(stderr, "fuzz check failed: %s %s\n", szWhat, strMore.c_str());
    std::abort();
}

inline void Require(bool bHolds, const char* szWhat, const std::string& strMore = "") {
    if (!bHolds) Fail(szWhat, strMore);
}

// The library behind the reference host, greeted once as the interpreter
// greets it.
inline zorhost::ZorHost& Host() {
    static zorhost::ZorHost* pHost = [] {
        auto* p = new zorhost::ZorHost();
        p->Attach(ZORExtenderQueryW, ZORExtender2W);
        p->Negotiate({5});
        p->QueryVersion();
        p->ReadTable();
        return p;
    }();
    return *pHost;
}

// The number of a failed call's message text, 0 when it has none.
inline int ErrorNumber(const CallResult& r) { return std::atoi(r.errorText.c_str()); }

// Every call ends with the return callback run exactly once; a failure is
// one of the library's numbered errors.
inline const CallResult& Checked(const CallResult& r, const char* szFunction) {
    Require(r.Succeeded() || r.Failed(), "callback not run exactly once by", szFunction);
    if (r.Failed()) {
        const int nCode = ErrorNumber(r);
        Require(nCode >= 20101 && nCode <= 20130, "error outside the table from", szFunction + (": " + r.errorText));
    }
    return r;
}

inline CallResult Call(const std::string& strFunction, const std::vector<HostValue>& args) {
    return Checked(Host().Call(strFunction, args), strFunction.c_str());
}

// A text jsSerialize wrote is standard JSON: a strict parser, with the
// nesting limit the library builds to, takes it (no comments, no trailing
// commas, valid UTF-8, no number outside JSON's grammar), and jsValid says 1.
inline void RequireStandardJson(const CallResult& written) {
    if (!written.Succeeded()) return;
    const std::string strText = written.value.kind() == HostValue::Kind::Text16
                                    ? zorhost::ToUtf8(written.value.text16())
                                    : written.value.text8();
    boost::json::parse_options options;
    options.max_depth = 512;
    boost::json::error_code ec;
    boost::json::parse(strText, ec, {}, options);
    Require(!ec, "jsSerialize wrote text that is not JSON:", ec.message() + ": " + strText.substr(0, 200));
    const CallResult valid = Host().Call("jsValid", {HostValue::Text16(zorhost::FromUtf8(strText))});
    Require(valid.Succeeded() && valid.value.integer() == 1, "jsValid refuses what jsSerialize wrote", strText);
}

// The compact UTF-8 text of a container, or "" when it has none.
inline std::string Serialized(const std::u16string& strHandle) {
    const CallResult r = Call("jsSerialize", {HostValue::Text16(strHandle), HostValue::Integer(0)});
    RequireStandardJson(r);
    return r.Succeeded() ? r.value.text8() : std::string();
}

// A script's text from the fuzzer's bytes, the first of which chooses how:
// the rest decoded as UTF-8, or taken as UTF-16 units as they are (lone
// surrogates included).
inline std::u16string ScriptText(const uint8_t* pData, size_t nSize) {
    if (nSize == 0) return u"";
    if (pData[0] % 2 == 0)
        return zorhost::FromUtf8(std::string_view(reinterpret_cast<const char*>(pData + 1), nSize - 1));
    std::u16string str;
    for (size_t i = 1; i + 1 < nSize; i += 2) str += static_cast<char16_t>(pData[i] | pData[i + 1] << 8);
    return str;
}

// Closes every container; none may stay open.
inline void CloseAll() {
    Call("jsConClose", {});
    const CallResult r = Call("jsGetInfo", {HostValue::Integer(3)});
    Require(r.Succeeded() && r.value.integer() == 0, "containers open after closing all");
}

// Choices drawn from the fuzzer's bytes; zeros once they run out.
class Reader {
public:
    Reader(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}

    bool Empty() const { return m_nPos >= m_nSize; }
    uint8_t Byte() { return Empty() ? 0 : m_pData[m_nPos++]; }
    // A number below nCount (nCount > 0).
    size_t Pick(size_t nCount) { return Byte() % nCount; }
    int32_t Int32() {
        uint32_t n = 0;
        for (int i = 0; i < 4; ++i) n = n << 8 | Byte();
        return static_cast<int32_t>(n);
    }
    // Up to nMax bytes, as many as the next byte says.
    std::string Bytes(size_t nMax) {
        const size_t nWanted = Pick(nMax + 1);
        const size_t nCount = std::min(nWanted, m_nSize - m_nPos);
        std::string str(reinterpret_cast<const char*>(m_pData + m_nPos), nCount);
        m_nPos += nCount;
        return str;
    }
    // The rest, up to a zero byte (which is consumed).
    std::string Field() {
        std::string str;
        while (!Empty()) {
            const uint8_t c = Byte();
            if (c == 0) break;
            str += static_cast<char>(c);
        }
        return str;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};

}  // namespace fuzz
