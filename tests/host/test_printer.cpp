// How the shell shows values, errors and the entry table.
#include <gtest/gtest.h>

#include "host/shell/Printer.h"
#include "platform/HostPlatform.h"

namespace {

using namespace zorshell;
using zorhost::HostValue;

TEST(Printer, TextsAreQuotedIntegersBareEightBitTextsAsTheyAre) {
    Printer printer(false);
    EXPECT_EQ(printer.Value(HostValue::Integer(-12)), "-12\n");
    EXPECT_EQ(printer.Value(HostValue::Text16(u"a\u00e9")), "\"a\xc3\xa9\"\n");
    EXPECT_EQ(printer.Value(HostValue::Text16(u"{\"a\":1}")), "'{\"a\":1}'\n");
    EXPECT_EQ(printer.Value(HostValue::Text16(u"it's \"x\"")), "\"it's \"\"x\"\"\"\n");
    EXPECT_EQ(printer.Value(HostValue::Text8("{\"a\" : 1}")), "{\"a\" : 1}\n");
    EXPECT_EQ(printer.Value(HostValue::Text8("[\n]\n")), "[\n]\n") << "no second line feed";
    EXPECT_EQ(printer.Value(HostValue()), "(none)\n");
}

TEST(Printer, ControlCharactersShowTheirCode) {
    Printer printer(false);
    EXPECT_EQ(printer.Value(HostValue::Text16(u"a\u0001\t\r\n\u007f")), "\"a<U+0001>\t<U+000D>\n<U+007F>\"\n");
    EXPECT_EQ(printer.Plain(HostValue::Text8(std::string("x\0y", 3))), "x<U+0000>y");
}

TEST(Printer, ArraysAndMapsShowOneElementALine) {
    Printer printer(false);
    HostValue array = HostValue::ArrayOf(
        {HostValue::Text16(u"[a]"), HostValue::Integer(3), HostValue::ArrayOf({HostValue::Text8("x")})});
    EXPECT_EQ(printer.Value(array),
              "array of 3\n"
              "  [0] \"[a]\"\n"
              "  [1] 3\n"
              "  [2] array of 1\n"
              "    [0] x\n");
    HostValue map = HostValue::MapOf({{u"b", HostValue::Integer(16)}, {u"a", HostValue::Text16(u"null")}});
    EXPECT_EQ(printer.Value(map), "map of 2\n  \"b\": 16\n  \"a\": \"null\"\n");
    EXPECT_EQ(printer.Value(HostValue::ArrayOf({})), "array of 0\n");
    EXPECT_EQ(printer.Plain(HostValue::MapOf({})), "map of 0");
}

TEST(Printer, StableHandlesAreNumberedInOrderOfAppearance) {
    Printer printer(true);
    EXPECT_EQ(printer.Value(HostValue::Text16(u"*obj1849*")), "\"*obj#1*\"\n");
    EXPECT_EQ(printer.Value(HostValue::Text16(u"*arr1936*")), "\"*arr#2*\"\n");
    EXPECT_EQ(printer.Plain(HostValue::Text8("in *obj1849* and *arr7* and *obj1849*")),
              "in *obj#1* and *arr#3* and *obj#1*");
    for (const char* szText : {"*obj*", "*obj12", "*objx1*", "*map12*", "obj12*", "*OBJ12*"})
        EXPECT_EQ(printer.Plain(HostValue::Text8(szText)), szText) << "not a handle";
    EXPECT_EQ(printer.Plain(HostValue::Text8("**arr5**")), "**arr#4**");

    Printer plain(false);
    EXPECT_EQ(plain.Value(HostValue::Text16(u"*obj1849*")), "\"*obj1849*\"\n");
}

TEST(Printer, ErrorsShowMessageAndDetails) {
    Printer printer(true);
    zorhost::CallResult call;
    call.errorText = "20108: JSON Key not found";
    call.details = {"phone", "*obj1849*", "a \"b\""};
    EXPECT_EQ(printer.Error(call),
              "error 20108: JSON Key not found\n"
              "  detail \"phone\"\n"
              "  detail \"*obj#1*\"\n"
              "  detail 'a \"b\"'\n");
    call.errorText = "Text conversion error";
    call.details.clear();
    EXPECT_EQ(printer.Error(call), "error: Text conversion error\n");
}

TEST(Printer, ATranslatedErrorInTheSystemCodePageShowsAsUtf8) {
    Printer printer(false);
    zorhost::CallResult call;
    call.errorText = platform::ToSystemCodePage(u"20114: Array-Index au\u00dferhalb des g\u00fcltigen Bereichs");
    EXPECT_EQ(printer.Error(call),
              "error 20114: Array-Index au\xc3\x9f"
              "erhalb des g\xc3\xbcltigen Bereichs\n");
}

TEST(Printer, TheTableListsKindsWordsAndValues) {
    zorhost::VersionAnswer version{44009, u"Title"};
    std::vector<zorhost::EntryInfo> entries(3);
    entries[0] = {0, zorhost::kKindFunction, 0x50555, 0x103, 10, u"jsvalueadd"};
    entries[1] = {1, zorhost::kKindConstant, 0, 32, 11, u"@jsonobject"};
    entries[2] = {2, 9, 0x1, 0x2, 1, u"x"};
    EXPECT_EQ(TableListing(5, version, entries),
              "interface 5\n"
              "version 44009\n"
              "title Title\n"
              "3 entries\n"
              "   0  jsvalueadd   function  count 0x103  types 0x50555\n"
              "   1  @jsonobject  constant  value 32\n"
              "   2  x            kind 9  value 0x002  types 0x001\n");
}

}  // namespace
