// Nesting without bound: jsValueAdd refuses any container deeper than 512
// levels with error 20105 and a detail text, and leaves it as it was. The
// deepest container allowed goes through every function on a thread with
// a 1 MB stack, the default of a Windows program's main thread.
#include <functional>

#include "platform/HostPlatform.h"
#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

constexpr size_t kMaxDepth = 512;
constexpr size_t kInterpreterStack = size_t{1} << 20;
const char kTooDeep[] = "too deep: more than 512 nested arrays and objects";

constexpr int32_t kNum = 4;
constexpr int32_t kObj = 32;

CallResult Add(const std::u16string& strHandle, const std::u16string& strPath, const std::u16string& strValue,
               int32_t nType) {
    return Host().Call("jsValueAdd", {Text(strHandle), Text(strPath), Text(strValue), Int(nType)});
}

// "a.a. ... .a", nKeys keys.
std::u16string Chain(size_t nKeys) {
    std::u16string strPath;
    for (size_t i = 0; i < nKeys; ++i) strPath += i == 0 ? u"a" : u".a";
    return strPath;
}

// The depth of a container's JSON text: the most brackets open at once.
size_t DepthOf(const std::string& strJson) {
    size_t nOpen = 0, nDeepest = 0;
    for (char c : strJson) {
        if (c == '{' || c == '[') nDeepest = std::max(nDeepest, ++nOpen);
        if (c == '}' || c == ']') --nOpen;
    }
    return nDeepest;
}

// Doubles the nesting of {"a":{"a":...{}}}: a copy of the whole container
// (its handle with blanks around it names itself) goes into its deepest
// object, as a script would do it.
CallResult Double(const std::u16string& strHandle, size_t nDepth) {
    return Add(strHandle, Chain(nDepth), u" " + strHandle + u" ", kObj);
}

// An object container nDepth (a power of two) levels deep; its callers
// check the depth, on whatever thread they run.
std::u16string DeepObject(size_t nDepth) {
    const std::u16string strHandle = Host().Call("jsConNew", {Int(kObj)}).value.text16();
    for (size_t n = 1; n < nDepth; n *= 2) Double(strHandle, n);
    return strHandle;
}

bool IsTooDeep(const CallResult& r) {
    return r.Failed() && r.errorText == "20105: JSON parser error" && r.details == std::vector<std::string>{kTooDeep};
}

class Nesting : public integration::HostTest {};

TEST_F(Nesting, AScriptThatDoublesTheNestingIsStoppedAt512Levels) {
    const std::u16string h = Host().Call("jsConNew", {Int(kObj)}).value.text16();
    size_t nDepth = 1;
    CallResult r;
    while ((r = Double(h, nDepth)).Succeeded()) nDepth *= 2;
    EXPECT_EQ(nDepth, kMaxDepth);
    EXPECT_TRUE(IsTooDeep(r)) << r.errorText;
    EXPECT_EQ(DepthOf(Json(h)), kMaxDepth);
    EXPECT_EQ(OpenCount(), 1);
}

TEST_F(Nesting, EveryWayPastTheLimitIsRefusedAndChangesNothing) {
    const std::u16string h = DeepObject(kMaxDepth);
    // An array at the deepest level, beside the deepest object.
    ASSERT_TRUE(Add(h, Chain(kMaxDepth - 2) + u".list", u"", 16).Succeeded());
    const std::string strBefore = Json(h);
    ASSERT_EQ(DepthOf(strBefore), kMaxDepth);
    // An empty object inside the deepest one.
    EXPECT_TRUE(IsTooDeep(Add(h, Chain(kMaxDepth), u"", kObj)));
    // A copy of another container placed where it would end too deep.
    const std::u16string shallow = ParseHandle(u"{\"b\":{}}");
    EXPECT_TRUE(IsTooDeep(Add(h, Chain(kMaxDepth - 1), shallow, kObj)));
    EXPECT_TRUE(IsTooDeep(Add(shallow, u"b", h, kObj)));
    // That array extended with an array at an index.
    EXPECT_TRUE(IsTooDeep(Add(h, Chain(kMaxDepth - 2) + u".list[3]", u"", 16)));
    EXPECT_EQ(Json(h), strBefore);
    EXPECT_EQ(Json(shallow), R"({"b":{}})");
    EXPECT_EQ(OpenCount(), 2);
}

