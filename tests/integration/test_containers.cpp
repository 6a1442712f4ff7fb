// Containers through the exported entries: jsParse and jsValid on the text
// corpus and on edge cases, jsConNew, and jsConClose of one or all
// containers, with the handle numbers running on.
#include <cmath>
#include <random>

#include "tests/support/IntegrationHost.h"
#include "tests/support/JsonCorpus.h"

using namespace integration;

namespace {

CallResult Parse(const std::u16string& strText) { return Host().Call("jsParse", {Text(strText)}); }
CallResult Valid(const std::u16string& strText) { return Host().Call("jsValid", {Text(strText)}); }
CallResult New(int32_t nType) { return Host().Call("jsConNew", {Int(nType)}); }
CallResult Close(std::vector<HostValue> args) { return Host().Call("jsConClose", args); }

// The element count of an array container, -1 for an object; 20104 when
// the handle names none.
CallResult Size(const std::u16string& strHandle) { return Host().Call("jsGetInfo", {Int(4), Text(strHandle)}); }
bool IsOpen(const std::u16string& strHandle) { return Size(strHandle).Succeeded(); }

// jsValid's answer, an integer; -1 when the call fails.
int32_t ValidAnswer(const std::u16string& strText) {
    const CallResult r = Valid(strText);
    if (!r.Succeeded()) return -1;
    EXPECT_EQ(r.record.nType, ZOR_TYPE_INTEGER);
    return r.value.integer();
}

std::u16string HandleOf(const CallResult& r) {
    EXPECT_TRUE(r.Succeeded()) << r.errorText;
    return r.Succeeded() ? r.value.text16() : u"";
}

// The counter value a handle was made from: handle numbers are squares of
// the counter while it stays small.
uint32_t CounterOf(const std::u16string& strHandle) {
    const uint64_t nNumber = std::stoull(zorhost::ToUtf8(strHandle.substr(4, strHandle.size() - 5)));
    const auto nRoot = static_cast<uint32_t>(std::llround(std::sqrt(static_cast<double>(nNumber))));
    EXPECT_EQ(uint64_t{nRoot} * nRoot, nNumber) << zorhost::ToUtf8(strHandle);
    return nRoot;
}

void ExpectError(const CallResult& r, const std::string& strText) {
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.errorText, strText);
}

constexpr const char* kInvalidArgument = "20101: Invalid argument";
constexpr const char* kParserError = "20105: JSON parser error";
constexpr const char* kNotContainer = "20128: JSON container expected";

}  // namespace

TEST(Parse, ReturnsTheHandleOfANewContainer) {
    const int32_t nOpen = OpenCount();
    const std::u16string strObject = HandleOf(Parse(u"  \r\n {\"a\": [1, 2]}\r\n\t "));
    const std::u16string strArray = HandleOf(Parse(u"[1, {\"b\": 2}, 3]"));
    EXPECT_EQ(strObject.substr(0, 4), u"*obj");
    EXPECT_EQ(strArray.substr(0, 4), u"*arr");
    EXPECT_EQ(strArray.back(), u'*');
    EXPECT_LE(strArray.size(), 15u);
    EXPECT_EQ(Size(strObject).value, Int(-1));
    EXPECT_EQ(Size(strArray).value, Int(3));
    EXPECT_EQ(OpenCount(), nOpen + 2);
    EXPECT_EQ(CounterOf(strArray), CounterOf(strObject) + 1);
    Close({Text(strObject)});
    Close({Text(strArray)});
}

TEST(Parse, ReadsTheFirstValueAndIgnoresWhatFollows) {
    const std::u16string strHandle = HandleOf(Parse(u"[1, 2] [3] garbage {"));
    EXPECT_EQ(Size(strHandle).value, Int(2));
    EXPECT_EQ(ValidAnswer(u"[1, 2] [3]"), 0);
    EXPECT_EQ(ValidAnswer(u"{} {}"), 0);
    Close({Text(strHandle)});
}

