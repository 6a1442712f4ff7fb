// Every function under memory failure, through the exported entry: for
// k = 1, 2, ... the k-th allocation the library makes during the call fails
// (once, or from then on), until a call completes without reaching it.
// Each failure must end in a numbered error, change no container by a byte,
// leave the registry as it was and leak nothing; the call that completes
// must give exactly what it gives without failures. The reference host's
// own allocations inside the call (the return callback, the services) are
// neither failed nor counted.
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/value.hpp>
#include <functional>
#include <gtest/gtest.h>

#include "tests/injection/ArmedHost.h"
#include "tests/injection/FailingAllocator.h"

namespace {

using injection::Host;
using injection::Mode;
using zorhost::CallResult;
using zorhost::HostValue;

// ---- The containers a call works on, and what can be seen of them ------------

HostValue Text(const std::u16string& str) { return HostValue::Text16(str); }
HostValue Int(int32_t n) { return HostValue::Integer(n); }

std::u16string Parse(const char* szJson) {
    return Host().Call("jsParse", {Text(zorhost::FromUtf8(szJson))}).value.text16();
}

// The pointer text of the host variable "found", made once.
const std::string& Pointer() {
    static const std::string strPointer = Host().Store().MakePointer("found");
    return strPointer;
}

struct Fixture {
    std::u16string doc = Parse(R"({"a":[1,2.5,"x",{"b":null}],"c":true,"d":{"b":[{"b":1}]}})");
    std::u16string arr = Parse(R"([1,[2],{"x":3}])");
    std::u16string other = Parse(R"({"o":[true,{"p":"q"}]})");
    std::string strPointer = Pointer();
};

std::string Json(const std::u16string& strHandle) {
    const CallResult r = Host().Call("jsSerialize", {Text(strHandle), Int(1)});
    return r.Succeeded() ? r.value.text8() : r.errorText;
}

// A value as text, with every container handle in it replaced by its JSON.
std::string Describe(const HostValue& value) {
    switch (value.kind()) {
        case HostValue::Kind::Text16: {
            const std::u16string& str = value.text16();
            return str.rfind(u"*", 0) == 0 ? "container " + Json(str) : zorhost::ToUtf8(str);
        }
        case HostValue::Kind::Array: {
            std::string strOut = "array";
            for (const HostValue& element : value.array()->elements) strOut += " | " + Describe(element);
            return strOut;
        }
        case HostValue::Kind::Map: {
            std::string strOut = "map";
            for (const auto& [key, element] : value.map()->Entries())
                strOut += " | " + zorhost::ToUtf8(key) + ": " + Describe(element);
            return strOut;
        }
        default:
            return zorhost::Display(value);
    }
}

int32_t OpenCount() { return Host().Call("jsGetInfo", {Int(3)}).value.integer(); }

// Everything a script could see of the fixture: each container and the count.
std::string Snapshot(const Fixture& f) {
    const HostValue* pFound = Host().Store().Variable("found");
    return Json(f.doc) + Json(f.arr) + Json(f.other) + " open " + std::to_string(OpenCount()) + " found " +
           (pFound != nullptr ? Describe(*pFound) : "none");
}

// ---- The cases --------------------------------------------------------------------

struct Case {
    const char* szFunction;
    std::function<std::vector<HostValue>(const Fixture&)> args;
};

const Case kCases[] = {
    {"jsParse",
     [](const Fixture&) { return std::vector<HostValue>{Text(u" {\"k\":[1,{\"m\":\"n\"}], /*c*/ \"z\":2.5,} ")}; }},
    {"jsValid", [](const Fixture&) { return std::vector<HostValue>{Text(u"[1,{\"m\":[null,true]}]")}; }},
    {"jsConNew", [](const Fixture&) { return std::vector<HostValue>{Int(32)}; }},
    {"jsConClose", [](const Fixture& f) { return std::vector<HostValue>{Text(u" " + f.arr)}; }},
    {"jsConClose", [](const Fixture&) { return std::vector<HostValue>{}; }},
    {"jsValueGet",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"a")};
     }},
    {"jsValueGet",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"a[2]")};
     }},
    {"jsValueType",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"d/b[0]/b"), Text(u"/")};
     }},
    {"jsValueAdd",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"a[3].e"), Text(u"5"), Int(4)};
     }},
    {"jsValueAdd",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"a[9]"), Text(u"x"), Int(8)};
     }},
    {"jsValueAdd",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"c"), Text(f.other), Int(32)};
     }},
    {"jsValueAdd",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.arr), Text(u"[]"), Text(f.other), Int(32)};
     }},
    {"jsValueAdd",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.arr), Text(u"[][1]"), Text(u""), Int(16)};
     }},
    {"jsKeyPaths",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"")};
     }},
    {"jsKeyPaths",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"b")};
     }},
    {"jsKeyExist",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Text(u"b"), HostValue::Text8(f.strPointer)};
     }},
    {"jsConMap", [](const Fixture& f) { return std::vector<HostValue>{Text(f.doc)}; }},
    {"jsConMap",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.arr), Int(2)};
     }},
    {"jsSerialize",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Int(1), Int(2)};
     }},
    {"jsSerialize",
     [](const Fixture& f) {
         return std::vector<HostValue>{Text(f.doc), Int(0)};
     }},
    {"jsGetInfo",
     [](const Fixture& f) {
         return std::vector<HostValue>{Int(4), Text(f.arr)};
     }},
    {"jsGetInfo", [](const Fixture&) { return std::vector<HostValue>{Int(20104)}; }},
};

