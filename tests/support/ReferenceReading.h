// Boost.JSON's parser as the reference of the library's reader: the text
// a script passes, without the white space set around it, as UTF-8 (a lone
// surrogate as U+FFFD), read under the library's rules (nesting up to 512,
// comments, trailing commas), with two rules of the library's own on top:
// doubles are correctly rounded, and a number beyond the largest double,
// which Boost.JSON reads as an infinity, is refused.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "platform/Utf8Codec.h"
#include "tests/support/ExactJson.h"
#include "tests/support/JsonCorpus.h"

namespace reference {

// What a reading of a text gives: the verdicts of jsParse and jsValid, the
// tree, and the error's description.
struct CReading {
    corpus::Parse parse = corpus::Parse::ParserError;
    bool bValid = false;
    boost::json::value tree;
    std::string strError;
};

// The text without the white space set (space, tab, LF, CR, FF, VT) at
// both ends.
inline std::u16string_view Trimmed(std::u16string_view text) {
    const auto space = [](char16_t u) {
        return u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == '\v';
    };
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    return text;
}

// The reference reading of a script's text up to its first U+0000; unset
// for a text with an exponent too long for Boost.JSON to count, which the
// library reads but the reference cannot.
inline std::optional<CReading> Read(std::u16string_view text) {
    const std::string strUtf8 = platform::Utf8Of(Trimmed(text.substr(0, text.find(u'\0'))));
    boost::json::error_code ec;
    size_t nRead = 0;
    bool bInfinity = false;
    CReading reading;
    reading.tree = corpus::ExactParse(strUtf8, LenientOptions(), ec, nRead, bInfinity);
    if (ec == boost::json::error::exponent_overflow) return std::nullopt;
    if (ec || bInfinity) {
        reading.strError = ec ? ec.message() : "number out of range";
        reading.tree = nullptr;
        return reading;
    }
    reading.parse = reading.tree.is_structured() ? corpus::Parse::Container : corpus::Parse::NotContainer;
    reading.bValid = reading.tree.is_structured() && nRead == strUtf8.size();
    return reading;
}

}  // namespace reference
