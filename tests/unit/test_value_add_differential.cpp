// jsValueAdd against a model: the plain pass algorithm, which copies every
// container on the path at each pass and touches the tree only in its last
// pass, kept here exactly as it is stated. Generated trees, key paths and
// value texts go to both; the library (through its exported entry) must give
// the same result or the same error and detail, and leave the same tree.
// The model is made of the library's own key path functions and compares
// the library's tree in place, so the library is linked in: a native test.
#include <boost/json.hpp>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>

#include "json/ZorJson.h"
#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "json/keypaths/JsUtility.h"
#include "json/values/Values.h"
#include "tests/support/EntryCall.h"
#include "tests/support/LinkedEntries.h"
#include "tests/support/RegistryAccess.h"

namespace {

using boost::json::value;

// ---- The model -----------------------------------------------------------------

// Sets the member in the object's place, or appends it.
void SetMember(boost::json::object& obj, std::string_view key, const value& v) { obj[key] = v; }

// The passes over root, carrying a value upwards through copies.
void PassAlgorithm(value& root, std::string_view path, const std::string& strDelimiter, value carried) {
    std::string_view current = path;
    for (;;) {
        std::string_view parent, last, key, index;
        SplitKeyPath(current, strDelimiter, parent, last);
        if (SplitKeySegment(last, key, index)) {
            const std::string strIndex(index.substr(1));
            char* pEnd = nullptr;
            const unsigned long long nIndex = std::strtoull(strIndex.c_str(), &pEnd, 10);
            if (*pEnd != ']') throw CUserException(kErrIndexSyntax, std::string_view(strIndex));
            std::string strElement(parent);
            if (!parent.empty()) strElement += strDelimiter;
            strElement += "[" + std::string(key) + "]";
            value copy(root.storage());
            copy = FindKeyPath(root, strElement, strDelimiter);
            if (!copy.is_array()) throw CUserException(kErrArrayExpected, key);
            boost::json::array& arr = copy.get_array();
            if (nIndex >= arr.size()) {
                if (nIndex >= boost::json::array::max_size()) throw std::length_error("array too large");
                arr.resize(nIndex + 1);
            }
            arr[nIndex] = carried;
            carried = std::move(copy);
        }
        if (parent.empty()) {
            if (root.is_object())
                SetMember(root.get_object(), key, carried);
            else if (!key.empty())
                throw CUserException(kErrUnexpectedItem, key);
            else if (!carried.is_array() && !carried.is_object())
                throw CUserException(kErrContainerExpected);
            else
                root = carried;
            return;
        }
        value copy(root.storage());
        copy = FindKeyPath(root, parent, strDelimiter);
        if (copy.is_object()) {
            SetMember(copy.get_object(), key, carried);
            carried = std::move(copy);
        } else if (!copy.is_array() || !key.empty()) {
            throw CUserException(kErrUnexpectedItem, key);
        }
        current = parent;
    }
}

struct CAddCall {
    std::u16string strHandle;
    std::u16string strPath;
    std::u16string strValue;
    int32_t nType = 0;
    std::optional<std::u16string> delimiter;
};

struct COutcome {
    int32_t nCode = 0;  // 0 for success
    std::string strDetail = "(none)";
    bool operator==(const COutcome& o) const { return nCode == o.nCode && strDetail == o.strDetail; }
};

std::u16string AsciiCase(std::u16string str, bool bUpper) {
    const char16_t cFrom = bUpper ? u'a' : u'A';
    for (char16_t& c : str)
        if (c >= cFrom && c <= cFrom + 25) c = static_cast<char16_t>(bUpper ? c - 32 : c + 32);
    return str;
}

std::string Utf8Of(const std::u16string& str) {
    std::string strOut;
    Utf16ToUtf8(str.c_str(), strOut);
    return strOut;
}

// The handler's checks in their order, then the passes over tree, which
// stands for the container that targetHandle names.
COutcome ModelAdd(const CAddCall& call, const std::u16string& strTarget, value& tree) {
    try {
        if (call.nType <= 0 || call.nType > 32 || (call.nType & (call.nType - 1)) != 0)
            throw CUserException(kErrTypeParameter);
        const std::u16string strDelimiter = call.delimiter.value_or(u".");
        if (strDelimiter.size() != 1 ||
            std::u16string_view(u" \"$'[\\]`").find(strDelimiter[0]) != std::u16string_view::npos)
            throw CUserException(kErrDelimiter);
        if (call.nType == kJsonObj && AsciiCase(call.strValue, false) == AsciiCase(call.strHandle, false))
            throw CUserException(kErrSelfAdd);
        std::string strPath, strValue, strDelimiter8;
        std::string_view path, text;
        Utf16ToUtf8Trimmed(call.strPath.c_str(), strPath, path);
        Utf16ToUtf8Trimmed(call.strValue.c_str(), strValue, text);
        Utf16ToUtf8(strDelimiter.c_str(), strDelimiter8);
        if (call.strHandle != strTarget) throw CUserException(kErrBadHandle);
        value made(tree.storage());
        HostTextToJsonValue(LibraryRegistry(), text, call.nType, made);
        PassAlgorithm(tree, path, strDelimiter8, std::move(made));
        return {};
    } catch (const CUserException& e) {
        return {e.m_nCode, e.m_bHasDetail ? e.m_strDetail : "(none)"};
    } catch (const std::exception& e) {
        return {kErrParser, e.what()};
    }
}

COutcome LibraryAdd(const CAddCall& call) {
    entry::CArgs args;
    args.Text(call.strHandle).Text(call.strPath).Text(call.strValue).Integer(call.nType);
    if (call.delimiter) args.Text(*call.delimiter);
    const entry::CResult r = entry::Call(ZORExtender2W, cmd::jsValueAdd, args);
    if (r.nStatus == 0) {
        EXPECT_EQ(r.nValue, 1);
        EXPECT_FALSE(r.bDetail);
        return {};
    }
    return {r.nCode, r.bDetail ? r.strDetail : "(none)"};
}

// Equal kinds and values, members in the same order.
bool SameTree(const value& a, const value& b) {
    if (a.kind() != b.kind()) return false;
    if (a.is_object()) {
        const boost::json::object& oa = a.get_object();
        const boost::json::object& ob = b.get_object();
        return oa.size() == ob.size() && std::equal(oa.begin(), oa.end(), ob.begin(), [](const auto& x, const auto& y) {
                   return x.key() == y.key() && SameTree(x.value(), y.value());
               });
    }
    if (a.is_array()) {
        const boost::json::array& xa = a.get_array();
        const boost::json::array& xb = b.get_array();
        return xa.size() == xb.size() && std::equal(xa.begin(), xa.end(), xb.begin(), SameTree);
    }
    return a == b;
}

// ---- Generated cases ------------------------------------------------------------------

class CCaseMaker {
public:
    explicit CCaseMaker(uint32_t nSeed) : m_rng(nSeed) {}