TEST(Parse, RefusesAScalarTopLevelWith20128) {
    const std::u16string strBefore = HandleOf(New(16));
    const int32_t nOpen = OpenCount();
    for (const char16_t* szText : {u"42", u"\"text\"", u"true", u"null", u"-1.5"}) {
        const CallResult r = Parse(szText);
        ExpectError(r, kNotContainer);
        EXPECT_TRUE(r.details.empty()) << "20128 carries no detail";
        EXPECT_EQ(ValidAnswer(szText), 0);
    }
    EXPECT_EQ(OpenCount(), nOpen);
    const std::u16string strAfter = HandleOf(New(16));
    EXPECT_EQ(CounterOf(strAfter), CounterOf(strBefore) + 6) << "each refusal used up a number";
    Close({Text(strBefore)});
    Close({Text(strAfter)});
}

TEST(Parse, ReportsParserErrorsWith20105AndTheParsersDescription) {
    const int32_t nOpen = OpenCount();
    struct {
        std::u16string strText;
        std::string strDetail;
    } const cases[] = {
        {u"", "incomplete JSON"},
        {u" \t\r\n", "incomplete JSON"},
        {u"[1, 2", "incomplete JSON"},
        {u"[1,,]", "syntax error"},
        {u"{\"a\" 1}", "syntax error"},
        {corpus::Nested(513), "too deep"},
        {u"{\"a\": [1,\r\n 2, 1e309]}", "number out of range: 1e309 at line 2, column 5"},
        {u"\n\n  [-1.5e400]", "number out of range: -1.5e400 at line 3, column 4"},
    };
    for (const auto& c : cases) {
        const CallResult r = Parse(c.strText);
        ExpectError(r, kParserError);
        EXPECT_EQ(r.details, std::vector<std::string>{c.strDetail}) << zorhost::ToUtf8(c.strText);
        EXPECT_EQ(ValidAnswer(c.strText), 0);
    }
    EXPECT_EQ(OpenCount(), nOpen);
    const std::u16string strDeepest = HandleOf(Parse(corpus::Nested(512)));
    EXPECT_EQ(ValidAnswer(corpus::Nested(512)), 1);
    Close({Text(strDeepest)});
}

TEST(Parse, ValidAndParseRefuseArgumentsThatAreNoText) {
    const int32_t nOpen = OpenCount();
    for (const char* szName : {"jsParse", "jsValid"}) {
        SCOPED_TRACE(szName);
        ExpectError(Host().Call(szName, {Int(1)}), kInvalidArgument);
        ExpectError(Host().Call(szName, {HostValue::Text8("[1]")}), kInvalidArgument);
        ExpectError(Host().Call(szName, {}), kInvalidArgument);
        ZorValue nullText{};
        nullText.nType = ZOR_TYPE_TEXT16;
        ExpectError(Host().CallRaw(*Host().IndexOf(szName), &nullText, 1), kInvalidArgument);
    }
    EXPECT_EQ(OpenCount(), nOpen);
    // Arguments after the first are ignored.
    const CallResult r = Host().Call("jsValid", {Text(u"[]"), Int(5), Text(u"x")});
    EXPECT_EQ(r.value, Int(1));
}

// Every verdict of the corpus holds through the entries, and a failed parse
// leaves no container behind.
TEST(Parse, CorpusVerdictsHoldThroughTheEntries) {
    for (const corpus::Case& c : corpus::Cases()) {
        SCOPED_TRACE(std::string(c.szGroup) + ": " + zorhost::ToUtf8(c.strText));
        EXPECT_EQ(ValidAnswer(c.strText), c.bValid ? 1 : 0);
        const int32_t nOpen = OpenCount();
        const CallResult r = Parse(c.strText);
        switch (c.parse) {
            case corpus::Parse::Container:
                EXPECT_TRUE(r.Succeeded()) << r.errorText;
                EXPECT_EQ(OpenCount(), nOpen + 1);
                if (r.Succeeded()) Close({r.value});
                break;
            case corpus::Parse::ParserError:
                ExpectError(r, kParserError);
                EXPECT_EQ(r.details.size(), 1u);
                EXPECT_EQ(OpenCount(), nOpen);
                break;
            case corpus::Parse::NotContainer:
                ExpectError(r, kNotContainer);
                EXPECT_EQ(OpenCount(), nOpen);
                break;
        }
    }
}

