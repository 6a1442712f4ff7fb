// jsKeyPaths and jsKeyExist through the exported entries.
#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

// The listed paths, or the error text in a one-element list.
std::vector<std::u16string> Paths(const std::u16string& strJson, const std::u16string& strPath,
                                  const std::u16string& strDelimiter = u".") {
    const CallResult r = Host().Call("jsKeyPaths", {Text(ParseHandle(strJson)), Text(strPath), Text(strDelimiter)});
    if (!r.Succeeded()) return {u"error " + std::u16string(r.errorText.begin(), r.errorText.begin() + 5)};
    std::vector<std::u16string> paths;
    for (const HostValue& element : r.value.array()->elements) paths.push_back(element.text16());
    return paths;
}

// jsKeyExist's count, or minus the error number.
int32_t Exist(const std::u16string& strJson, const std::u16string& strPath) {
    const CallResult r = Host().Call("jsKeyExist", {Text(ParseHandle(strJson)), Text(strPath)});
    return r.Succeeded() ? r.value.integer() : -std::stoi(r.errorText.substr(0, 5));
}

using List = std::vector<std::u16string>;

using KeyPaths = integration::HostTest;

}  // namespace

TEST_F(KeyPaths, ListsTheWholeTreeDepthFirst) {
    EXPECT_EQ(Paths(uR"({"a":1,"b":{"c":[10,{"d":2}]},"e":[[5]]})", u""),
              (List{u"[a]", u"[b]", u"[b].[c]", u"[b].[c][0]", u"[b].[c][1]", u"[b].[c][1].[d]", u"[e]", u"[e][0]",
                    u"[e][0].[][0]"}));
    EXPECT_EQ(Paths(uR"({"a":[1,[2]]})", u""), (List{u"[a]", u"[a][0]", u"[a][1]", u"[a][1].[][0]"}));
    EXPECT_EQ(Paths(uR"([{"x":1},3])", u""), (List{u"[][0]", u"[][0].[x]", u"[][1]"}));
    EXPECT_EQ(Paths(uR"({"a":{"b":1}})", u"", u"/"), (List{u"[a]", u"[a]/[b]"}));
    EXPECT_EQ(Paths(u"{}", u""), List{});
}

TEST_F(KeyPaths, SearchesAMemberNameAtEveryDepth) {
    const std::u16string strTree = uR"({"x":1,"y":{"x":{"x":2}}})";
    EXPECT_EQ(Paths(strTree, u"x"), (List{u"[x]", u"[y].[x]", u"[y].[x].[x]"}));
    EXPECT_EQ(Paths(strTree, u"y.x"), (List{u"[y].[x]", u"[y].[x].[x]"}));
    EXPECT_EQ(Paths(strTree, u"q.x"), List{u"error 20127"});
    EXPECT_EQ(Paths(strTree, u"y.x.x.x"), List{u"error 20127"});
    EXPECT_EQ(Paths(strTree, u"nothing"), List{});
}

TEST_F(KeyPaths, SearchesAnIndexAndStopsAtATooShortArray) {
    EXPECT_EQ(Paths(uR"({"b":[7],"c":{"b":[8,9]}})", u"b[1]"), List{});
    EXPECT_EQ(Paths(uR"({"c":{"b":[8,9]}})", u"b[1]"), List{u"[c].[b][1]"});
    EXPECT_EQ(Paths(uR"([[1,2],[3]])", u"[][1]"), (List{u"[][1]", u"[][0].[][1]"}));
    EXPECT_EQ(Paths(uR"({"a":{"b":[[0,1]]}})", u"a.b[0]"), (List{u"[a].[b][0]", u"[a].[b][0].[][0]"}))
        << "a search descends into the match too";
    EXPECT_EQ(Paths(uR"({"a":[[0,1],[2]]})", u"a.[][1]"), (List{u"[a][1]", u"[a][0].[][1]"}))
        << "below a key naming an array, element paths continue the key";
    for (const char16_t* szBad : {u"b[]", u"b[-1]", u"b[x]", u"b[99999999999999999999]"})
        EXPECT_EQ(Paths(uR"({"b":[1]})", szBad), List{u"error 20116"}) << zorhost::ToUtf8(szBad);
}

