// jsValueGet, jsValueType and jsValueAdd through the exported entries: the
// key path forms and their errors, the order of the checks, the root path,
// copies and their independence, member order, array growth, and containers
// left exactly as they were after every failure.
#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

CallResult Get(std::vector<HostValue> args) { return Host().Call("jsValueGet", args); }
CallResult Type(std::vector<HostValue> args) { return Host().Call("jsValueType", args); }
CallResult Add(std::vector<HostValue> args) { return Host().Call("jsValueAdd", args); }

// The value's text, or the error's message and details.
std::string Outcome(const CallResult& r) {
    if (r.Succeeded()) {
        if (r.value.kind() == HostValue::Kind::Integer) return std::to_string(r.value.integer());
        return zorhost::ToUtf8(r.value.text16());
    }
    std::string strText = r.errorText;
    for (const std::string& strDetail : r.details) strText += " | " + strDetail;
    return strText;
}

std::string GetText(const std::u16string& strHandle, const std::u16string& strPath) {
    return Outcome(Get({Text(strHandle), Text(strPath)}));
}
std::string TypeOf(const std::u16string& strHandle, const std::u16string& strPath) {
    return Outcome(Type({Text(strHandle), Text(strPath)}));
}

// jsValueAdd's outcome, and the container's JSON after it.
std::string AddTo(const std::u16string& strHandle, const std::u16string& strPath, const std::u16string& strValue,
                  int32_t nType) {
    const std::string strOutcome = Outcome(Add({Text(strHandle), Text(strPath), Text(strValue), Int(nType)}));
    return strOutcome + " -> " + Json(strHandle);
}

constexpr int32_t kNull = 1, kBool = 2, kNum = 4, kStr = 8, kArr = 16, kObj = 32;
const std::string kUnexpected = "20112: Found unexpected item in key path";
const std::string kNotFound = "20108: JSON Key not found";
const std::string kOutOfRange = "20114: Array index out-of-bounds";
const std::string kBadIndex = "20116: Invalid JSON key syntax. Expecting array element indicator";
const std::string kBadHandle = "20104: JSON handle is not valid";
const std::string kInvalid = "20101: Invalid argument";
const std::string kBadDelimiter = "20113: Delimiter has too many characters or is a reserved JSON character";

class ValueAccess : public ::testing::Test {
protected:
    void TearDown() override { Host().Call("jsConClose", {}); }
};

}  // namespace

// ---- jsValueGet and jsValueType ----------------------------------------------------

TEST_F(ValueAccess, ReadsScalarsAsTextAndTypeBits) {
    const std::u16string h = ParseHandle(uR"({"a":{"b":[1,2.5,"x",null,true]}})");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"1", "4"}, {"2.500000", "4"}, {"x", "8"}, {"null", "1"}, {"true", "2"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::u16string strPath = u"a.b[" + std::u16string(1, u'0' + i) + u"]";
        EXPECT_EQ(GetText(h, strPath), expected[i].first) << i;
        EXPECT_EQ(TypeOf(h, strPath), expected[i].second) << i;
    }
    EXPECT_EQ(GetText(h, u"a.b[0].x"), "1") << "a plain last segment after a scalar is ignored";
    EXPECT_EQ(TypeOf(h, u"a.b[0].x"), "4");
    EXPECT_EQ(GetText(h, u" \ta.b[2] \r\n"), "x") << "white space around the path is removed";
    EXPECT_EQ(Outcome(Get({Text(h), Text(u"a/b[1]"), Text(u"/")})), "2.500000");
    EXPECT_EQ(Outcome(Type({Text(h), Text(u"a|b[2]"), Text(u"|")})), "8");
}