    value Tree() { return Chance(50) ? value(Object(3)) : value(Array(3)); }

    // A key path mostly along the tree, in any segment form and with any of
    // the index forms, plus the oddities of delimiters and white space.
    std::u16string Path(const value& root, const std::string& strDelimiter) {
        if (Chance(2)) return Chance(50) ? u"" : u"  ";
        std::vector<std::string> segments;
        const value* pNode = &root;
        for (int n = Pick(1, 4); n > 0; --n) {
            segments.push_back(Segment(pNode));
            if ((pNode == nullptr || !pNode->is_structured()) && Chance(70)) break;
        }
        std::string strPath = Chance(4) ? strDelimiter : "";
        for (size_t i = 0; i < segments.size(); ++i) {
            if (i > 0) strPath += Joint(strDelimiter);
            strPath += segments[i];
        }
        if (Chance(5)) strPath += strDelimiter;
        if (Chance(3)) strPath = " " + strPath + "\t";
        return FromUtf8(strPath);
    }

    std::optional<std::u16string> Delimiter() {
        static const std::vector<std::u16string> kDelimiters = {u"/", u"|", u"\u00e9", u"\u20ac", u"\t",
                                                                u"#", u"$", u"..",     u""};
        if (Chance(50)) return Chance(50) ? std::nullopt : std::optional<std::u16string>(u".");
        return Chance(90) ? kDelimiters[Pick(0, 5)] : kDelimiters[Pick(6, 8)];
    }

    int32_t Type() {
        static const int32_t kTypes[] = {1, 2, 4, 8, 16, 32, 0, 3, 64};
        return Chance(97) ? kTypes[Pick(0, 5)] : kTypes[Pick(6, 8)];
    }

