// The reference host on its own: its services as an extender calls them
// through the table, the conversion of values to records and back, and the
// call machinery against a small fake extender linked into the test.
#include <cstring>
#include <gtest/gtest.h>

#include "host/ZorHost.h"
#include "tests/host/FakeExtender.h"

namespace {

using namespace zorhost;

ZorValue IntegerRecord(int32_t nValue) {
    ZorValue record{};
    record.nType = ZOR_TYPE_INTEGER;
    record.nValue = nValue;
    return record;
}

ZorValue TextRecord(char16_t* szText) {
    ZorValue record{};
    record.nType = ZOR_TYPE_TEXT16;
    record.pText = szText;
    return record;
}

class HostServicesTest : public ::testing::Test {
protected:
    int32_t CreateArray(ZorValue& out, uint32_t nCount) {
        const uint32_t dims[5] = {nCount, 0, 0, 0, 0};
        return m_pTable->CreateArray(m_pTable->pContext, &out, 56, dims, 20, 2);
    }
    int32_t SetElement(ZorValue& array, uint32_t nIndex, ZorValue value, uint32_t nSecond = 0) {
        const uint32_t indexes[5] = {nIndex, nSecond, 0, 0, 0};
        return m_pTable->SetArrayElement(m_pTable->pContext, &array, indexes, &value, 56, 2);
    }
    int32_t CreateMap(ZorValue& map) {
        return m_pTable->MapOperation(m_pTable->pContext, &map, 56, nullptr, 0, nullptr, 0, nullptr, 0, ZOR_MAP_CREATE);
    }
    int32_t SetEntry(ZorValue& map, ZorValue key, ZorValue value, uint32_t nOperation = ZOR_MAP_SET_ENTRY) {
        return m_pTable->MapOperation(m_pTable->pContext, &map, 56, nullptr, 0, &key, 56, &value, 56, nOperation);
    }
    int32_t Store(const char* szPointer, ZorValue value) {
        return m_pTable->StoreToVariable(m_pTable->pContext, szPointer, &value, 56, 2);
    }
    HostValue Read(const ZorValue& record) {
        return m_host.Store().ReadRecord(record).value_or(HostValue::Text8("unreadable"));
    }