// What a path reads: the value's text, or the serialization of a container.
std::string ReadBack(const std::u16string& h, const std::u16string& strPath, const std::u16string& strDelimiter) {
    const CallResult r = Host().Call("jsValueGet", {Text(h), Text(strPath), Text(strDelimiter)});
    if (!r.Succeeded()) return "error " + r.errorText;
    const std::u16string strText = r.value.text16();
    if (strText.rfind(u"*obj", 0) != 0 && strText.rfind(u"*arr", 0) != 0) return zorhost::ToUtf8(strText);
    return Host().Call("jsSerialize", {Text(strText), Int(0)}).value.text8();
}

// With a delimiter outside ASCII every listed path reads back the value at
// its place, the one its twin listed with "/" reads; keys that share bytes
// with the delimiter's UTF-8 form or hold it stay whole.
TEST_F(KeyPaths, ListedPathsReadBackWithADelimiterOutsideAscii) {
    for (const std::u16string strWide : {u"\u00a7", u"\u00e9", u"\u2192"}) {
        const std::u16string strTree =
            u"{\"a\":{\"b\":1,\"\":{\"b\":2}},\"c\":[{\"d\":3},[4,[5]]],"
            u"\"x\u00a9\u00e8\u2190y\":{\"k\":6},\"p" +
            strWide + u"q\":[7]}";
        const std::u16string h = ParseHandle(strTree);
        const List wide = Paths(strTree, u"", strWide);
        const List slash = Paths(strTree, u"", u"/");
        ASSERT_EQ(wide.size(), 15u);
        ASSERT_EQ(slash.size(), wide.size());
        for (size_t i = 0; i < wide.size(); ++i)
            EXPECT_EQ(ReadBack(h, wide[i], strWide), ReadBack(h, slash[i], u"/")) << zorhost::ToUtf8(wide[i]);
        EXPECT_EQ(Paths(strTree, u"a" + strWide + u"b", strWide),
                  (List{u"[a]" + strWide + u"[b]", u"[a]" + strWide + u"[]" + strWide + u"[b]"}));
        EXPECT_EQ(Paths(strTree, u"c" + strWide + u"d", strWide), (List{u"[c][0]" + strWide + u"[d]"}));
        const std::u16string added = ParseHandle(u"{\"a\":{}}");
        for (const std::u16string& strPath : {u"a" + strWide + u"x", u"[y" + strWide + u"z]"})
            EXPECT_TRUE(
                Host().Call("jsValueAdd", {Text(added), Text(strPath), Text(u"5"), Int(4), Text(strWide)}).Succeeded());
        EXPECT_EQ(Host().Call("jsSerialize", {Text(added), Int(0)}).value.text8(),
                  "{\"a\" : {\"x\" : 5},\"y" + zorhost::ToUtf8(strWide) + "z\" : 5}");
    }
}

TEST_F(KeyPaths, ChecksArgumentsBeforeTheContainer) {
    const std::u16string strHandle = ParseHandle(u"{}");
    EXPECT_EQ(Host().Call("jsKeyPaths", {Text(strHandle)}).errorText, "20101: Invalid argument");
    EXPECT_EQ(Host().Call("jsKeyPaths", {Text(u"*obj1*"), Text(u""), Text(u"[")}).errorText,
              "20113: Delimiter has too many characters or is a reserved JSON character");
    EXPECT_EQ(Host().Call("jsKeyPaths", {Text(strHandle), Text(u""), Int(1)}).errorText, "20101: Invalid argument");
    EXPECT_TRUE(Host().Call("jsKeyPaths", {Text(u"\t" + strHandle + u" "), Text(u"")}).Succeeded());
    EXPECT_EQ(Host().Call("jsKeyPaths", {Text(u"*obj1*"), Text(u"")}).errorText, "20104: JSON handle is not valid");
}

TEST_F(KeyPaths, AHostThatRefusesTheArrayGivesItsStatus) {
    const std::u16string strHandle = ParseHandle(uR"({"a":1,"b":2})");
    Host().Services().SetFault(zorhost::Service::CreateArray, 9);
    CallResult r = Host().Call("jsKeyPaths", {Text(strHandle), Text(u"")});
    EXPECT_EQ(r.errorText, "20125: Internal error. ZOR array creation failed");
    EXPECT_EQ(r.details, std::vector<std::string>{"9"});
    Host().Services().ClearFaults();
    Host().Services().SetFault(zorhost::Service::SetArrayElement, 4, 1);
    r = Host().Call("jsKeyPaths", {Text(strHandle), Text(u"")});
    EXPECT_EQ(r.errorText, "20126: Internal error. Adding an element to ZOR array failed");
    EXPECT_EQ(r.details, std::vector<std::string>{"4"});
}

