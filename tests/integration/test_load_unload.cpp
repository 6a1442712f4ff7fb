// Loading, using and unloading the library many times in one process, from
// a copy of its file that nothing else holds, so that every unload really
// unloads it: each load starts with no container open and knows no handle
// of the load before, whatever that one left open. The containers left open
// are freed at unload; the sanitizer and valgrind runs of this suite report
// any that are not.
#include "tests/support/IntegrationHost.h"
#include "tests/support/TempFolder.h"

using namespace integration;

namespace {

constexpr int kCycles = 60;

// A document of some size, so that a leak per cycle would show.
std::u16string Document() {
    std::u16string strText = u"{\"items\":[";
    for (int i = 0; i < 200; ++i) strText += (i ? u"," : u"") + std::u16string(u"{\"n\":[1,2,3],\"s\":\"some text\"}");
    return strText + u"]}";
}

TEST(LoadUnload, ManyCyclesLeaveNothingBehind) {
    const support::TempFolder folder("load-unload");
    const std::filesystem::path copy = CopyOfLibrary(folder.Path());
    const std::u16string strDocument = Document();
    std::u16string strLeftOpen;
    for (int nCycle = 0; nCycle < kCycles; ++nCycle) {
        zorhost::ZorHost host;
        ASSERT_TRUE(host.Load(copy.string())) << host.LoadError();
        ASSERT_EQ(host.Negotiate({5}), 5);
        ASSERT_EQ(host.QueryVersion().version, 44009);
        EXPECT_EQ(host.Call("jsGetInfo", {Int(3)}).value, Int(0)) << "cycle " << nCycle;
        if (!strLeftOpen.empty()) {
            EXPECT_EQ(host.Call("jsSerialize", {Text(strLeftOpen), Int(0)}).errorText,
                      "20104: JSON handle is not valid");
        }
        const CallResult parsed = host.Call("jsParse", {Text(strDocument)});
        ASSERT_TRUE(parsed.Succeeded()) << parsed.errorText;
        strLeftOpen = parsed.value.text16();
        EXPECT_TRUE(host.Call("jsValueAdd", {Text(strLeftOpen), Text(u"items[250].s"), Text(u"x"), Int(8)}).Failed());
        EXPECT_TRUE(host.Call("jsValueAdd", {Text(strLeftOpen), Text(u"extra"), Text(strLeftOpen + u" "), Int(32)})
                        .Succeeded());
        EXPECT_TRUE(host.Call("jsValueGet", {Text(strLeftOpen), Text(u"items[3]")}).Succeeded());
        EXPECT_EQ(host.Call("jsGetInfo", {Int(3)}).value, Int(2));
        host.Unload();
    }
}

}  // namespace
