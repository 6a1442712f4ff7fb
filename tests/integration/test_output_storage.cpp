// The texts of jsSerialize and of a string jsValueGet reads live in storage
// the library keeps between calls. A host that calls the library again from
// within its return callback, while it still reads that text, must not see
// the text change under it.
#include <string>

#include "tests/support/EntryCall.h"
#include "tests/support/IntegrationHost.h"

namespace {

using namespace integration;

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
    return entry::Enter(Entry(), nCmdId, args, pfnReturn, &services);
}

// The outer text as UTF-8, whichever form it came in.
std::string OuterText(const ZorValue& result) {
    if (result.nType == ZOR_TYPE_TEXT16) return zorhost::ToUtf8(static_cast<const char16_t*>(result.pText));
    return static_cast<const char*>(result.pText);
}

// Serializes the larger container and closes every container while the
// outer text is still being read.
int32_t OnOuterReturn(int32_t nStatus, uint32_t, ZorServices*, ZorValue* pResult) {
    g_reentry.strBefore = OuterText(*pResult);
    entry::CArgs inner;
    inner.Text(g_reentry.strInnerHandle).Integer(1);
    Enter(cmd::jsSerialize, inner, OnInnerReturn);
    entry::CArgs closeAll;
    Enter(cmd::jsConClose, closeAll, entry::OnReturn);
    g_reentry.strAfter = OuterText(*pResult);
    return nStatus;
}

using OutputStorage = integration::HostTest;

TEST_F(OutputStorage, ATextStaysWholeWhileTheHostCallsAgainFromItsCallback) {
    std::u16string strLarge = u"[0";
    for (int i = 1; i < 20000; ++i) strLarge += u",\"element\"";
    for (const int16_t nOuterCmd : {cmd::jsSerialize, cmd::jsValueGet}) {
        SCOPED_TRACE(nOuterCmd);
        const std::u16string strOuter = integration::ParseHandle(u"{\"a\":[1,2,3],\"s\":\"text \u00e9\"}");
        g_reentry.strInnerHandle = integration::ParseHandle(strLarge + u"]");
        entry::CArgs args;
        args.Text(strOuter);
        if (nOuterCmd == cmd::jsSerialize)
            args.Integer(0);
        else
            args.Text(u"s");
        Enter(nOuterCmd, args, OnOuterReturn);
        EXPECT_EQ(g_reentry.strBefore,
                  nOuterCmd == cmd::jsSerialize ? "{\"a\" : [1,2,3],\"s\" : \"text \xC3\xA9\"}" : "text \xC3\xA9");
        EXPECT_EQ(g_reentry.strAfter, g_reentry.strBefore);
        EXPECT_EQ(g_reentry.strInner.size(), 10 + 19999 * 15) << "the inner text whole as well";
    }
}

}  // namespace