TEST_F(KeyPaths, ExistCountsMatchesAndReadsADeadEndAsAbsence) {
    const std::u16string strObject = uR"({"a":{"b":1}})";
    EXPECT_EQ(Exist(strObject, u"a.b"), 1);
    EXPECT_EQ(Exist(strObject, u"a.c"), 0);
    EXPECT_EQ(Exist(strObject, u"b"), 1);
    EXPECT_EQ(Exist(strObject, u"x.b"), 0);
    EXPECT_EQ(Exist(strObject, u"a.b.c"), 0);
    EXPECT_EQ(Exist(strObject, u""), 2);
    const std::u16string strArray = uR"({"a":[1,2]})";
    EXPECT_EQ(Exist(strArray, u"a[1]"), 1);
    EXPECT_EQ(Exist(strArray, u"a[2]"), 0);
    EXPECT_EQ(Exist(strArray, u"a[x]"), 0);
    EXPECT_EQ(Exist(strArray, u"a[0].b"), 0);
    EXPECT_EQ(Exist(uR"({"a":[[1]]})", u"a[5].x"), -20114) << "an index past the end on the way is an error";
}

TEST_F(KeyPaths, ExistStoresTheListIntoTheNamedVariable) {
    const std::u16string strHandle = ParseHandle(uR"({"a":{"b":1},"b":2})");
    const std::string strPointer = Host().Store().MakePointer("found");
    CallResult r = Host().Call("jsKeyExist", {Text(strHandle), Text(u"b"), HostValue::Text8(strPointer)});
    EXPECT_EQ(r.value, Int(2));
    ASSERT_NE(Host().Store().Variable("found"), nullptr);
    EXPECT_EQ(*Host().Store().Variable("found"), HostValue::ArrayOf({Text(u"[b]"), Text(u"[a].[b]")}));
    r = Host().Call("jsKeyExist", {Text(strHandle), Text(u"zz"), HostValue::Text8(strPointer), Text(u"/")});
    EXPECT_EQ(r.value, Int(0));
    EXPECT_EQ(*Host().Store().Variable("found"), HostValue::ArrayOf({})) << "no match stores an empty array";
}

TEST_F(KeyPaths, ExistRefusesBadPointersBeforeLookingUpTheContainer) {
    const HostValue shortPointer = HostValue::Text8(std::string(37, 'p'));
    EXPECT_EQ(Host().Call("jsKeyExist", {Text(u"*obj1*"), Text(u"a"), shortPointer}).errorText,
              "20129: Invalid ZOR pointer");
    EXPECT_EQ(Host().Call("jsKeyExist", {Text(u"*obj1*"), Text(u"a"), Text(u"pointer")}).errorText,
              "20101: Invalid argument");
    const std::u16string strHandle = ParseHandle(uR"({"a":1})");
    const CallResult unknown =
        Host().Call("jsKeyExist", {Text(strHandle), Text(u"a"), HostValue::Text8(std::string(40, 'p'))});
    EXPECT_EQ(unknown.errorText, "20129: Invalid ZOR pointer") << "the host refuses a pointer it never made";
    EXPECT_EQ(unknown.details, std::vector<std::string>{"13"});
}

TEST_F(KeyPaths, ExistMapsTheHostsStoreStatus) {
    const std::u16string strHandle = ParseHandle(uR"({"a":1})");
    const HostValue pointer = HostValue::Text8(Host().Store().MakePointer("v"));
    Host().Services().SetFault(zorhost::Service::StoreToVariable, 11);
    EXPECT_EQ(Host().Call("jsKeyExist", {Text(strHandle), Text(u"a"), pointer}).errorText,
              "20115: System memory error");
    Host().Services().SetFault(zorhost::Service::StoreToVariable, 5);
    const CallResult other = Host().Call("jsKeyExist", {Text(strHandle), Text(u"a"), pointer});
    EXPECT_EQ(other.errorText, "20130: Internal error. ZOR variable update failed");
    EXPECT_EQ(other.details, std::vector<std::string>{"5"});
}