TEST_F(Nesting, TheLimitItselfIsReachedAndScalarsGoBelowIt) {
    const std::u16string h = DeepObject(kMaxDepth / 2);
    // The last level through a copy: a container 256 deep below level 256.
    const std::u16string half = DeepObject(kMaxDepth / 2);
    ASSERT_EQ(DepthOf(Json(half)), kMaxDepth / 2);
    EXPECT_TRUE(Add(h, Chain(kMaxDepth / 2), half, kObj).Succeeded());
    EXPECT_EQ(DepthOf(Json(h)), kMaxDepth);
    EXPECT_TRUE(Add(h, Chain(kMaxDepth - 1) + u".n", u"7", kNum).Succeeded());
    EXPECT_EQ(Host().Call("jsValueGet", {Text(h), Text(Chain(kMaxDepth - 1) + u".n")}).value.text16(), u"7");
    // A whole array root replaced by the deepest object.
    const std::u16string arr = Host().Call("jsConNew", {Int(16)}).value.text16();
    EXPECT_TRUE(Add(arr, u"[]", h, kObj).Succeeded());
    EXPECT_EQ(Json(arr), Json(h));
}

// Every function on the deepest container allowed; what went wrong, if
// anything, as texts.
std::vector<std::string> UseTheDeepest() {
    std::vector<std::string> faults;
    const auto expect = [&faults](bool bHolds, const char* szWhat) {
        if (!bHolds) faults.push_back(szWhat);
    };
    const std::u16string h = DeepObject(kMaxDepth);
    const std::string strJson = Json(h);
    expect(DepthOf(strJson) == kMaxDepth, "jsSerialize");
    const HostValue handle = Text(h), all = Text(u"");
    for (int32_t nIndented : {0, 1})
        for (int32_t nEncoding : {1, 2})
            expect(Host().Call("jsSerialize", {handle, Int(nIndented), Int(nEncoding)}).Succeeded(), "jsSerialize");
    // What the library writes, it reads back: jsParse's nesting limit is the one jsValueAdd keeps.
    const HostValue text = Text(zorhost::FromUtf8(strJson));
    expect(Host().Call("jsValid", {text}).value == Int(1), "jsValid");
    const CallResult parsed = Host().Call("jsParse", {text});
    expect(parsed.Succeeded() && Json(parsed.value.text16()) == strJson, "jsParse");
    expect(Host().Call("jsValueType", {handle, Text(Chain(kMaxDepth - 1))}).value == Int(kObj), "jsValueType");
    expect(Host().Call("jsValueGet", {handle, Text(u"a")}).Succeeded(), "jsValueGet");
    expect(Host().Call("jsKeyPaths", {handle, all}).value.array()->elements.size() == kMaxDepth - 1, "jsKeyPaths");
    expect(Host().Call("jsKeyPaths", {handle, Text(u"a")}).value.array()->elements.size() == kMaxDepth - 1,
           "jsKeyPaths search");
    expect(Host().Call("jsKeyExist", {handle, Text(u"a")}).value == Int(kMaxDepth - 1), "jsKeyExist");
    expect(Host().Call("jsConMap", {handle}).value.map()->Size() == 1, "jsConMap");
    const std::u16string arr = Host().Call("jsConNew", {Int(16)}).value.text16();
    expect(Add(arr, u"[]", h, kObj).Succeeded(), "jsValueAdd copying it");
    expect(Host().Call("jsGetInfo", {Int(4), handle}).value == Int(-1), "jsGetInfo");
    expect(Host().Call("jsConClose", {handle}).Succeeded(), "jsConClose");
    expect(Host().Call("jsConClose", {}).Succeeded() && OpenCount() == 0, "jsConClose of all");
    return faults;
}

TEST_F(Nesting, TheDeepestContainerGoesThroughEveryFunctionOnAOneMegabyteStack) {
    std::vector<std::string> faults{"the thread never ran"};
    ASSERT_TRUE(platform::RunOnThread(kInterpreterStack, [&faults] { faults = UseTheDeepest(); }));
    EXPECT_EQ(faults, std::vector<std::string>());
}

}  // namespace