// What one call under a fixture gave, and what it left.
struct Run {
    bool bFired = false;
    bool bFailed = false;
    std::string strError;
    std::string strOutcome;  // the result and everything the script can see after it
    std::string strBefore;
    std::string strAfter;
};

Run RunOnce(const Case& c, uint64_t k, Mode mode) {
    Fixture f;
    Run run;
    run.strBefore = Snapshot(f);
    injection::Arm(k, mode);
    const CallResult r = Host().Call(c.szFunction, c.args(f));
    run.bFired = injection::Disarm();
    run.bFailed = r.Failed();
    run.strError = r.errorText;
    run.strAfter = Snapshot(f);
    run.strOutcome = (r.Succeeded() ? Describe(r.value) : "not a result") + " -> " + run.strAfter;
    Host().Call("jsConClose", {});
    return run;
}

std::string Name(const Case& c, uint64_t k, Mode mode) {
    return std::string(c.szFunction) + (mode == Mode::Once ? " with allocation " : " from allocation ") +
           std::to_string(k) + " failing";
}

// Runs c with allocation k failing and checks what it left; false when the
// call completed without reaching the failure.
bool FailsCleanly(const Case& c, uint64_t k, Mode mode, const Run& reference) {
    const Run run = RunOnce(c, k, mode);
    const std::string strName = Name(c, k, mode);
    if (!run.bFired) {
        EXPECT_EQ(run.strOutcome, reference.strOutcome) << strName;
        return false;
    }
    // With no memory left at all the message may be the bare number (the
    // native string table takes memory to read).
    const bool bParse = std::string(c.szFunction) == "jsParse";
    const std::string strMessage = bParse ? "20115: System memory error" : "20105: JSON parser error";
    EXPECT_TRUE(run.bFailed) << strName;
    EXPECT_TRUE(run.strError == strMessage || (mode == Mode::From && run.strError == strMessage.substr(0, 5)))
        << strName << ": " << run.strError;
    EXPECT_EQ(run.strAfter, run.strBefore) << strName;
    return true;
}

void RunUnderFailures(const Case& c, Mode mode) {
    const Run reference = RunOnce(c, 0, mode);
    ASSERT_FALSE(reference.bFailed) << c.szFunction << ": " << reference.strError;
    // Once first, so that what is made once for good (by the run-time
    // library or the host on a first failure) is not taken for a leak.
    RunOnce(c, 1, mode);
    const int64_t nBaseline = injection::LiveBlocks();
    for (uint64_t k = 1; FailsCleanly(c, k, mode, reference); ++k) {
        EXPECT_EQ(injection::LiveBlocks(), nBaseline) << Name(c, k, mode) << " leaks";
        if (testing::Test::HasFailure()) return;
    }
}

TEST(MemoryFailure, EveryFunctionFailsCleanlyAtEachAllocation) {
    for (const Case& c : kCases) RunUnderFailures(c, Mode::Once);
}

TEST(MemoryFailure, EveryFunctionFailsCleanlyWhenMemoryStaysExhausted) {
    for (const Case& c : kCases) RunUnderFailures(c, Mode::From);
}

// A parsed container keeps its tree in blocks of its own; what a script
// changes afterwards is allocated and freed one by one, so that replacing a
// member over and over holds no more memory than replacing it once.
TEST(ParsedContainer, ChangedOverAndOverKeepsItsSize) {
    const std::u16string strHandle = Parse(R"({"s":"a text too long to be kept inline","n":[1,2,3]})");
    const auto replace = [&](int i) {
        const std::u16string strValue = u"replaced text number " + zorhost::FromUtf8(std::to_string(1000 + i));
        ASSERT_TRUE(Host().Call("jsValueAdd", {Text(strHandle), Text(u"s"), Text(strValue), Int(8)}).Succeeded());
        ASSERT_TRUE(Host().Call("jsValueAdd", {Text(strHandle), Text(u"n[5]"), Text(u"7"), Int(4)}).Succeeded());
    };
    replace(0);
    const int64_t nBytes = injection::LiveBytes();
    for (int i = 1; i < 200; ++i) replace(i);
    EXPECT_EQ(injection::LiveBytes(), nBytes);
    EXPECT_NE(Json(strHandle).find("replaced text number 1199"), std::string::npos);
    Host().Call("jsConClose", {});
}

TEST(MemoryFailure, BoostJsonResourcesTakeTheirMemoryFromOperatorNew) {
    const int64_t nBefore = injection::LiveBlocks();
    injection::Resume();  // as inside a call
    {
        boost::json::monotonic_resource arena(64);
        arena.allocate(1024);
        EXPECT_GT(injection::LiveBlocks(), nBefore);
        injection::Arm(1, Mode::Once);
        EXPECT_THROW(arena.allocate(1 << 20), std::bad_alloc);
        EXPECT_TRUE(injection::Disarm());
        injection::Arm(1, Mode::Once);
        EXPECT_THROW(boost::json::value(boost::json::string(200, 'x')), std::bad_alloc);
        EXPECT_TRUE(injection::Disarm());
    }
    injection::Pause();
    EXPECT_EQ(injection::LiveBlocks(), nBefore);
}

}  // namespace