// Random edits of the corpus texts: no text crashes the library, a text
// jsValid accepts always parses, and no failed parse keeps a container.
TEST(Parse, MalformedTextsNeitherCrashNorLeak) {
    static const char16_t kAlphabet[] = u"[]{}\",:/*\\ \n0123456789eE.-+tfnul\u00e9\xD800";
    std::mt19937 random(44009);
    auto pick = [&](size_t nBound) { return std::uniform_int_distribution<size_t>(0, nBound - 1)(random); };
    const int32_t nOpen = OpenCount();
    for (int nRound = 0; nRound < 1500; ++nRound) {
        std::u16string strText = corpus::Cases()[pick(corpus::Cases().size())].strText;
        for (size_t nEdits = 1 + pick(4); nEdits > 0; --nEdits) {
            const size_t nAt = pick(strText.size() + 1);
            if (nAt < strText.size() && pick(2) == 0)
                strText.erase(nAt, 1);
            else
                strText.insert(nAt, 1, kAlphabet[pick(std::size(kAlphabet) - 1)]);
        }
        SCOPED_TRACE(zorhost::ToUtf8(strText));
        const int32_t nValid = ValidAnswer(strText);
        ASSERT_TRUE(nValid == 0 || nValid == 1);
        const CallResult r = Parse(strText);
        ASSERT_TRUE(r.Succeeded() || r.Failed());
        if (nValid == 1) {
            ASSERT_TRUE(r.Succeeded()) << r.errorText;
        }
        if (r.Succeeded()) Close({r.value});
        ASSERT_EQ(OpenCount(), nOpen);
    }
}

TEST(Parse, HandlesHugeAndDeeplyNestedTexts) {
    std::u16string strText = u"[";
    for (int i = 0; i < 100000; ++i) strText += u"{\"k\": [1.5, \"s\u00e9\", null, true]}, ";
    strText += u"0]";
    const std::u16string strHandle = HandleOf(Parse(strText));
    EXPECT_EQ(Size(strHandle).value, Int(100001));
    EXPECT_EQ(ValidAnswer(strText), 1);
    Close({Text(strHandle)});

    const int32_t nOpen = OpenCount();
    const std::u16string strDeep = corpus::Nested(500000);
    const CallResult deep = Parse(strDeep);
    ExpectError(deep, kParserError);
    EXPECT_EQ(deep.details, std::vector<std::string>{"too deep"});
    EXPECT_EQ(ValidAnswer(strDeep), 0);
    EXPECT_EQ(ValidAnswer(u"[" + std::u16string(1000000, u' ') + u"1"), 0);
    EXPECT_EQ(OpenCount(), nOpen);
}

TEST(ConNew, MakesEmptyArraysAndObjects) {
    const CallResult array = New(16);
    const CallResult object = New(32);
    ASSERT_TRUE(array.Succeeded());
    EXPECT_EQ(array.record.nType, ZOR_TYPE_TEXT16);
    EXPECT_EQ(array.value.text16().substr(0, 4), u"*arr");
    EXPECT_EQ(HandleOf(object).substr(0, 4), u"*obj");
    EXPECT_EQ(Size(HandleOf(array)).value, Int(0));
    EXPECT_EQ(Size(HandleOf(object)).value, Int(-1));
    EXPECT_EQ(CounterOf(HandleOf(object)), CounterOf(HandleOf(array)) + 1);
    Close({array.value});
    Close({object.value});
}

