// Handle numbers and the container registry.
#include <boost/json.hpp>
#include <gtest/gtest.h>

#include "json/ZorJson.h"
#include "json/frame/UserException.h"
#include "tests/support/RegistryAccess.h"

namespace {

std::vector<uint32_t> NumbersAfter(uint32_t nSeed, int nCount) {
    std::vector<uint32_t> numbers;
    for (int i = 0; i < nCount; ++i) numbers.push_back(CContainerRegistry::HandleNumber(nSeed++));
    return numbers;
}

int32_t CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CUserException& e) {
        return e.m_nCode;
    }
    return 0;
}

}  // namespace

TEST(HandleNumber, SquaresInTheLowerHalf) {
    EXPECT_EQ(NumbersAfter(42, 3), (std::vector<uint32_t>{1849, 1936, 2025}));
    EXPECT_EQ(CContainerRegistry::HandleNumber(2147483644u), 1073741823u);
}

TEST(HandleNumber, FoldsTheUpperHalf) { EXPECT_EQ(CContainerRegistry::HandleNumber(2147483645u), 3221225468u); }

TEST(HandleNumber, SeedsPastThePrimeNumberThemselvesAndWrap) {
    EXPECT_EQ(NumbersAfter(4294967291u, 5),
              (std::vector<uint32_t>{4294967292u, 4294967293u, 4294967294u, 4294967295u, 0u}));
    // The prime's own predecessor maps into range, without repeating 0.
    EXPECT_NE(CContainerRegistry::HandleNumber(4294967289u), 0u);
}

TEST(HandleNumber, IsOneToOneOverASample) {
    std::set<uint32_t> seen;
    for (uint32_t s = 2147483000u; s < 2147484300u; ++s)
        EXPECT_TRUE(seen.insert(CContainerRegistry::HandleNumber(s)).second);
    for (uint32_t s = 0; s < 5000; ++s) EXPECT_TRUE(seen.insert(CContainerRegistry::HandleNumber(s)).second);
}

TEST(Registry, RegistersArraysAndObjectsUnderDistinctHandles) {
    boost::json::value arr = boost::json::array{1, 2};
    boost::json::value obj = boost::json::object{{"a", 1}};
    const std::u16string strArr = LibraryRegistry().RegisterContainer(arr, true);
    const std::u16string strObj = LibraryRegistry().RegisterContainer(obj, false);
    EXPECT_EQ(strArr.substr(0, 4), u"*arr");
    EXPECT_EQ(strObj.substr(0, 4), u"*obj");
    EXPECT_EQ(strArr.back(), u'*');
    EXPECT_LE(strArr.size(), 15u);
    EXPECT_TRUE(arr.is_null()) << "a moved value is left null";
    EXPECT_EQ(obj, (boost::json::object{{"a", 1}})) << "a copied value stays";
    EXPECT_EQ(LibraryRegistry().FindContainer(strArr), (boost::json::array{1, 2}));
    // The registry holds its own copy.
    obj.as_object()["b"] = 2;
    EXPECT_EQ(LibraryRegistry().FindContainer(strObj).as_object().size(), 1u);
}

TEST(Registry, RefusesScalarsButUsesUpTheirNumber) {
    boost::json::value first = boost::json::array{};
    const std::u16string strFirst = LibraryRegistry().RegisterContainer(first, true);
    boost::json::value scalar = 5;
    EXPECT_EQ(CodeOf([&] { LibraryRegistry().RegisterContainer(scalar, true); }), kErrContainerExpected);
    boost::json::value third = boost::json::array{};
    const std::u16string strThird = LibraryRegistry().RegisterContainer(third, true);
    auto number = [](const std::u16string& s) { return std::stoul(std::string(s.begin() + 4, s.end() - 1)); };
    uint32_t nSeed = 0;
    while (CContainerRegistry::HandleNumber(nSeed) != number(strFirst)) ++nSeed;
    EXPECT_EQ(number(strThird), CContainerRegistry::HandleNumber(nSeed + 2));
}

TEST(Registry, FindsOnlyExactTexts) {
    boost::json::value obj = boost::json::object{};
    const std::u16string strHandle = LibraryRegistry().RegisterContainer(obj, true);
    EXPECT_EQ(CodeOf([&] { LibraryRegistry().FindContainer(u""); }), kErrBadHandle);
    EXPECT_EQ(CodeOf([&] { LibraryRegistry().FindContainer(u" " + strHandle); }), kErrBadHandle);
    EXPECT_EQ(CodeOf([&] { LibraryRegistry().FindContainer(u"*OBJ" + strHandle.substr(4)); }), kErrBadHandle);
    EXPECT_EQ(CodeOf([&] { LibraryRegistry().FindContainer(strHandle); }), 0);
}
