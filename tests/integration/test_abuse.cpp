// Attempts to break the library with arguments of extreme size or shape,
// each answered with a numbered error or a correct result, quickly and
// without harm to the containers.
#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

class Abuse : public integration::HostTest {};

std::u16string Repeated(const std::u16string& strPart, size_t nTimes) {
    std::u16string str;
    str.reserve(strPart.size() * nTimes);
    for (size_t i = 0; i < nTimes; ++i) str += strPart;
    return str;
}

TEST_F(Abuse, TextNestedAMillionLevelsDeepIsRefusedAtLevel33) {
    const std::u16string strText = Repeated(u"[", 1000000) + Repeated(u"]", 1000000);
    const CallResult parsed = Host().Call("jsParse", {Text(strText)});
    EXPECT_EQ(parsed.errorText, "20105: JSON parser error");
    EXPECT_EQ(parsed.details, std::vector<std::string>{"too deep"});
    EXPECT_EQ(Host().Call("jsValid", {Text(strText)}).value, Int(0));
    EXPECT_EQ(OpenCount(), 0);
}

TEST_F(Abuse, KeyPathsOfAHundredThousandSegmentsFailAtTheFirstMissingKey) {
    const std::u16string h = integration::ParseHandle(u"{\"a\":{\"a\":[1]}}");
    const std::u16string strPath = u"a" + Repeated(u".a", 100000);
    EXPECT_EQ(Host().Call("jsValueGet", {Text(h), Text(strPath)}).errorText,
              "20112: Found unexpected item in key path");
    EXPECT_TRUE(Host().Call("jsValueAdd", {Text(h), Text(strPath), Text(u"1"), Int(4)}).Failed());
    EXPECT_TRUE(Host().Call("jsKeyPaths", {Text(h), Text(strPath)}).Failed());
    EXPECT_EQ(Host().Call("jsKeyExist", {Text(h), Text(strPath)}).value, Int(0));
    const std::u16string strBrackets = Repeated(u"[]", 100000);
    EXPECT_TRUE(Host().Call("jsValueGet", {Text(h), Text(strBrackets)}).Failed());
    EXPECT_EQ(Host().Call("jsSerialize", {Text(h), Int(0)}).value.text8(), "{\"a\" : {\"a\" : [1]}}");
}

TEST_F(Abuse, AnIndexOfAMillionDigitsIsOutOfEveryRange) {
    const std::u16string h = integration::ParseHandle(u"{\"a\":[1]}");
    const std::u16string strPath = u"a[" + Repeated(u"9", 1000000) + u"]";
    EXPECT_EQ(Host().Call("jsValueGet", {Text(h), Text(strPath)}).errorText, "20114: Array index out-of-bounds");
    const CallResult added = Host().Call("jsValueAdd", {Text(h), Text(strPath), Text(u"x"), Int(8)});
    EXPECT_EQ(added.errorText, "20105: JSON parser error");
    EXPECT_EQ(Host().Call("jsSerialize", {Text(h), Int(0)}).value.text8(), "{\"a\" : [1]}");
}

TEST_F(Abuse, HandlesAndDelimitersOfAnySizeAreRefused) {
    const std::u16string h = integration::ParseHandle(u"{\"a\":1}");
    const std::u16string strLong = u"*obj" + Repeated(u"1", 1000000) + u"*";
    EXPECT_EQ(Host().Call("jsValueGet", {Text(strLong), Text(u"a")}).errorText, "20104: JSON handle is not valid");
    EXPECT_EQ(Host().Call("jsValueAdd", {Text(h), Text(u"b"), Text(strLong), Int(32)}).errorText,
              "20104: JSON handle is not valid");
    EXPECT_EQ(Host().Call("jsValueGet", {Text(h), Text(u"a"), Text(Repeated(u"/", 1000))}).errorText,
              "20113: Delimiter has too many characters or is a reserved JSON character");
    EXPECT_EQ(Host().Call("jsValueGet", {Text(h), Text(u"a"), Text(std::u16string(1, u'\xd800'))}).value.text16(),
              u"1");
}

TEST_F(Abuse, TenThousandOpenContainersCloseAtOnce) {
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(Host().Call("jsConNew", {Int(i % 2 ? 16 : 32)}).Succeeded());
    EXPECT_EQ(OpenCount(), 10000);
    EXPECT_TRUE(Host().Call("jsConClose", {}).Succeeded());
    EXPECT_EQ(OpenCount(), 0);
}

}  // namespace
