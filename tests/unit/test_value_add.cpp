// AddValue, the change jsValueAdd makes: members keep their place, arrays
// grow with nulls, the tree is changed in place without copying what the
// path passes through, and a failed allocation at any point leaves the tree
// as it was.
#include <boost/json.hpp>
#include <gtest/gtest.h>
#include <new>

#include "json/frame/UserException.h"
#include "json/values/ValueAdd.h"

namespace {

using boost::json::value;

// Counts allocations, and fails the one after nAllowed more when armed.
class CTestResource : public boost::json::memory_resource {
public:
    int nAllocations = 0;
    int nAllowed = -1;  // allocations left before the next fails; -1: no limit

private:
    void* do_allocate(std::size_t nBytes, std::size_t) override {
        if (nAllowed == 0) throw std::bad_alloc();
        if (nAllowed > 0) --nAllowed;
        ++nAllocations;
        return ::operator new(nBytes);
    }
    void do_deallocate(void* p, std::size_t, std::size_t) override { ::operator delete(p); }
    bool do_is_equal(const memory_resource& other) const noexcept override { return this == &other; }
};

// The member keys in their stored order, joined by commas.
std::string Keys(const value& v) {
    std::string strKeys;
    for (const auto& member : v.as_object()) strKeys += std::string(member.key()) + ",";
    return strKeys;
}

value Added(const std::string& strJson, std::string_view path, value made, const std::string& strDelimiter = ".") {
    value root = boost::json::parse(strJson);
    AddValue(root, path, strDelimiter, std::move(made));
    return root;
}

}  // namespace

TEST(AddValue, KeepsMemberOrderAndAppendsNewMembers) {
    const value root = Added(R"({"k":1,"m":2})", "k", 3);
    EXPECT_EQ(Keys(root), "k,m,");
    EXPECT_EQ(root.at("k"), 3);
    EXPECT_EQ(Keys(Added(R"({"k":1,"m":2})", "z", 3)), "k,m,z,");
    EXPECT_EQ(Keys(Added(R"({"o":{"k":1,"m":2},"p":0})", "o.k", 3).at("o")), "k,m,");
}

TEST(AddValue, ExtendsArraysWithNulls) {
    EXPECT_EQ(Added(R"({"a":[1,2]})", "a[5]", "x"), boost::json::parse(R"({"a":[1,2,null,null,null,"x"]})"));
    EXPECT_EQ(Added("[1,2]", "[][2]", 3), boost::json::parse("[1,2,3]"));
    EXPECT_EQ(Added(R"([1,{"a":0}])", "[][1].b", 2), boost::json::parse(R"([1,{"a":0,"b":2}])"));
}

// Untouched nodes keep their addresses, and with room in the array nothing
// at all is allocated: no container on the way is copied.
TEST(AddValue, ChangesTheTreeInPlace) {
    CTestResource resource;
    value root = boost::json::parse(R"({"o":{"p":{"items":[1,2,3]}},"other":[4]})", &resource);
    boost::json::array& items = root.at("o").at("p").at("items").as_array();
    items.reserve(8);
    const value* pOther = &root.at("other");
    const value* pFirst = &items[0];
    const int nBefore = resource.nAllocations;
    AddValue(root, "o.p.items[3]", ".", value(4, root.storage()));
    AddValue(root, "[o].[p].[items][4]", ".", value(5, root.storage()));
    EXPECT_EQ(resource.nAllocations, nBefore);
    EXPECT_EQ(&root.at("other"), pOther);
    EXPECT_EQ(&items[0], pFirst);
    EXPECT_EQ(items, (boost::json::array{1, 2, 3, 4, 5}));
}

// Every allocation of the call fails in turn: each failure must leave the
// tree exactly as it was, and the first run that gets through must give
// the full result.
TEST(AddValue, IsAllOrNothingWhenMemoryRunsOut) {
    struct Case {
        const char* szJson;
        const char* szPath;
        const char* szMade;  // JSON of the value to add
    };
    const Case cases[] = {
        {R"({"a":[1,2]})", "a[2]", "3"},               // the array grows
        {R"({"a":[1,2]})", "a[40]", "\"x\""},          // with nulls
        {R"({"a":{"b":1}})", "a.new", "{\"k\":[1]}"},  // a new member
        {R"({"a":1,"b":2,"c":3,"d":4,"e":5,"f":6,"g":7})", "h", "8"},
        {R"({"b":[{"c":1}]})", "b[0]x.c", "2"},  // the branch is copied to "b[0]x"
        {"[[1]]", "[][0].[][3]", "null"},
    };
    for (const Case& c : cases) {
        CTestResource unlimited;
        value expected = boost::json::parse(c.szJson, &unlimited);
        AddValue(expected, c.szPath, ".", boost::json::parse(c.szMade, &unlimited));
        int nFailed = 0;
        for (int nAllowed = 0;; ++nAllowed) {
            CTestResource resource;
            value root = boost::json::parse(c.szJson, &resource);
            value made = boost::json::parse(c.szMade, &resource);
            resource.nAllowed = nAllowed;
            try {
                AddValue(root, c.szPath, ".", std::move(made));
            } catch (const std::bad_alloc&) {
                ++nFailed;
                EXPECT_EQ(boost::json::serialize(root), c.szJson) << c.szPath << " failing allocation " << nAllowed;
                continue;
            }
            EXPECT_EQ(boost::json::serialize(root), boost::json::serialize(expected)) << c.szPath;
            break;
        }
        EXPECT_GT(nFailed, 0) << c.szPath << " allocates in the tree's storage";
    }
}

TEST(AddValue, RefusesToMakeTheRootAScalar) {
    value root = boost::json::parse("[1,2]");
    try {
        AddValue(root, "[]", ".", "s");
        ADD_FAILURE() << "no error";
    } catch (const CUserException& e) {
        EXPECT_EQ(e.m_nCode, kErrContainerExpected);
    }
    EXPECT_EQ(root, boost::json::parse("[1,2]"));
    EXPECT_EQ(Added("[1,2]", "[]", boost::json::object{{"k", 1}}), boost::json::parse(R"({"k":1})"));
}