TEST_F(ValueAccess, ArraysAndObjectsComeBackAsNewIndependentContainers) {
    const std::u16string h = ParseHandle(uR"({"a":{"b":[1,2]}})");
    const int32_t nOpen = OpenCount();
    const std::string strFirst = GetText(h, u"a");
    const std::string strSecond = GetText(h, u"a");
    EXPECT_EQ(strFirst.substr(0, 4), "*obj");
    EXPECT_NE(strFirst, strSecond);
    EXPECT_EQ(OpenCount(), nOpen + 2);
    EXPECT_EQ(TypeOf(h, u"a"), "32");
    EXPECT_EQ(OpenCount(), nOpen + 2) << "jsValueType makes nothing";
    const std::u16string strCopy = zorhost::FromUtf8(strFirst);
    EXPECT_EQ(AddTo(strCopy, u"c", u"1", kNum), R"(1 -> {"b":[1,2],"c":1})");
    EXPECT_EQ(Json(h), R"({"a":{"b":[1,2]}})") << "the copy is independent";
    const std::string strArray = GetText(h, u"a.b");
    EXPECT_EQ(strArray.substr(0, 4), "*arr");
    EXPECT_EQ(TypeOf(h, u"a.b"), "16");
    EXPECT_EQ(Json(zorhost::FromUtf8(strArray)), "[1,2]");
}

TEST_F(ValueAccess, ThePathOfTheRootGivesBackTheHandleAsPassed) {
    const std::u16string h = ParseHandle(u"[1,[2,3]]");
    const int32_t nOpen = OpenCount();
    EXPECT_EQ(zorhost::FromUtf8(GetText(h, u"[]")), h);
    EXPECT_EQ(zorhost::FromUtf8(GetText(h, u".")), h) << "an empty plain segment stays on the array";
    EXPECT_EQ(OpenCount(), nOpen) << "nothing is made";
    EXPECT_EQ(TypeOf(h, u"[]"), "16");
    EXPECT_EQ(GetText(h, u"[][1].[][0]"), "2");
    EXPECT_EQ(GetText(h, u"x[1]").substr(0, 4), "*arr") << "the key part is ignored at an array";
    EXPECT_EQ(GetText(h, u"[1]"), kUnexpected + " | 1") << "a bracketed key at an array";
}

TEST_F(ValueAccess, ReadsEverySegmentForm) {
    const std::u16string h = ParseHandle(uR"({"a":{"b":[0,{"c":5}]},"a.b":7,"n":5,"l":[10,11,12],"":{"e":1}})");
    EXPECT_EQ(GetText(h, u"a.b[1].c"), "5");
    EXPECT_EQ(GetText(h, u"[a].[b][1].[c]"), "5");
    EXPECT_EQ(GetText(h, u"[a.b]"), "7");
    EXPECT_EQ(GetText(h, u"[].e"), "1");
    EXPECT_EQ(GetText(h, u"n."), "5") << "a final delimiter adds no segment";
    EXPECT_EQ(GetText(h, u"n.b"), "5");
    EXPECT_EQ(GetText(h, u"l[]"), "10");
    EXPECT_EQ(GetText(h, u"l[ 2]"), "12");
    EXPECT_EQ(GetText(h, u"l[+1]"), "11");
    // A delimiter outside ASCII is matched as a whole: w, then v.
    const std::u16string w = ParseHandle(uR"({"w":{"v":3,"":{"v":4}}})");
    EXPECT_EQ(Outcome(Get({Text(w), Text(u"w\u00e9v"), Text(u"\u00e9")})), "3");
    EXPECT_EQ(Outcome(Get({Text(w), Text(u"w\u00e9[]\u00e9v"), Text(u"\u00e9")})), "4");
}

TEST_F(ValueAccess, ReportsPathErrorsWithTheirDetails) {
    const std::u16string h = ParseHandle(uR"({"a":{"b":[0,1,2]},"n":5})");
    EXPECT_EQ(GetText(h, u"a.c"), kNotFound + " | c");
    EXPECT_EQ(GetText(h, u""), "20117: JSON path not specified");
    EXPECT_EQ(GetText(h, u"  "), "20117: JSON path not specified");
    EXPECT_EQ(GetText(h, u"n.b.c"), kUnexpected);
    EXPECT_EQ(GetText(h, u"n.[b]"), kUnexpected);
    EXPECT_EQ(GetText(h, u"n[0]"), kUnexpected);
    EXPECT_EQ(GetText(h, u"a.b.x"), kUnexpected + " | x");
    EXPECT_EQ(GetText(h, u"a.b[5]"), kOutOfRange);
    EXPECT_EQ(GetText(h, u"a.b[-1]"), kOutOfRange);
    EXPECT_EQ(GetText(h, u"a.b[x]"), kBadIndex + " | x]");
    EXPECT_EQ(TypeOf(h, u"a.b[3x]"), kBadIndex + " | 3x]");
}

