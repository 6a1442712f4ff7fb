// The public conformance suites through the exported entries, each file
// passed as a script passes a file's text (its UTF-8 as UTF-16), answered
// as Boost.JSON's parser reads it under the library's rules, and:
// JSONTestSuite's y_ files are accepted, its n_ files refused, its i_ files
// refused by jsValid and jsParse alike or accepted by both with a value
// whose serialization is standard JSON; JSON_checker's pass files accepted
// and fail files refused. A file on which one of the library's documented
// rules decides otherwise is listed with that rule. The number collections'
// texts in JSON's grammar: jsParse keeps the correctly rounded double of
// each, and refuses those beyond the largest double.
#include <charconv>
#include <map>

#include "tests/support/IntegrationHost.h"
#include "tests/support/PublicCorpus.h"
#include "tests/support/ReferenceReading.h"

using namespace integration;

namespace {

// The library's documented rules that decide a file against its suite.
enum class Rule {
    ScalarRoot,      // a value that is no array or object: jsValid 0, jsParse 20128
    FirstValueOnly,  // text after the first value: jsValid 0, jsParse reads the first value
    // Accepted by both:
    Comment,        // comments where white space may stand
    TrailingComma,  // a comma after the last element or member
    Nesting,        // nesting up to 512 levels
    RepeatedKey,    // a repeated member name: the last value stays
    NotUtf8,        // bytes that are not UTF-8 reach the library as U+FFFD, as a script reads them
    EndsAtNul,      // a script's text ends at its first U+0000
};

const std::map<std::string, Rule>& DecidedByRule() {
    static const std::map<std::string, Rule> files = {
        // JSONTestSuite
        {"y_string_space.json", Rule::ScalarRoot},
        {"y_structure_lonely_false.json", Rule::ScalarRoot},
        {"y_structure_lonely_int.json", Rule::ScalarRoot},
        {"y_structure_lonely_negative_real.json", Rule::ScalarRoot},
        {"y_structure_lonely_null.json", Rule::ScalarRoot},
        {"y_structure_lonely_string.json", Rule::ScalarRoot},
        {"y_structure_lonely_true.json", Rule::ScalarRoot},
        {"y_structure_string_empty.json", Rule::ScalarRoot},
        {"n_array_comma_after_close.json", Rule::FirstValueOnly},
        {"n_array_extra_close.json", Rule::FirstValueOnly},
        {"n_object_with_trailing_garbage.json", Rule::FirstValueOnly},
        {"n_structure_array_trailing_garbage.json", Rule::FirstValueOnly},
        {"n_structure_array_with_extra_array_close.json", Rule::FirstValueOnly},
        {"n_structure_double_array.json", Rule::FirstValueOnly},
        {"n_structure_object_followed_by_closing_object.json", Rule::FirstValueOnly},
        {"n_structure_object_with_trailing_garbage.json", Rule::FirstValueOnly},
        {"n_structure_trailing_#.json", Rule::FirstValueOnly},
        {"n_object_trailing_comment.json", Rule::Comment},
        {"n_object_trailing_comment_slash_open.json", Rule::Comment},
        {"n_structure_object_with_comment.json", Rule::Comment},
        {"n_array_extra_comma.json", Rule::TrailingComma},
        {"n_array_number_and_comma.json", Rule::TrailingComma},
        {"n_object_trailing_comma.json", Rule::TrailingComma},
        {"n_object_lone_continuation_byte_in_key_and_trailing_comma.json", Rule::TrailingComma},
        // JSON_checker
        {"pass05.json", Rule::ScalarRoot},
        {"pass06.json", Rule::ScalarRoot},
        {"pass07.json", Rule::ScalarRoot},
        {"pass08.json", Rule::ScalarRoot},
        {"pass09.json", Rule::ScalarRoot},
        {"pass10.json", Rule::ScalarRoot},
        {"pass11.json", Rule::ScalarRoot},
        {"pass12.json", Rule::ScalarRoot},
        {"pass13.json", Rule::ScalarRoot},
        {"pass16.json", Rule::ScalarRoot},
        {"pass19.json", Rule::ScalarRoot},
        {"pass20.json", Rule::ScalarRoot},
        {"pass21.json", Rule::ScalarRoot},
        {"pass22.json", Rule::ScalarRoot},
        {"pass23.json", Rule::ScalarRoot},
        {"pass24.json", Rule::ScalarRoot},
        {"pass25.json", Rule::ScalarRoot},
        {"pass26.json", Rule::ScalarRoot},
        {"pass27.json", Rule::ScalarRoot},
        {"fail07.json", Rule::FirstValueOnly},
        {"fail08.json", Rule::FirstValueOnly},
        {"fail10.json", Rule::FirstValueOnly},
        {"fail51.json", Rule::FirstValueOnly},
        {"fail53.json", Rule::FirstValueOnly},
        {"fail04.json", Rule::TrailingComma},
        {"fail09.json", Rule::TrailingComma},
        {"fail55.json", Rule::TrailingComma},
        {"fail56.json", Rule::TrailingComma},
        {"fail18_EXCLUDE.json", Rule::Nesting},
        {"fail39_EXCLUDE.json", Rule::RepeatedKey},
        {"fail34.json", Rule::NotUtf8},
        {"fail72.json", Rule::EndsAtNul},
    };
    return files;
}

// What the library answers for a text.
struct CAnswer {
    int32_t nValid = -1;
    CallResult parse;
    std::string strWritten;  // jsSerialize's compact text of what jsParse made
};

// The library answers as Boost.JSON's parser reads the text under the same
// rules, with the library's rules for numbers on top.
::testing::AssertionResult AsBoostJsonReads(const std::string& strBytes, const CAnswer& a) {
    const std::optional<reference::CReading> expected = reference::Read(zorhost::FromUtf8(strBytes));
    if (!expected) return ::testing::AssertionSuccess();
    if (a.nValid != (expected->bValid ? 1 : 0)) return ::testing::AssertionFailure() << "jsValid " << a.nValid;
    if (a.parse.Succeeded() != (expected->parse != corpus::Parse::ParserError && expected->tree.is_structured()))
        return ::testing::AssertionFailure()
               << "jsParse " << a.parse.errorText << ", Boost.JSON " << expected->strError;
    if (a.parse.Succeeded() && !corpus::ReadsBackAs(expected->tree, corpus::ExactParse(a.strWritten)))
        return ::testing::AssertionFailure() << "jsParse read another tree: " << a.strWritten;
    return ::testing::AssertionSuccess();
}

CAnswer AnswerFor(const std::string& strBytes) {
    CAnswer answer;
    const std::u16string strText = zorhost::FromUtf8(strBytes);
    const CallResult valid = Host().Call("jsValid", {Text(strText)});
    if (valid.Succeeded()) answer.nValid = valid.value.integer();
    answer.parse = Host().Call("jsParse", {Text(strText)});
    if (answer.parse.Succeeded()) {
        const std::u16string h = answer.parse.value.text16();
        answer.strWritten = Host().Call("jsSerialize", {Text(h), Int(0)}).value.text8();
        Host().Call("jsConClose", {Text(h)});
    }
    return answer;
}

// A refusal a script can act on: a parser error with the parser's words, or
// the refusal of a value that is no container.
bool RefusedClearly(const CallResult& r) {
    return r.Failed() && ((r.errorText.rfind("20105", 0) == 0 && r.details.size() == 1 && !r.details[0].empty()) ||
                          r.errorText.rfind("20128", 0) == 0);
}

::testing::AssertionResult Accepted(const CAnswer& a) {
    if (a.nValid != 1) return ::testing::AssertionFailure() << "jsValid answered " << a.nValid;
    if (!a.parse.Succeeded()) return ::testing::AssertionFailure() << "jsParse failed: " << a.parse.errorText;
    if (!corpus::IsStrictJson(a.strWritten)) return ::testing::AssertionFailure() << "wrote " << a.strWritten;
    if (Host().Call("jsValid", {Text(zorhost::FromUtf8(a.strWritten))}).value.integer() != 1)
        return ::testing::AssertionFailure() << "jsValid refused what was written: " << a.strWritten;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Refused(const CAnswer& a) {
    if (a.nValid != 0) return ::testing::AssertionFailure() << "jsValid answered " << a.nValid;
    if (!RefusedClearly(a.parse)) return ::testing::AssertionFailure() << "jsParse answered " << a.parse.errorText;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult AsTheRuleDecides(Rule rule, const CAnswer& a) {
    switch (rule) {
        case Rule::ScalarRoot:
            if (a.nValid == 0 && a.parse.errorText.rfind("20128", 0) == 0) return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "not refused as a scalar root: " << a.parse.errorText;
        case Rule::FirstValueOnly:
            if (a.nValid == 0 && a.parse.Succeeded() && corpus::IsStrictJson(a.strWritten))
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "jsValid " << a.nValid << ", jsParse " << a.parse.errorText;
        default:
            return Accepted(a);
    }
}

// What the file's suite asks for by its name: y_ and pass accepted, n_ and
// fail refused, i_ either, alike by both functions.
::testing::AssertionResult AsTheSuiteAsks(const std::string& strName, const CAnswer& a) {
    if (strName.rfind("y_", 0) == 0 || strName.rfind("pass", 0) == 0) return Accepted(a);
    if (strName.rfind("n_", 0) == 0 || strName.rfind("fail", 0) == 0) return Refused(a);
    if (a.nValid == 1) return Accepted(a);
    return Refused(a);
}

class Conformance : public HostTest, public ::testing::WithParamInterface<const char*> {};

// A line of a number collection: the bits of the double nearest to the
// text (infinity's bits for a text beyond the largest double), the text.
struct CNumber {
    uint64_t nBits = 0;
    std::string strText;
};

constexpr uint64_t kInfinityBits = 0x7FF0000000000000;

size_t Digits(std::string_view s, size_t i) {
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i;
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool InJsonGrammar(std::string_view s) {
    size_t i = !s.empty() && s[0] == '-' ? 1 : 0;
    const size_t nInteger = i;
    i = Digits(s, i);
    if (i == nInteger || (s[nInteger] == '0' && i > nInteger + 1)) return false;
    if (i < s.size() && s[i] == '.') {
        const size_t nFraction = ++i;
        if ((i = Digits(s, i)) == nFraction) return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        if (++i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const size_t nExponent = i;
        if ((i = Digits(s, i)) == nExponent) return false;
    }
    return i == s.size();
}

std::vector<CNumber> JsonNumbersOf(const std::filesystem::path& path) {
    std::vector<CNumber> numbers;
    std::istringstream lines(corpus::ReadFile(path));
    std::string strHalf, strSingle, strDouble, strText;
    while (lines >> strHalf >> strSingle >> strDouble >> strText) {
        if (!InJsonGrammar(strText)) continue;
        CNumber number{0, strText};
        std::from_chars(strDouble.data(), strDouble.data() + strDouble.size(), number.nBits, 16);
        numbers.push_back(number);
    }
    return numbers;
}

// What jsParse keeps of a number, read back from jsSerialize's text as a
// double's bits; an integer keeps its own text.
struct CKept {
    bool bInteger = false;
    uint64_t nBits = 0;
    std::string strText;
};

CKept KeptOf(std::string_view strWritten) {
    CKept kept{strWritten.find_first_of(".eE") == std::string_view::npos, 0, std::string(strWritten)};
    double d = 0;
    std::from_chars(strWritten.data(), strWritten.data() + strWritten.size(), d);
    std::memcpy(&kept.nBits, &d, sizeof d);
    return kept;
}

// The numbers of a batch as jsParse keeps them, read back through jsSerialize.
std::vector<CKept> ParsedBack(const std::vector<CNumber>& batch) {
    std::string strArray = "[";
    for (const CNumber& number : batch) strArray += (strArray.size() > 1 ? "," : "") + number.strText;
    const std::u16string strText = zorhost::FromUtf8(strArray + "]");
    EXPECT_EQ(Host().Call("jsValid", {Text(strText)}).value.integer(), 1);
    const CallResult parsed = Host().Call("jsParse", {Text(strText)});
    if (!parsed.Succeeded()) return {};
    const std::string strWritten = Host().Call("jsSerialize", {Text(parsed.value.text16()), Int(0)}).value.text8();
    Host().Call("jsConClose", {Text(parsed.value.text16())});
    std::vector<CKept> kept;
    for (size_t nStart = 1, nEnd; nStart < strWritten.size(); nStart = nEnd + 1) {
        nEnd = strWritten.find_first_of(",]", nStart);
        kept.push_back(KeptOf(std::string_view(strWritten).substr(nStart, nEnd - nStart)));
    }
    return kept;
}

// The number is what jsParse should keep: an integer text of the 64-bit
// ranges as itself, anything else as the double of the collection's bits.
bool KeptExactly(const CNumber& number, const CKept& kept) {
    const bool bInteger = number.strText.find_first_of(".eE") == std::string::npos;
    if (bInteger && kept.bInteger) {
        const std::string strExpected = number.strText == "-0" ? "0" : number.strText;
        return kept.strText == strExpected;
    }
    return kept.nBits == number.nBits;
}

// A number beyond the largest double: refused by both, jsParse naming it.
bool RefusedAsOutOfRange(const CNumber& number) {
    const std::u16string strText = zorhost::FromUtf8("[" + number.strText + "]");
    const CallResult parsed = Host().Call("jsParse", {Text(strText)});
    return Host().Call("jsValid", {Text(strText)}).value.integer() == 0 && parsed.Failed() &&
           parsed.details.size() == 1 && parsed.details[0].rfind("number out of range: ", 0) == 0;
}

class NumberCollection : public HostTest, public ::testing::WithParamInterface<const char*> {};

}  // namespace

TEST_P(Conformance, EveryFileIsAnsweredAsItsSuiteOrADocumentedRuleAsks) {
    const auto files = corpus::FilesIn(corpus::kRoot / "conformance" / GetParam(), ".json");
    if (files.empty()) GTEST_SKIP() << "no corpus at " << corpus::kRoot;
    std::map<std::string, int> tally;
    for (const auto& path : files) {
        const std::string strName = path.filename().string();
        const std::string strBytes = corpus::ReadFile(path);
        const CAnswer answer = AnswerFor(strBytes);
        EXPECT_TRUE(AsBoostJsonReads(strBytes, answer)) << strName;
        const auto rule = DecidedByRule().find(strName);
        if (rule != DecidedByRule().end()) {
            EXPECT_TRUE(AsTheRuleDecides(rule->second, answer)) << strName;
            EXPECT_FALSE(AsTheSuiteAsks(strName, answer)) << strName << " is listed, but the suite's rule holds";
        } else {
            EXPECT_TRUE(AsTheSuiteAsks(strName, answer)) << strName;
        }
        ++tally[strName.substr(0, 2) + (answer.nValid == 1 ? " accepted" : " refused")];
    }
    std::string strTally;
    for (const auto& [strKey, nCount] : tally) strTally += " " + strKey + " " + std::to_string(nCount) + ";";
    std::cout << GetParam() << ": " << files.size() << " files:" << strTally << "\n";
}

INSTANTIATE_TEST_SUITE_P(Suites, Conformance, ::testing::Values("JSONTestSuite", "jsonchecker"));

TEST_P(NumberCollection, JsParseKeepsTheNearestDoubleOfEveryText) {
    const std::vector<CNumber> numbers = JsonNumbersOf(corpus::kRoot / "numbers" / GetParam());
    if (numbers.empty()) GTEST_SKIP() << "no corpus at " << corpus::kRoot;
    constexpr size_t kBatch = 500;
    size_t nWrong = 0, nRefused = 0, nOverflows = 0;
    std::vector<CNumber> batch;
    const auto check = [&] {
        const std::vector<CKept> kept = ParsedBack(batch);
        ASSERT_EQ(kept.size(), batch.size()) << batch.front().strText;
        for (size_t i = 0; i < batch.size(); ++i)
            if (!KeptExactly(batch[i], kept[i]) && ++nWrong <= 10)
                ADD_FAILURE() << batch[i].strText << " kept as " << kept[i].strText;
        batch.clear();
    };
    for (const CNumber& number : numbers) {
        if ((number.nBits & ~(uint64_t{1} << 63)) == kInfinityBits) {
            ++nOverflows;
            if (RefusedAsOutOfRange(number))
                ++nRefused;
            else
                ADD_FAILURE() << number.strText << " is beyond the largest double, but not refused";
            continue;
        }
        batch.push_back(number);
        if (batch.size() == kBatch) check();
    }
    if (!batch.empty()) check();
    EXPECT_EQ(nWrong, 0u);
    std::cout << GetParam() << ": " << numbers.size() << " texts in JSON's grammar, " << nWrong << " wrong, "
              << nRefused << " refused (" << nOverflows << " beyond the largest double)\n";
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberCollection, ::testing::Values("google-wuffs.txt", "lemire-fast-float.txt"),
                         [](const auto& info) { return info.index == 0 ? "wuffs" : "fast_float"; });
