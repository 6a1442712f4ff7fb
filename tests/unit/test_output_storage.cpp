// jsSerialize's text lives in storage the library keeps between calls. A
// host that calls the library again from within its return callback, while
// it still reads that text, must not see the text change under it.
#include <gtest/gtest.h>

#include <string>

#include "EntryCall.h"

namespace {

enum : int16_t { kParse = 0, kSerialize = 11 };

// What the outer callback saw of its own text before and after the calls
// it made, and the text of the inner serialization.
struct CReentry {
    std::u16string strInnerHandle;
    std::string strBefore;
    std::string strAfter;
    std::string strInner;
};
CReentry g_reentry;

int32_t OnInnerReturn(int32_t nStatus, uint32_t, ZorServices*, ZorValue* pResult) {
    if (nStatus == 0) g_reentry.strInner = static_cast<const char*>(pResult->pText);
    return nStatus;
}

int32_t Enter(int16_t nCmdId, entry::CArgs& args, ZorReturnFn pfnReturn) {
    static ZorServices services{};
    ZorValue result{};
    std::vector<ZorValue>& records = args.Records();
    return ZORExtender2W(nullptr, nullptr, 1, nCmdId, pfnReturn, &services, nullptr, records.data(),
                         static_cast<int32_t>(records.size()), &result);
}

// Serializes the larger container and closes every container while the
// outer text is still being read.
int32_t OnOuterReturn(int32_t nStatus, uint32_t, ZorServices*, ZorValue* pResult) {
    const char* szOuter = static_cast<const char*>(pResult->pText);
    g_reentry.strBefore = szOuter;
    entry::CArgs inner;
    inner.Text(g_reentry.strInnerHandle).Integer(1);
    Enter(kSerialize, inner, OnInnerReturn);
    entry::CArgs closeAll;
    Enter(entry::kConClose, closeAll, entry::OnReturn);
    g_reentry.strAfter = szOuter;
    return nStatus;
}

std::u16string Parse(const std::u16string& strText) {
    entry::CArgs args;
    args.Text(strText);
    return entry::Call(kParse, args).strText;
}

}  // namespace

TEST(OutputStorage, ATextStaysWholeWhileTheHostCallsAgainFromItsCallback) {
    const std::u16string strOuter = Parse(u"{\"a\":[1,2,3]}");
    std::u16string strLarge = u"[0";
    for (int i = 1; i < 20000; ++i) strLarge += u",\"element\"";
    g_reentry.strInnerHandle = Parse(strLarge + u"]");

    entry::CArgs args;
    args.Text(strOuter).Integer(0);
    Enter(kSerialize, args, OnOuterReturn);
    EXPECT_EQ(g_reentry.strBefore, R"({"a" : [1,2,3]})");
    EXPECT_EQ(g_reentry.strAfter, g_reentry.strBefore);
    EXPECT_EQ(g_reentry.strInner.size(), 10 + 19999 * 15) << "the inner text whole as well";
}