TEST(ConNew, RefusesOtherTypesWithoutUsingANumber) {
    const std::u16string strBefore = HandleOf(New(32));
    const int32_t nOpen = OpenCount();
    for (int32_t nType : {48, 0, 1, 2, 4, 8, 64, -16, 17}) {
        const CallResult r = New(nType);
        ExpectError(r, "20119: Type parameter specifies an unknown JSON type");
        EXPECT_TRUE(r.details.empty());
    }
    ExpectError(Host().Call("jsConNew", {Text(u"16")}), kInvalidArgument);
    ExpectError(Host().Call("jsConNew", {}), kInvalidArgument);
    EXPECT_EQ(OpenCount(), nOpen);
    const std::u16string strAfter = HandleOf(New(16));
    EXPECT_EQ(CounterOf(strAfter), CounterOf(strBefore) + 1);
    Close({Text(strBefore)});
    Close({Text(strAfter)});
}

TEST(ConClose, ClosesOneContainerAndLeavesTheOthers) {
    const std::u16string strFirst = HandleOf(New(16));
    const std::u16string strSecond = HandleOf(Parse(u"[1]"));
    const int32_t nOpen = OpenCount();
    const CallResult r = Close({Text(strFirst)});
    ASSERT_TRUE(r.Succeeded());
    EXPECT_EQ(r.value, Int(0));
    EXPECT_EQ(r.record.nType, ZOR_TYPE_INTEGER);
    EXPECT_EQ(OpenCount(), nOpen - 1);
    EXPECT_EQ(Size(strFirst).errorText, "20104: JSON handle is not valid");
    EXPECT_EQ(Size(strSecond).value, Int(1));
    // Closing it again answers 0 and changes nothing.
    EXPECT_EQ(Close({Text(strFirst)}).value, Int(0));
    EXPECT_EQ(OpenCount(), nOpen - 1);
    Close({Text(strSecond)});
}

TEST(ConClose, TrimsTheHandleButMatchesItsCaseExactly) {
    const std::u16string strHandle = HandleOf(New(32));
    std::u16string strUpper = strHandle;
    strUpper.replace(1, 3, u"OBJ");
    EXPECT_EQ(Close({Text(strUpper)}).value, Int(0));
    EXPECT_EQ(Close({Text(strHandle.substr(0, strHandle.size() - 1))}).value, Int(0));
    EXPECT_TRUE(IsOpen(strHandle));
    EXPECT_EQ(Close({Text(u" \t\r\n" + strHandle + u"\v\f ")}).value, Int(0));
    EXPECT_FALSE(IsOpen(strHandle));
}

TEST(ConClose, ClosesEverythingWithoutAHandleAndHandlesRunOn) {
    for (const std::vector<HostValue>& args : {std::vector<HostValue>{}, {Text(u"")}, {Text(u" \t\r\n\v\f")}}) {
        const std::u16string strArray = HandleOf(New(16));
        const std::u16string strObject = HandleOf(Parse(u"{}"));
        const CallResult r = Close(args);
        ASSERT_TRUE(r.Succeeded());
        EXPECT_EQ(r.value, Int(0));
        EXPECT_EQ(OpenCount(), 0);
        EXPECT_FALSE(IsOpen(strArray));
        EXPECT_FALSE(IsOpen(strObject));
        const std::u16string strNext = HandleOf(New(16));
        EXPECT_EQ(CounterOf(strNext), CounterOf(strObject) + 1) << "the numbers do not start over";
        Close({Text(strNext)});
    }
}

TEST(ConClose, RefusesAHandleThatIsNoText) {
    const std::u16string strHandle = HandleOf(New(16));
    const CallResult r = Close({Int(0)});
    ExpectError(r, kInvalidArgument);
    EXPECT_TRUE(r.details.empty());
    ZorValue nullText{};
    nullText.nType = ZOR_TYPE_TEXT16;
    ExpectError(Host().CallRaw(*Host().IndexOf("jsConClose"), &nullText, 1), kInvalidArgument);
    EXPECT_TRUE(IsOpen(strHandle));
    Close({Text(strHandle)});
}
