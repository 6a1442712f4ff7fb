// A host that hands over no services table: every function still ends with
// exactly one answer through the return callback, a result or a numbered
// error, and never touches the absent table.
#include "tests/support/EntryCall.h"
#include "tests/support/IntegrationHost.h"

namespace {

using namespace integration;

// Arguments under which each function would reach its services: a parsed
// container and a path that lists something.
entry::CArgs ArgsFor(int16_t nCmdId, const std::u16string& strHandle) {
    entry::CArgs args;
    switch (nCmdId) {
        case 0:
        case 1:
            return std::move(args.Text(u"{\"a\":[1]}"));
        case 3:
            return std::move(args.Integer(32));
        case 6:
            return std::move(args.Text(strHandle).Text(u"b").Text(u"2").Integer(4));
        case 8:
            return std::move(args.Text(strHandle).Text(u"a"));
        case 9:
            return args;
        case 10:
            return std::move(args.Integer(3));
        default:
            return std::move(args.Text(strHandle).Text(u"a"));
    }
}

using NoServices = integration::HostTest;

TEST_F(NoServices, EveryFunctionAnswersThroughTheCallback) {
    entry::CArgs parse;
    parse.Text(u"{\"a\":[1]}");
    const std::u16string strHandle = entry::Call(Entry(), 0, parse).strText;
    ASSERT_FALSE(strHandle.empty());
    entry::CArgs pointer;
    pointer.Text(strHandle).Text(u"a");
    pointer.Records().emplace_back(ZorValue{}).nType = ZOR_TYPE_TEXT8;
    static char szPointer[] = "a host pointer of forty bytes, or so...";
    pointer.Records().back().pText = szPointer;
    EXPECT_EQ(entry::Call(Entry(), 8, pointer, nullptr).nCode, 20125) << "jsKeyExist cannot make the array";
    entry::CArgs paths = ArgsFor(7, strHandle);
    EXPECT_EQ(entry::Call(Entry(), 7, paths, nullptr).nCode, 20125) << "jsKeyPaths cannot make the array";
    for (const int16_t nCmdId : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 9}) {
        entry::CArgs args = ArgsFor(nCmdId, strHandle);
        const entry::CResult r = entry::Call(Entry(), nCmdId, args, nullptr);
        EXPECT_NE(r.nStatus, 1) << "no answer from function " << nCmdId;
        if (r.nStatus != 0) {
            EXPECT_GT(r.nCode, 20100) << nCmdId;
        }
    }
}

}  // namespace
