// Calls a script function through a ZORExtender2W the test names (the one
// the integration host loaded, or the one linked into a native test program)
// with argument records built here, and captures what the library hands
// back: the status, the result record, and the detail text given to
// SetErrorDetail.
#pragma once

#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "extender/HostInterface.h"
#include "json/ExtConstants.h"

namespace entry {

struct CResult {
    int32_t nStatus = 1;  // 0 result, -1 error; 1 when the callback never came
    int32_t nCode = 0;    // the error number read from the message text
    int32_t nValue = 0;
    std::u16string strText;
    bool bDetail = false;
    std::string strDetail;
};

// The argument records of one call; the texts live as long as the object.
class CArgs {
public:
    CArgs& Text(std::u16string strText) {
        ZorValue& record = Add(ZOR_TYPE_TEXT16);
        record.pText = m_texts.emplace_back(std::move(strText)).data();
        return *this;
    }
    CArgs& Integer(int32_t nValue) {
        Add(ZOR_TYPE_INTEGER).nValue = nValue;
        return *this;
    }
    std::vector<ZorValue>& Records() { return m_records; }

private:
    ZorValue& Add(uint32_t nType) {
        ZorValue& record = m_records.emplace_back();
        record = ZorValue{};
        record.nType = nType;
        return record;
    }
    std::deque<std::u16string> m_texts;
    std::vector<ZorValue> m_records;
};

inline CResult& Captured() {
    static CResult result;
    return result;
}

inline int32_t OnReturn(int32_t nStatus, uint32_t, ZorServices*, ZorValue* pResult) {
    CResult& r = Captured();
    r.nStatus = nStatus;
    if (nStatus != 0) {
        r.nCode = std::atoi(static_cast<const char*>(pResult->pText));
    } else if (pResult->nType == ZOR_TYPE_TEXT16) {
        r.strText = static_cast<const char16_t*>(pResult->pText);
    } else {
        r.nValue = pResult->nValue;
    }
    return nStatus;
}

inline void OnDetail(void*, const char* szText) {
    Captured().bDetail = true;
    Captured().strDetail = szText;
}

// A services table with SetErrorDetail only.
inline ZorServices* DetailServices() {
    static ZorServices services = [] {
        ZorServices s{};
        s.SetErrorDetail = OnDetail;
        return s;
    }();
    return &services;
}

// One call of pfnEntry with these records, this return callback and these
// services; the entry's own return value.
inline int32_t Enter(ZorExtender2Fn pfnEntry, int16_t nCmdId, CArgs& args, ZorReturnFn pfnReturn,
                     ZorServices* pServices) {
    ZorValue result{};
    std::vector<ZorValue>& records = args.Records();
    return pfnEntry(nullptr, nullptr, 1, nCmdId, pfnReturn, pServices, nullptr, records.data(),
                    static_cast<int32_t>(records.size()), &result);
}

// One call, captured.
inline CResult Call(ZorExtender2Fn pfnEntry, int16_t nCmdId, CArgs& args, ZorServices* pServices = DetailServices()) {
    Captured() = CResult();
    Enter(pfnEntry, nCmdId, args, OnReturn, pServices);
    return Captured();
}

}  // namespace entry
