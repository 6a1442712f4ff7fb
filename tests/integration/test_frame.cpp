// The frame through the exported entries: the handshake, the table as the
// host reads it, how calls end, and jsGetInfo with the English message texts
// (those of a language file: test_language_files.cpp).
#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

CallResult Info(std::vector<HostValue> args) { return Host().Call("jsGetInfo", args); }

std::u16string Title(uint32_t nSize) {
    std::u16string str(300, u'#');
    Host().Query(1, str.data(), nSize);
    return str.substr(0, str.find(u'#'));
}

}  // namespace

TEST(Handshake, NegotiatesInterfaceFiveOnly) {
    EXPECT_EQ(Host().Negotiate({4, 5}), 5);
    EXPECT_EQ(Host().Negotiate({5, 4}), 5);
    EXPECT_EQ(Host().Negotiate({4, 6}), -1);
    EXPECT_EQ(Host().Negotiate({}), -1);
    int32_t offered[] = {4, 5};
    EXPECT_EQ(Host().Query(2, offered, 0x80000000u), 5) << "the count is unsigned; the scan stops at 5";
    EXPECT_EQ(Host().Query(0, nullptr, 0), 0);
    EXPECT_EQ(Host().Query(3, nullptr, 0), 0);
}

TEST(Handshake, VersionQueryReadsTheVersionResourceAndCopiesTheTitle) {
    EXPECT_EQ(Host().QueryVersion().version, 44009);
    EXPECT_EQ(Host().QueryVersion().title, u"ZOR JSON extender");
    EXPECT_EQ(Title(5), std::u16string(u"ZOR ") + u'\0');
    EXPECT_EQ(Title(1), std::u16string(1, u'\0'));
    EXPECT_EQ(Title(18), std::u16string(u"ZOR JSON extender") + u'\0');
    EXPECT_EQ(Title(17), std::u16string(u"ZOR JSON extende") + u'\0');
    EXPECT_EQ(Host().Query(1, nullptr, 50), 44009);
    std::u16string strUntouched(4, u'#');
    EXPECT_EQ(Host().Query(1, strUntouched.data(), 0), 44009);
    EXPECT_EQ(strUntouched, u"####") << "a size of 0 copies nothing";
}

TEST(Table, DescribesTwelveFunctionsAndTwelveConstants) {
    ZorHost& host = Host();
    EXPECT_EQ(host.EntryCount(), 24);
    ASSERT_EQ(host.Entries().size(), 24u);
    // Two entries as the host reads them: a function, then a constant.
    struct CExpected {
        size_t nIndex;
        std::u16string strName;
        uint32_t nKind;
        uint64_t nTypes, nValue;
        size_t nSize;
    };
    for (const CExpected& e :
         {CExpected{6, u"jsvalueadd", 2, 0x50555, 0x103, 10}, CExpected{23, u"@jsontype", 3, 0, 2, 9}}) {
        const auto& entry = host.Entries()[e.nIndex];
        EXPECT_EQ(entry.name, e.strName);
        EXPECT_EQ(entry.kind, e.nKind);
        EXPECT_EQ(entry.types, e.nTypes);
        EXPECT_EQ(entry.value, e.nValue);
        EXPECT_EQ(entry.size, e.nSize);
    }
    for (const auto& entry : host.Entries()) EXPECT_EQ(entry.size, entry.name.size()) << zorhost::ToUtf8(entry.name);
}

TEST(Table, DescribeWritesTheRecordUpToTheNameAndNoFurther) {
    const zorhost::RawDescription longest = Host().DescribeRaw(19);  // @JsonObject, 11 units
    ASSERT_EQ(longest.result, 1);
    EXPECT_EQ(longest.bytes[44], 0);
    EXPECT_EQ(longest.bytes[45], 0) << "the terminator ends at byte 46";
    EXPECT_EQ(longest.bytes[46], zorhost::RawDescription::kUntouchedByte);
    for (int32_t nIndex : {24, -1, 1000}) {
        const zorhost::RawDescription none = Host().DescribeRaw(nIndex);
        EXPECT_EQ(none.result, 0);
        for (uint8_t b : none.bytes) ASSERT_EQ(b, zorhost::RawDescription::kUntouchedByte);
    }
    EXPECT_EQ(Host().CallRaw(-2, nullptr, 0).returnValue, 1);
}

TEST(Dispatch, CommandsOutsideTheFunctionsCallNothing) {
    for (int16_t nCmd : {12, 23, 24, 100, -4, -32768}) {
        const CallResult r = Host().CallRaw(nCmd, nullptr, 0);
        EXPECT_EQ(r.returnValue, 0) << nCmd;
        EXPECT_EQ(r.callbackCount, 0) << nCmd;
    }
    EXPECT_EQ(Host().CallRaw(-3, nullptr, 0).returnValue, 1);
    EXPECT_EQ(Host().CallRaw(-1, nullptr, 0).returnValue, 24);
}

TEST(Dispatch, AHandlerReturnsWhatTheCallbackReturned) {
    Host().Services().SetCallbackReturn(1234);
    const CallResult ok = Info({Int(1)});
    const CallResult failed = Info({});
    Host().Services().SetCallbackReturn(std::nullopt);
    EXPECT_TRUE(ok.Succeeded());
    EXPECT_EQ(ok.returnValue, 1234);
    EXPECT_TRUE(failed.Failed());
    EXPECT_EQ(failed.returnValue, 1234);
}

TEST(GetInfo, ReportsVersionCountsAndOpenContainers) {
    EXPECT_EQ(Info({Int(0)}).value, Int(44009));
    EXPECT_EQ(Info({Int(1)}).value, Int(12));
    EXPECT_EQ(Info({Int(2)}).value, Int(12));
    const CallResult open = Info({Int(3)});
    ASSERT_TRUE(open.Succeeded());
    EXPECT_GE(open.value.integer(), 0);
}

TEST(GetInfo, AnswersMessageTextsForAnyOtherRequest) {
    EXPECT_EQ(Info({Int(101)}).value, Text(u"ZOR JSON extender"));
    EXPECT_EQ(Info({Int(20104)}).value, Text(u"20104: JSON handle is not valid"));
    EXPECT_EQ(Info({Int(5)}).value, Text(u""));
    EXPECT_EQ(Info({Int(-20104)}).value, Text(u""));
}

TEST(GetInfo, RefusesMissingAndMistypedArguments) {
    const CallResult none = Info({});
    EXPECT_TRUE(none.Failed());
    EXPECT_EQ(none.errorText, "20106: Wrong number of parameters");
    EXPECT_TRUE(none.details.empty()) << "jsGetInfo hands over no detail of its own errors";
    EXPECT_EQ(Info({Int(4)}).errorText, "20106: Wrong number of parameters");
    EXPECT_EQ(Info({Text(u"0")}).errorText, "20101: Invalid argument");
    EXPECT_EQ(Info({Int(4), Int(7)}).errorText, "20101: Invalid argument");
    ZorValue args[2] = {};
    args[0].nType = ZOR_TYPE_INTEGER;
    args[0].nValue = 4;
    args[1].nType = ZOR_TYPE_TEXT16;  // with a null text
    EXPECT_EQ(Host().CallRaw(10, args, 2).errorText, "20101: Invalid argument");
    EXPECT_EQ(Info({Int(4), Text(u"*arr1849*")}).errorText, "20104: JSON handle is not valid");
}