TEST_F(ValueAccess, ChecksArgumentsDelimiterAndHandleInThatOrder) {
    const std::u16string h = ParseHandle(uR"({"a":1})");
    for (const char* szName : {"jsValueGet", "jsValueType"}) {
        const auto call = [&](std::vector<HostValue> args) { return Outcome(Host().Call(szName, args)); };
        EXPECT_EQ(call({Int(1), Text(u"a")}), kInvalid) << szName;
        EXPECT_EQ(call({Text(h), Int(1)}), kInvalid);
        EXPECT_EQ(call({Text(h)}), kInvalid);
        EXPECT_EQ(call({Text(u"*obj1*"), Text(u"a"), Text(u"$")}), kBadDelimiter) << "before the lookup";
        for (const char16_t* szBad : {u" ", u"[", u"]", u"\\", u"'", u"\"", u"`", u"..", u""})
            EXPECT_EQ(call({Text(h), Text(u"a"), Text(szBad)}), kBadDelimiter);
        EXPECT_EQ(call({Text(h), Text(u"a"), Int(46)}), kBadDelimiter) << "a delimiter that is no text";
        EXPECT_EQ(call({Text(u"*obj1*"), Text(u"a")}), kBadHandle);
        EXPECT_EQ(call({Text(u" " + h), Text(u"a")}), kBadHandle) << "the handle is taken verbatim";
        EXPECT_EQ(call({Text(u"*OBJ" + h.substr(4)), Text(u"a")}), kBadHandle);
        EXPECT_EQ(call({Text(h), Text(u""), Text(u"\t")}), "20117: JSON path not specified");
    }
    Host().Call("jsConClose", {Text(h)});
    EXPECT_EQ(GetText(h, u"a"), kBadHandle) << "a closed handle";
}

// ---- jsValueAdd -----------------------------------------------------------------------------

TEST_F(ValueAccess, AddsAndReplacesMembersInTheirPlace) {
    EXPECT_EQ(AddTo(ParseHandle(uR"({"a":{}})"), u"a.b", u"5", kNum), R"(1 -> {"a":{"b":5}})");
    EXPECT_EQ(AddTo(ParseHandle(u"{}"), u"x.y", u"5", kNum), kNotFound + " | x -> {}")
        << "no member is made on the way";
    const std::u16string h = ParseHandle(uR"({"k":1,"m":2})");
    EXPECT_EQ(AddTo(h, u"k", u"3", kNum), R"(1 -> {"k":3,"m":2})");
    EXPECT_EQ(AddTo(h, u"z", u"", kNull), R"(1 -> {"k":3,"m":2,"z":null})");
    EXPECT_EQ(AddTo(h, u"[]", u"e", kStr), R"(1 -> {"k":3,"m":2,"z":null,"":"e"})");
    EXPECT_EQ(AddTo(h, u"[x.y]", u"1", kBool), R"(1 -> {"k":3,"m":2,"z":null,"":"e","x.y":true})");
    const std::u16string g = ParseHandle(u"{}");
    EXPECT_EQ(AddTo(g, u"a.", u"1", kNum), R"(1 -> {"a.":1})") << "a lone last delimiter is part of the name";
    EXPECT_EQ(AddTo(g, u".a", u"2", kNum), R"(1 -> {"a.":1,".a":2})");
}

TEST_F(ValueAccess, SetsElementsAndGrowsArraysWithNulls) {
    const std::u16string h = ParseHandle(uR"({"a":[1,2]})");
    EXPECT_EQ(AddTo(h, u"a[5]", u"x", kStr), R"(1 -> {"a":[1,2,null,null,null,"x"]})");
    EXPECT_EQ(AddTo(h, u"a[0]", u"y", kStr), R"(1 -> {"a":["y",2,null,null,null,"x"]})");
    EXPECT_EQ(AddTo(h, u"a[6]", u"", kArr), R"(1 -> {"a":["y",2,null,null,null,"x",[]]})");
    EXPECT_EQ(AddTo(h, u"a[]", u"0", kNum), R"(1 -> {"a":[0,2,null,null,null,"x",[]]})");
    EXPECT_EQ(AddTo(h, u"a[6][0]", u"1", kNum), kNotFound + R"( | a[6] -> {"a":[0,2,null,null,null,"x",[]]})")
        << "one index per segment: the rest is the key";
    EXPECT_EQ(AddTo(h, u"a[6].[][1]", u"1", kNum), R"(1 -> {"a":[0,2,null,null,null,"x",[null,1]]})");
}

