// jsSerialize and jsConMap through the exported entries.
#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

CallResult Serialize(std::vector<HostValue> args) { return Host().Call("jsSerialize", args); }
CallResult Map(std::vector<HostValue> args) { return Host().Call("jsConMap", args); }

// The entries of a host map result, in order.
std::vector<std::pair<std::u16string, HostValue>> Entries(const CallResult& r) {
    EXPECT_TRUE(r.Succeeded()) << r.errorText;
    if (!r.Succeeded() || r.value.kind() != HostValue::Kind::Map) return {};
    return r.value.map()->Entries();
}

using Output = integration::HostTest;

}  // namespace

TEST_F(Output, SerializesUtf8BytesUnlessUtf16IsAsked) {
    const std::u16string strHandle = ParseHandle(u"{\"n\":\"\u00e9\",\"a\":[1,2.5e6,-3]}");
    const std::string strCompact = "{\"n\" : \"\xC3\xA9\",\"a\" : [1,2.5e+06,-3]}";
    EXPECT_EQ(Serialize({Text(strHandle), Int(0)}).value, HostValue::Text8(strCompact));
    for (int32_t nEncoding : {0, 1, 3, -2})
        EXPECT_EQ(Serialize({Text(strHandle), Int(0), Int(nEncoding)}).value, HostValue::Text8(strCompact))
            << nEncoding;
    EXPECT_EQ(Serialize({Text(strHandle), Int(0), Int(2)}).value, Text(u"{\"n\" : \"\u00e9\",\"a\" : [1,2.5e+06,-3]}"));
    EXPECT_EQ(Serialize({Text(strHandle), Int(7)}).value,
              HostValue::Text8("{\n    \"n\" : \"\xC3\xA9\",\n    \"a\" : [\n        1,\n        2.5e+06,\n        -3\n"
                               "    ]\n}\n"));
}

TEST_F(Output, SerializeFindsAHandleWithWhiteSpaceAround) {
    const std::u16string strHandle = ParseHandle(u"[]");
    EXPECT_EQ(Serialize({Text(u" \t" + strHandle + u"\r\n"), Int(1)}).value, HostValue::Text8("[\n\n]\n"));
    EXPECT_EQ(Serialize({Text(u"*ARR" + strHandle.substr(4)), Int(1)}).errorText, "20104: JSON handle is not valid");
}

TEST_F(Output, SerializeRefusesBadArguments) {
    const std::u16string strHandle = ParseHandle(u"[]");
    EXPECT_EQ(Serialize({Text(strHandle)}).errorText, "20106: Wrong number of parameters");
    EXPECT_EQ(Serialize({Int(1), Int(1)}).errorText, "20101: Invalid argument");
    EXPECT_EQ(Serialize({Text(strHandle), Text(u"1")}).errorText, "20101: Invalid argument");
    EXPECT_EQ(Serialize({Text(strHandle), Int(1), Text(u"2")}).errorText, "20101: Invalid argument");
    EXPECT_EQ(Serialize({Text(u""), Int(1)}).errorText, "20104: JSON handle is not valid");
}

TEST_F(Output, MapsValuesAndMakesContainersOfNestedMembers) {
    const std::u16string strHandle = ParseHandle(uR"({"a":null,"b":[1],"c":{"d":{"e":1}},"s":"x\u0000y"})");
    const int32_t nOpen = OpenCount();
    const auto entries = Entries(Map({Text(strHandle)}));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], std::make_pair(std::u16string(u"a"), Text(u"null")));
    EXPECT_EQ(entries[3], std::make_pair(std::u16string(u"s"), Text(u"x")));
    EXPECT_EQ(OpenCount(), nOpen + 2);
    EXPECT_EQ(entries[1].second.text16().substr(0, 4), u"*arr");
    EXPECT_EQ(Serialize({entries[1].second, Int(0)}).value, HostValue::Text8("[1]"));
    EXPECT_EQ(Serialize({entries[2].second, Int(0)}).value, HostValue::Text8(R"({"d" : {"e" : 1}})"));
}

TEST_F(Output, MapsArrayElementsByIndexAndTypesInTypeMode) {
    const std::u16string strArray = ParseHandle(uR"([10,"x",2.5])");
    const auto values = Entries(Map({Text(strArray), Int(1)}));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], std::make_pair(std::u16string(u"0"), Text(u"10")));
    EXPECT_EQ(values[2], std::make_pair(std::u16string(u"2"), Text(u"2.500000")));
    const std::u16string strObject = ParseHandle(uR"({"a":null,"b":[1],"t":true,"n":-1,"o":{}})");
    const int32_t nOpen = OpenCount();
    const auto types = Entries(Map({Text(strObject), Int(2)}));
    EXPECT_EQ(OpenCount(), nOpen) << "type mode makes no containers";
    ASSERT_EQ(types.size(), 5u);
    const int32_t expected[] = {1, 16, 2, 4, 32};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(types[i].second, Int(expected[i])) << i;
    EXPECT_TRUE(Entries(Map({Text(ParseHandle(u"{}"))})).empty());
}

TEST_F(Output, MapChecksTheHostVersionAndItsArguments) {
    const std::u16string strHandle = ParseHandle(u"[1]");
    Host().Services().SetHostVersion(1010);
    EXPECT_EQ(Map({Text(strHandle)}).errorText, "20111: Extender function requires ZOR DLL version 6.21bub or newer");
    Host().Services().SetHostVersion(1011);
    EXPECT_TRUE(Map({Text(strHandle)}).Succeeded());
    EXPECT_EQ(Map({Text(u" " + strHandle)}).errorText, "20104: JSON handle is not valid");
    EXPECT_EQ(Map({Text(strHandle), Text(u"2")}).errorText, "20101: Invalid argument");
    EXPECT_EQ(Map({}).errorText, "20101: Invalid argument");
}

TEST_F(Output, AFailingMapServiceLeavesNoContainerBehind) {
    const std::u16string strHandle = ParseHandle(uR"({"a":[1],"b":{},"c":3})");
    const int32_t nOpen = OpenCount();
    Host().Services().SetFault(zorhost::Service::MapOperation, 42, 3);  // create, a, b succeed
    const CallResult r = Map({Text(strHandle)});
    EXPECT_EQ(r.errorText, "20118: Internal error. ZOR Map creation failed");
    EXPECT_EQ(r.details, std::vector<std::string>{"42"});
    EXPECT_EQ(OpenCount(), nOpen) << "the containers made for a and b are closed again";
    Host().Services().SetFault(zorhost::Service::MapOperation, -7);
    EXPECT_EQ(Map({Text(strHandle)}).details, std::vector<std::string>{"-7"});
}