    std::u16string ValueText(int32_t nType, const std::map<std::string, std::u16string>& handles) {
        static const std::map<int32_t, std::vector<std::u16string>> kTexts = {
            {kJsonNull, {u"", u"anything"}},
            {kJsonBool, {u"true", u"FALSE", u"1", u"0", u"", u" 2 ", u"yes"}},
            {kJsonNum, {u"42", u"-5", u"1.5", u"1e3", u"", u"18446744073709551616", u"abc", u"1e999"}},
            {kJsonStr, {u"text", u" a b ", u"\"q\"", u"", u"\u00e9\\"}},
            {kJsonArr, {u"", u"[1]"}},
        };
        if (nType == kJsonObj) {
            static const char* kNames[] = {"empty",   "source", "empty", "source", "array",
                                           "unknown", "target", "upper", "padded"};
            return handles.at(kNames[Pick(0, 8)]);
        }
        const auto it = kTexts.find(nType);
        if (it == kTexts.end()) return u"1";
        return it->second[Pick(0, static_cast<int>(it->second.size()) - 1)];
    }

private:
    bool Chance(int nPercent) { return Pick(1, 100) <= nPercent; }
    int Pick(int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(m_rng); }

    // Mostly plain keys; the rest hold delimiters, brackets, blanks or
    // nothing at all.
    const std::string& Key() {
        static const std::vector<std::string> kKeys = {"a",    "b", "c",  "",    "a.b",      "x]y", "[k]",
                                                       "k[1]", "1", " s", "a/b", "\xC3\xA9", "q|r", "k]."};
        return kKeys[Chance(70) ? Pick(0, 2) : Pick(3, static_cast<int>(kKeys.size()) - 1)];
    }

    value Scalar() {
        switch (Pick(0, 5)) {
            case 0:
                return nullptr;
            case 1:
                return true;
            case 2:
                return int64_t{-3};
            case 3:
                return uint64_t{7};
            case 4:
                return 2.5;
            default:
                return "s";
        }
    }

    value Node(int nDepth) {
        const int nKind = nDepth == 0 ? 2 : Pick(0, 2);
        if (nKind == 0) return Object(nDepth);
        if (nKind == 1) return Array(nDepth);
        return Scalar();
    }

    boost::json::object Object(int nDepth) {
        boost::json::object obj;
        for (int n = Pick(0, 4); n > 0; --n) obj[Key()] = Node(nDepth - 1);
        return obj;
    }

    boost::json::array Array(int nDepth) {
        boost::json::array arr;
        for (int n = Pick(0, 4); n > 0; --n) arr.push_back(Node(nDepth - 1));
        return arr;
    }

    // In range, at the end, past it, or malformed.
    std::string IndexText(size_t nSize) {
        static const std::vector<std::string> kOdd = {
            "", "x", " 1", "+1", "-1", "1x", "007", "99999999999999999999", "2147483646", "4294967296"};
        switch (Pick(0, 4)) {
            case 0:
            case 1:
                return std::to_string(nSize == 0 ? 0 : Pick(0, static_cast<int>(nSize) - 1));
            case 2:
                return std::to_string(nSize + Pick(0, 3));
            default:
                return kOdd[Pick(0, static_cast<int>(kOdd.size()) - 1)];
        }
    }

    // One segment at *pNode, moving pNode to what it names (null for a
    // place that does not exist).
    std::string Segment(const value*& pNode) {
        const boost::json::object* pObject = pNode != nullptr ? pNode->if_object() : nullptr;
        const boost::json::array* pArray = pNode != nullptr ? pNode->if_array() : nullptr;
        if (pObject != nullptr && !pObject->empty() && Chance(85)) {
            const auto& member = *(pObject->begin() + Pick(0, static_cast<int>(pObject->size()) - 1));
            return KeySegment(std::string(member.key()), &member.value(), pNode);
        }
        if (pArray != nullptr && Chance(95)) {
            const std::string strIndex = IndexText(pArray->size());
            const std::string strKey = Chance(70) ? "" : Key();
            const int nForm = Pick(1, 100);
            if (nForm <= 40) return Indexed(pArray, strIndex, pNode, "[" + strKey + "][" + strIndex + "]");
            if (nForm <= 70) return Indexed(pArray, strIndex, pNode, strKey + "[" + strIndex + "]");
            if (nForm <= 85) return Chance(50) ? "[]" : "";
            return Chance(50) ? strKey : "[" + strKey + "]";
        }
        return KeySegment(Chance(70) ? Key() : "zz", nullptr, pNode);
    }