TEST_F(ValueAccess, ChangesRootArraysElementByElementOrWhole) {
    const std::u16string h = ParseHandle(u"[1,2]");
    EXPECT_EQ(AddTo(h, u"[][1]", u"5", kNum), "1 -> [1,5]");
    EXPECT_EQ(AddTo(h, u"[][2]", u"6", kNum), "1 -> [1,5,6]");
    EXPECT_EQ(AddTo(h, u"x", u"7", kNum), kUnexpected + " | x -> [1,5,6]");
    EXPECT_EQ(AddTo(h, u"x[1]", u"7", kNum), kUnexpected + " | x -> [1,5,6]") << "the element path is [x]";
    EXPECT_EQ(AddTo(h, u"[]", u"", kArr), "1 -> []");
    const std::u16string g = ParseHandle(uR"([1,{"a":0}])");
    EXPECT_EQ(AddTo(g, u"[][1].b", u"2", kNum), R"(1 -> [1,{"a":0,"b":2}])");
    EXPECT_EQ(AddTo(g, u"[]", u"", kObj), "1 -> {}") << "an object may replace the root";
    EXPECT_EQ(GetText(g, u"[]"), kNotFound + " | ") << "the array handle now names an object";
}

TEST_F(ValueAccess, RefusesToMakeTheRootAScalar) {
    const std::u16string h = ParseHandle(u"[1,2]");
    const std::string strRefused = "20128: JSON container expected -> [1,2]";
    EXPECT_EQ(AddTo(h, u"[]", u"s", kStr), strRefused);
    EXPECT_EQ(AddTo(h, u"[]", u"", kNull), strRefused);
    EXPECT_EQ(AddTo(h, u"[].[]", u"1", kNum), strRefused);
    EXPECT_EQ(GetText(h, u"[][0]"), "1") << "the container stays usable";
}

TEST_F(ValueAccess, ReportsPathErrorsAndChangesNothing) {
    const std::u16string h = ParseHandle(uR"({"a":1,"o":{},"l":[1]})");
    const std::string strSame = R"( -> {"a":1,"o":{},"l":[1]})";
    EXPECT_EQ(AddTo(h, u"a.b", u"1", kNum), kUnexpected + " | b" + strSame) << "the parent is a number";
    EXPECT_EQ(AddTo(h, u"o[0]", u"1", kNum), "20122: JSON array expected in path | o" + strSame);
    EXPECT_EQ(AddTo(h, u"l[x]", u"1", kNum), kBadIndex + " | x]" + strSame);
    EXPECT_EQ(AddTo(h, u"q.l[0]", u"1", kNum), kNotFound + " | q" + strSame);
    EXPECT_EQ(AddTo(h, u"l[1].x", u"1", kNum), kOutOfRange + strSame);
    EXPECT_EQ(AddTo(h, u"", u"1", kNum), "20117: JSON path not specified" + strSame);
    // Beyond the largest array the library can hold: its own length error.
    for (const char16_t* szPath : {u"l[-1]", u"l[2147483646]", u"l[99999999999999999999]"})
        EXPECT_EQ(AddTo(h, szPath, u"1", kNum), "20105: JSON parser error | array too large" + strSame);
}

TEST_F(ValueAccess, ConvertsTheValueTextUnderEachType) {
    const std::u16string h = ParseHandle(u"{}");
    EXPECT_EQ(AddTo(h, u"n", u" 5 ", kNum), R"(1 -> {"n":5})");
    EXPECT_EQ(AddTo(h, u"s", u" a b ", kStr), R"(1 -> {"n":5,"s":"a b"})");
    EXPECT_EQ(AddTo(h, u"b", u"FALSE", kBool), R"(1 -> {"n":5,"s":"a b","b":false})");
    EXPECT_EQ(AddTo(h, u"n", u"12abc", kNum),
              R"(20121: Value could not be converted to a number | 12abc -> {"n":5,"s":"a b","b":false})");
    EXPECT_EQ(AddTo(h, u"b", u"yes", kBool),
              R"(20123: Value could not be converted to a JSON boolean | yes -> {"n":5,"s":"a b","b":false})");
    EXPECT_EQ(GetText(h, u"n"), "5");
    EXPECT_EQ(GetText(h, u"s"), "a b");
}