    ZorHost m_host;
    ZorServices* m_pTable = m_host.Services().Table();
};

TEST_F(HostServicesTest, MapsKeepInsertionOrderAndReplaceInPlace) {
    ZorValue map;
    std::memset(&map, 0xAB, sizeof map);
    ASSERT_EQ(CreateMap(map), 0);
    EXPECT_EQ(map.nType, kTypeMap);
    char16_t b[] = u"b", a[] = u"a", c[] = u"c";
    ASSERT_EQ(SetEntry(map, TextRecord(b), IntegerRecord(1)), 0);
    ASSERT_EQ(SetEntry(map, TextRecord(a), IntegerRecord(2)), 0);
    ASSERT_EQ(SetEntry(map, TextRecord(b), TextRecord(c)), 0);
    EXPECT_EQ(Read(map), HostValue::MapOf({{u"b", HostValue::Text16(u"c")}, {u"a", HostValue::Integer(2)}}));
    EXPECT_NE(Read(map), HostValue::MapOf({{u"a", HostValue::Integer(2)}, {u"b", HostValue::Text16(u"c")}}));
}

TEST_F(HostServicesTest, MapOperationsRefuseWhatTheHostDoesNotKnow) {
    ZorValue map{}, unknownMap{};
    ASSERT_EQ(CreateMap(map), 0);
    char16_t key[] = u"k";
    EXPECT_NE(SetEntry(map, IntegerRecord(1), IntegerRecord(1)), 0) << "integer key";
    EXPECT_NE(SetEntry(map, TextRecord(nullptr), IntegerRecord(1)), 0) << "null key text";
    EXPECT_NE(SetEntry(map, TextRecord(key), TextRecord(nullptr)), 0) << "null value text";
    EXPECT_NE(SetEntry(unknownMap, TextRecord(key), IntegerRecord(1)), 0) << "map never created";
    EXPECT_EQ(SetEntry(map, TextRecord(key), IntegerRecord(1), 4), kStatusBadOperation);
    ZorValue extra{};
    EXPECT_NE(m_pTable->MapOperation(m_pTable->pContext, &map, 56, nullptr, 0, &extra, 56, nullptr, 0, ZOR_MAP_CREATE),
              0)
        << "create with a key";
    EXPECT_EQ(Read(map), HostValue::MapOf({}));
}

TEST_F(HostServicesTest, ArraysHoldCopiesAndRefuseIndexesOutOfRange) {
    ZorValue array;
    ASSERT_EQ(CreateArray(array, 2), 0);
    EXPECT_EQ(array.nType, uint32_t{ZOR_TYPE_ARRAY});
    ASSERT_NE(array.pText, nullptr);
    char16_t text[] = u"x1";
    ASSERT_EQ(SetElement(array, 0, TextRecord(text)), 0);
    text[1] = u'2';  // the extender's buffer changes or dies after the call
    ASSERT_EQ(SetElement(array, 1, IntegerRecord(-4)), 0);
    EXPECT_EQ(Read(array), HostValue::ArrayOf({HostValue::Text16(u"x1"), HostValue::Integer(-4)}));

    EXPECT_EQ(SetElement(array, 2, IntegerRecord(0)), kStatusBadIndex);
    EXPECT_EQ(SetElement(array, 0xFFFFFFFF, IntegerRecord(0)), kStatusBadIndex);
    EXPECT_NE(SetElement(array, 0, IntegerRecord(0), 1), 0) << "second dimension";
    ZorValue forged = array;
    forged.pText = &text;
    EXPECT_NE(SetElement(forged, 0, IntegerRecord(0)), 0) << "block the host never made";
}

TEST_F(HostServicesTest, EmptyArraysAndBadRequests) {
    ZorValue empty;
    ASSERT_EQ(CreateArray(empty, 0), 0);
    EXPECT_NE(empty.pText, nullptr) << "even an empty array has a block to lock";
    EXPECT_EQ(Read(empty), HostValue::ArrayOf({}));
    EXPECT_EQ(SetElement(empty, 0, IntegerRecord(1)), kStatusBadIndex);

    ZorValue out{};
    const uint32_t twoDims[5] = {2, 2, 0, 0, 0};
    EXPECT_NE(m_pTable->CreateArray(m_pTable->pContext, &out, 56, twoDims, 20, 2), 0);
    const uint32_t dims[5] = {1, 0, 0, 0, 0};
    EXPECT_NE(m_pTable->CreateArray(m_pTable->pContext, &out, 56, dims, 20, 3), 0) << "code";
    EXPECT_NE(m_pTable->CreateArray(m_pTable->pContext, &out, 48, dims, 20, 2), 0) << "size";
    EXPECT_EQ(CreateArray(out, kMaxArrayElements + 1), kStatusNoMemory);
}

TEST_F(HostServicesTest, VariablesAreNamedByPointerTexts) {
    std::string strPointer = m_host.Store().MakePointer("found");
    EXPECT_GE(strPointer.size(), 38u);
    EXPECT_NE(strPointer, m_host.Store().MakePointer("other"));

    EXPECT_EQ(Store("@zorvar:unknown", IntegerRecord(1)), kStatusBadPointer);
    EXPECT_EQ(Store(nullptr, IntegerRecord(1)), kStatusBadPointer);
    EXPECT_EQ(m_host.Store().Variable("found"), nullptr);

    ZorValue array;
    ASSERT_EQ(CreateArray(array, 1), 0);
    ASSERT_EQ(Store(strPointer.c_str(), array), 0);
    char16_t text[] = u"late";
    ASSERT_EQ(SetElement(array, 0, TextRecord(text)), 0);
    const HostValue* pStored = m_host.Store().Variable("found");
    ASSERT_NE(pStored, nullptr);
    EXPECT_EQ(*pStored, HostValue::ArrayOf({HostValue::Text16(u"late")})) << "the array is shared";
}

TEST_F(HostServicesTest, FaultSwitchFailsAServiceAfterItsSuccesses) {
    ZorValue array;
    m_host.Services().SetFault(Service::CreateArray, 7, 2);
    EXPECT_EQ(CreateArray(array, 1), 0);
    EXPECT_EQ(CreateArray(array, 1), 0);
    EXPECT_EQ(CreateArray(array, 1), 7);
    EXPECT_EQ(CreateArray(array, 1), 7);
    EXPECT_EQ(SetElement(array, 0, IntegerRecord(1)), 0) << "other services are untouched";
    m_host.Services().ClearFaults();
    EXPECT_EQ(CreateArray(array, 1), 0);
    EXPECT_EQ(m_host.Services().Calls(Service::CreateArray), 5u);

    std::string strPointer = m_host.Store().MakePointer("v");
    m_host.Services().SetFault(Service::StoreToVariable, 11);
    EXPECT_EQ(Store(strPointer.c_str(), IntegerRecord(1)), 11);
    EXPECT_EQ(m_host.Store().Variable("v"), nullptr);
    ZorValue map{};
    m_host.Services().SetFault(Service::MapOperation, 12, 1);
    EXPECT_EQ(CreateMap(map), 0);
    EXPECT_EQ(CreateMap(map), 12);
}

TEST_F(HostServicesTest, RecordsConvertBothWays) {
    const std::vector<HostValue> values = {
        HostValue(),
        HostValue::Integer(-7),
        HostValue::Text16(u"h\u00e9llo \U0001F600"),
        HostValue::Text8("caf\xc3\xa9"),
        HostValue::ArrayOf({HostValue::Integer(1), HostValue::Text16(u"two")}),
        HostValue::MapOf({{u"k", HostValue::Integer(3)}}),
    };
    const uint32_t types[] = {0, ZOR_TYPE_INTEGER, ZOR_TYPE_TEXT16, ZOR_TYPE_TEXT8, ZOR_TYPE_ARRAY, kTypeMap};
    RecordTexts texts;
    for (size_t i = 0; i < values.size(); ++i) {
        ZorValue record;
        ASSERT_EQ(m_host.Store().WriteRecord(values[i], record, texts), 0);
        EXPECT_EQ(record.nType, types[i]) << values[i];
        EXPECT_EQ(Read(record), values[i]);
    }

    ZorValue record{};
    record.nType = 0x40;
    EXPECT_FALSE(m_host.Store().ReadRecord(record)) << "unknown type";
    record.nType = ZOR_TYPE_TEXT8;
    EXPECT_FALSE(m_host.Store().ReadRecord(record)) << "null text";
    char16_t text[] = u"t";
    record.pText = text;
    record.nType = ZOR_TYPE_TEXT16 | ZOR_TYPE_INTEGER;
    EXPECT_FALSE(m_host.Store().ReadRecord(record)) << "two types at once";
}

TEST_F(HostServicesTest, ErrorDetailsAreKeptInOrder) {
    m_pTable->SetErrorDetail(m_pTable->pContext, "one");
    m_pTable->SetErrorDetail(m_pTable->pContext, nullptr);
    m_pTable->SetErrorDetail(nullptr, "lost");
    m_pTable->SetErrorDetail(m_pTable->pContext, "two");
    EXPECT_EQ(m_host.Services().Pending().details, (std::vector<std::string>{"one", "", "two"}));
}

TEST_F(HostServicesTest, LentArraysAreForgottenButValuesKeepThem) {
    ZorValue array;
    ASSERT_EQ(CreateArray(array, 1), 0);
    HostValue held = Read(array);
    m_host.Store().ReleaseLent();
    EXPECT_FALSE(m_host.Store().ReadRecord(array));
    EXPECT_EQ(held, HostValue::ArrayOf({HostValue()}));
}

TEST(HostValueTest, DisplayAndComparison) {
    HostValue map = HostValue::MapOf({{u"a", HostValue::ArrayOf({HostValue::Integer(1)})}});
    EXPECT_EQ(Display(map), "{u\"a\": [1]}");
    EXPECT_EQ(Display(HostValue::Text8("x")), "\"x\"");
    EXPECT_NE(HostValue::Text8("1"), HostValue::Text16(u"1"));
    EXPECT_NE(HostValue::Integer(1), HostValue::Text16(u"1"));
    EXPECT_EQ(ToUtf8(u"\u00e9\U0001F600"), "\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

// ---- Calls, against a fake extender ----------------------------------------------

class HostCallTest : public ::testing::Test {
protected:
    void SetUp() override { m_host.Attach(&fake::Query, &fake::Call); }
    ZorHost m_host;
};

TEST_F(HostCallTest, ReadsTheTableAndFindsNamesWithoutRegardToCase) {
    EXPECT_EQ(m_host.Negotiate({5, 4}), 5);
    EXPECT_EQ(m_host.Negotiate({}), -1);
    VersionAnswer version = m_host.QueryVersion();
    EXPECT_EQ(version.version, 7);
    EXPECT_EQ(version.title, u"Fake");
    ASSERT_TRUE(m_host.ReadTable());
    ASSERT_EQ(m_host.Entries().size(), 6u);
    const EntryInfo& entry = m_host.Entries()[3];
    EXPECT_EQ(entry.index, 3u);
    EXPECT_EQ(entry.kind, kKindFunction);
    EXPECT_EQ(entry.types, 0x55u);
    EXPECT_EQ(entry.value, 0x101u);
    EXPECT_EQ(entry.size, 5u);
    EXPECT_EQ(entry.name, u"rogue");
    EXPECT_EQ(m_host.IndexOf("ARRAY"), std::optional<int16_t>(2));
    EXPECT_FALSE(m_host.IndexOf("missing"));
    EXPECT_THROW(m_host.Call("missing", {}), HostError);

    RawDescription raw = m_host.DescribeRaw(0);
    EXPECT_EQ(raw.result, 1);
    EXPECT_EQ(raw.bytes[22 + 8], 0) << "terminator after \"echo\"";
    EXPECT_EQ(raw.bytes[22 + 9], 0);
    EXPECT_EQ(raw.bytes[22 + 10], RawDescription::kUntouchedByte) << "nothing written beyond";
    raw = m_host.DescribeRaw(99);
    EXPECT_EQ(raw.result, 0);
    for (uint8_t byte : raw.bytes) ASSERT_EQ(byte, RawDescription::kUntouchedByte);
}

TEST_F(HostCallTest, ResultsAndErrorsComeBackThroughTheCallback) {
    CallResult echo = m_host.Call("Echo", {HostValue::Text16(u"hi")});
    EXPECT_TRUE(echo.Succeeded());
    EXPECT_EQ(echo.returnValue, 0);
    EXPECT_EQ(echo.value, HostValue::Text16(u"hi"));
    EXPECT_TRUE(echo.details.empty());

    CallResult fail = m_host.Call("fail", {});
    EXPECT_TRUE(fail.Failed());
    EXPECT_EQ(fail.returnValue, -1);
    EXPECT_EQ(fail.errorText, "20101: Invalid argument");
    EXPECT_EQ(fail.details, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(fail.value, HostValue());

    m_host.Services().SetCallbackReturn(42);
    EXPECT_EQ(m_host.Call("echo", {HostValue::Integer(1)}).returnValue, 42);
}

TEST_F(HostCallTest, ArrayResultsOutliveTheCall) {
    CallResult call = m_host.Call("array", {HostValue::Integer(1), HostValue::Text8("b")});
    ASSERT_TRUE(call.Succeeded());
    EXPECT_EQ(call.value, HostValue::ArrayOf({HostValue::Integer(1), HostValue::Text8("b")}));
    EXPECT_FALSE(m_host.Store().ReadRecord(call.record)) << "the record is no longer lent";

    m_host.Services().SetFault(Service::CreateArray, 3);
    call = m_host.Call("array", {});
    EXPECT_EQ(call.returnValue, 99);
    EXPECT_EQ(call.callbackCount, 0);
}

TEST_F(HostCallTest, ACallbackWithAWrongCookieOrRepeatedIsSeen) {
    CallResult call = m_host.Call("rogue", {});
    EXPECT_EQ(call.callbackCount, 2);
    EXPECT_FALSE(call.callbackArgsOk);
    EXPECT_FALSE(call.Succeeded());
    EXPECT_EQ(call.value, HostValue::Integer(0)) << "the result record starts zeroed";
}

TEST(HostLoadTest, AMissingModuleIsReportedAndCallsRefused) {
    ZorHost host;
    EXPECT_FALSE(host.Load("/nonexistent/folder/qrbjs64i.so"));
    EXPECT_FALSE(host.LoadError().empty());
    EXPECT_FALSE(host.Loaded());
    EXPECT_THROW(host.QueryVersion(), HostError);
    EXPECT_THROW(host.CallRaw(-1, nullptr, 0), HostError);
}

}  // namespace