    std::string KeySegment(const std::string& strKey, const value* pMember, const value*& pNode) {
        const bool bBracketed = Chance(50);
        const std::string strWritten = bBracketed ? "[" + strKey + "]" : strKey;
        const boost::json::array* pArray = pMember != nullptr ? pMember->if_array() : nullptr;
        if (Chance(pArray != nullptr ? 60 : 10)) {
            const std::string strIndex = IndexText(pArray != nullptr ? pArray->size() : 1);
            return Indexed(pArray, strIndex, pNode, strWritten + "[" + strIndex + "]");
        }
        pNode = pMember;
        return strWritten;
    }

    std::string Indexed(const boost::json::array* pArray, const std::string& strIndex, const value*& pNode,
                        std::string strSegment) {
        const bool bPlainNumber =
            !strIndex.empty() && strIndex.find_first_not_of("0123456789") == std::string::npos && strIndex.size() < 6;
        const size_t nIndex = bPlainNumber ? std::stoul(strIndex) : 0;
        pNode = pArray != nullptr && bPlainNumber && nIndex < pArray->size() ? &(*pArray)[nIndex] : nullptr;
        return strSegment;
    }

    std::string Joint(const std::string& strDelimiter) {
        if (Chance(4)) return strDelimiter + strDelimiter;
        if (Chance(4)) return ".";
        return strDelimiter;
    }

    static std::u16string FromUtf8(const std::string& str) {
        std::u16string strOut;
        Utf8ToUtf16(str, strOut);
        return strOut;
    }

    std::mt19937 m_rng;
};

std::u16string Register(const value& tree) {
    value copy = tree;
    return LibraryRegistry().RegisterContainer(copy, true);
}

void Close(const std::u16string& strHandle) {
    entry::CArgs args;
    args.Text(strHandle);
    entry::Call(ZORExtender2W, cmd::jsConClose, args);
}

}  // namespace

TEST(ValueAddDifferential, AgreesWithThePassAlgorithmOnGeneratedCases) {
    constexpr int kCases = 120000;
    CCaseMaker maker(20260309);
    std::map<std::string, std::u16string> handles = {
        {"empty", u""},
        {"source", Register(boost::json::parse(R"({"s":[1,{"t":2}]})"))},
        {"array", Register(boost::json::parse("[1,2]"))},
        {"unknown", u"*obj7*"},
    };
    std::map<int32_t, int> outcomes;
    int nFailures = 0;
    for (int n = 0; n < kCases && nFailures < 10; ++n) {
        const value tree = maker.Tree();
        const std::u16string strTarget = Register(tree);
        handles["target"] = strTarget;
        handles["upper"] = AsciiCase(strTarget, true);
        handles["padded"] = u" " + strTarget + u" ";

        CAddCall call;
        call.delimiter = maker.Delimiter();
        std::string strDelimiter;
        Utf16ToUtf8(call.delimiter.value_or(u".").c_str(), strDelimiter);
        call.strPath = maker.Path(tree, strDelimiter.empty() ? "." : strDelimiter);
        call.nType = maker.Type();
        call.strValue = maker.ValueText(call.nType, handles);
        call.strHandle = n % 50 == 0 ? u"*arr7*" : strTarget;

        value expected = tree;
        const COutcome model = ModelAdd(call, strTarget, expected);
        const COutcome library = LibraryAdd(call);
        const value& actual = LibraryRegistry().FindContainer(strTarget);
        ++outcomes[library.nCode];
        if (!(model == library) || !SameTree(expected, actual)) {
            ++nFailures;
            ADD_FAILURE() << "case " << n << ": tree " << boost::json::serialize(tree) << ", path \""
                          << Utf8Of(call.strPath) << "\", type " << call.nType << ", value \"" << Utf8Of(call.strValue)
                          << "\"\n  model   " << model.nCode << " " << model.strDetail << " -> "
                          << boost::json::serialize(expected) << "\n  library " << library.nCode << " "
                          << library.strDetail << " -> " << boost::json::serialize(actual);
        }
        Close(strTarget);
    }
    Close(handles["source"]);
    Close(handles["array"]);
    // Every kind of outcome occurred, so the cases reach every branch.
    for (int32_t nCode :
         {0, 20104, 20105, 20108, 20110, 20112, 20113, 20114, 20116, 20117, 20119, 20121, 20122, 20123, 20124, 20128})
        EXPECT_GT(outcomes[nCode], 0) << nCode;
    EXPECT_GT(outcomes[0], kCases / 5) << "a good share of the cases succeed";
}