TEST_F(ValueAccess, CopiesObjectContainersInAndRefusesItsOwnHandle) {
    const std::u16string h = ParseHandle(uR"({"a":1})");
    const std::u16string src = ParseHandle(uR"({"s":[1]})");
    const std::u16string arr = ParseHandle(u"[1,2]");
    const std::string strSame = R"( -> {"a":1})";
    EXPECT_EQ(AddTo(h, u"x", h, kObj), "20124: JSON object cannot be added to itself" + strSame);
    EXPECT_EQ(AddTo(h, u"x", u"*OBJ" + h.substr(4), kObj), "20124: JSON object cannot be added to itself" + strSame);
    EXPECT_EQ(AddTo(h, u"x", u"*obj1*", kObj), kBadHandle + strSame);
    EXPECT_EQ(AddTo(h, u"x", arr, kObj),
              "20110: JSON object is corrupt or deleted | " + zorhost::ToUtf8(arr) + strSame);
    EXPECT_EQ(AddTo(h, u"x", arr, kArr), R"(1 -> {"a":1,"x":[]})");
    EXPECT_EQ(AddTo(h, u"c", src, kObj), R"(1 -> {"a":1,"x":[],"c":{"s":[1]}})");
    EXPECT_EQ(AddTo(src, u"s[1]", u"2", kNum), R"(1 -> {"s":[1,2]})");
    EXPECT_EQ(Json(h), R"({"a":1,"x":[],"c":{"s":[1]}})") << "the copy does not follow its source";
    EXPECT_EQ(AddTo(h, u"c.t", u"3", kNum), R"(1 -> {"a":1,"x":[],"c":{"s":[1],"t":3}})");
    EXPECT_EQ(Json(src), R"({"s":[1,2]})") << "nor the source its copy";
    const std::u16string g = ParseHandle(uR"({"k":1})");
    EXPECT_EQ(AddTo(g, u"me", u" " + g + u" ", kObj), R"(1 -> {"k":1,"me":{"k":1}})")
        << "the own handle with blanks passes the check and copies the root as it was";
}

TEST_F(ValueAccess, ChecksAddArgumentsInTheirOrder) {
    const std::u16string h = ParseHandle(u"{}");
    const auto add = [](std::vector<HostValue> args) { return Outcome(Add(std::move(args))); };
    EXPECT_EQ(add({Int(1), Text(u"a"), Text(u"1"), Int(kNum)}), kInvalid);
    EXPECT_EQ(add({Text(h), Int(1), Text(u"1"), Int(kNum)}), kInvalid);
    EXPECT_EQ(add({Text(h), Text(u"a"), Int(1), Int(kNum)}), kInvalid);
    EXPECT_EQ(add({Text(h), Text(u"a"), Text(u"1"), Text(u"4")}), kInvalid);
    EXPECT_EQ(add({Text(h), Text(u"a"), Text(u"1")}), kInvalid);
    for (int32_t nType : {0, 3, 64, -1})
        EXPECT_EQ(add({Text(h), Text(u"a"), Text(u"1"), Int(nType)}),
                  "20119: Type parameter specifies an unknown JSON type")
            << nType;
    EXPECT_EQ(add({Text(h), Text(u"a"), Text(u"1"), Int(64), Text(u"$")}),
              "20119: Type parameter specifies an unknown JSON type");
    EXPECT_EQ(add({Text(u"*obj1*"), Text(u"a"), Text(u"1"), Int(kNum), Text(u"$")}), kBadDelimiter);
    EXPECT_EQ(add({Text(u"*obj1*"), Text(u"a"), Text(u"*OBJ1*"), Int(kObj)}),
              "20124: JSON object cannot be added to itself")
        << "compared before the lookup";
    EXPECT_EQ(add({Text(u"*obj1*"), Text(u"a"), Text(u"1"), Int(kNum)}), kBadHandle);
    EXPECT_EQ(add({Text(h), Text(u"a/b"), Text(u"1"), Int(kNum), Text(u"/")}), kNotFound + " | a");
    EXPECT_EQ(add({Text(h), Text(u"a/b"), Text(u"1"), Int(kNum), Text(u".")}), "1");
    EXPECT_EQ(Json(h), R"({"a/b":1})");
}
