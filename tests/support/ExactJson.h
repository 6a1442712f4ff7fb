// The references the tests hold the library's JSON to, made without the
// library: a reading of JSON whose doubles are correctly rounded, a strict
// reading for what the library writes, and the comparison of a tree with
// the tree its written text reads back as.
#pragma once

#include <algorithm>
#include <boost/json.hpp>
#include <boost/json/basic_parser_impl.hpp>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "tests/support/BoostRules.h"

namespace corpus {

// Parser events that build a tree on a value stack, reading each double
// from its text with the standard library's exact reading.
class CExactHandler : public CBoostHandler {
public:
    boost::json::value_stack stack;
    // A number beyond the largest double was read (as an infinity), which a
    // repeated key may leave out of the tree.
    bool bInfinity = false;

    bool on_document_begin(Ec&) { return stack.reset(), true; }
    bool on_document_end(Ec&) { return true; }
    bool on_object_begin(Ec&) { return true; }
    bool on_object_end(size_t n, Ec&) { return stack.push_object(n), true; }
    bool on_array_begin(Ec&) { return true; }
    bool on_array_end(size_t n, Ec&) { return stack.push_array(n), true; }
    bool on_key_part(View s, size_t, Ec&) { return stack.push_chars(s), true; }
    bool on_key(View s, size_t, Ec&) { return stack.push_key(s), true; }
    bool on_string_part(View s, size_t, Ec&) { return stack.push_chars(s), true; }
    bool on_string(View s, size_t, Ec&) { return stack.push_string(s), true; }
    bool on_number_part(View s, Ec&) { return m_strNumber.append(s.data(), s.size()), true; }
    bool on_int64(int64_t i, View, Ec&) { return m_strNumber.clear(), stack.push_int64(i), true; }
    bool on_uint64(uint64_t u, View, Ec&) { return m_strNumber.clear(), stack.push_uint64(u), true; }
    bool on_double(double, View s, Ec&) {
        m_strNumber.append(s.data(), s.size());
        double d = 0;
        const char* pEnd = m_strNumber.data() + m_strNumber.size();
        if (std::from_chars(m_strNumber.data(), pEnd, d).ec == std::errc::result_out_of_range)
            d = std::copysign(Overflows(m_strNumber) ? HUGE_VAL : 0.0, m_strNumber[0] == '-' ? -1.0 : 1.0);
        m_strNumber.clear();
        bInfinity |= std::isinf(d);
        return stack.push_double(d), true;
    }
    bool on_bool(bool b, Ec&) { return stack.push_bool(b), true; }
    bool on_null(Ec&) { return stack.push_null(), true; }
    bool on_comment_part(View, Ec&) { return true; }
    bool on_comment(View, Ec&) { return true; }

private:
    // Whether a number out of the range of doubles lies above it: its first
    // significant digit stands at a positive power of ten.
    static bool Overflows(const std::string& strNumber) {
        const size_t nExponent = strNumber.find_first_of("eE");
        const std::string strDigits = strNumber.substr(0, nExponent);
        const size_t nPoint = std::min(strDigits.find('.'), strDigits.size());
        const size_t nFirst = strDigits.find_first_of("123456789");
        long long nPower = std::strtoll(strNumber.c_str() + std::min(nExponent + 1, strNumber.size()), nullptr, 10);
        if (nExponent == std::string::npos) nPower = 0;
        return nPower + static_cast<long long>(nPoint) - static_cast<long long>(nFirst) > 0;
    }

    std::string m_strNumber;
};

// The first value of JSON text as Boost.JSON's parser reads it under the
// options, but with its doubles correctly rounded: ec its error, nRead the
// bytes it read (the value and the white space and comments after it),
// bInfinity whether it read a number beyond the largest double.
inline boost::json::value ExactParse(std::string_view text, const boost::json::parse_options& options,
                                     boost::json::error_code& ec, size_t& nRead, bool& bInfinity) {
    boost::json::basic_parser<CExactHandler> parser(options);
    nRead = parser.write_some(false, text.data(), text.size(), ec);
    bInfinity = parser.handler().bInfinity;
    return ec ? boost::json::value() : parser.handler().stack.release();
}

// The same for standard JSON nested at most as deep as the library builds;
// throws on an error.
inline boost::json::value ExactParse(std::string_view text) {
    boost::json::parse_options options;
    options.max_depth = 512;
    boost::json::error_code ec;
    size_t nRead = 0;
    bool bInfinity = false;
    boost::json::value jv = ExactParse(text, options, ec, nRead, bInfinity);
    if (ec) throw boost::system::system_error(ec);
    return jv;
}

// Standard JSON and nothing else: no comments, no trailing commas, valid
// UTF-8, one array or object, nested at most as deep as the library builds.
inline bool IsStrictJson(std::string_view text) {
    boost::json::parse_options options;
    options.max_depth = 512;
    boost::json::error_code ec;
    const boost::json::value jv = boost::json::parse(text, ec, {}, options);
    return !ec && jv.is_structured();
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The written text of original reads back as back: equal trees in the same
// member order, each double bit for bit, or, written as a whole number, as
// an integer of its value.
inline ::testing::AssertionResult ReadsBackAs(const boost::json::value& original, const boost::json::value& back,
                                              const std::string& strAt = "root") {
    if (original.is_double()) {
        const double d = original.get_double();
        if (back.is_double() ? SameBits(back.get_double(), d) : back.is_number() && back.to_number<double>() == d)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << strAt << ": " << original << " came back as " << back;
    }
    if (original.kind() != back.kind()) return ::testing::AssertionFailure() << strAt << ": kind differs";
    if (original.is_array()) {
        const auto &x = original.get_array(), &y = back.get_array();
        if (x.size() != y.size()) return ::testing::AssertionFailure() << strAt << ": size differs";
        for (size_t i = 0; i < x.size(); ++i)
            if (auto r = ReadsBackAs(x[i], y[i], strAt + "[" + std::to_string(i) + "]"); !r) return r;
        return ::testing::AssertionSuccess();
    }
    if (original.is_object()) {
        const auto &x = original.get_object(), &y = back.get_object();
        if (x.size() != y.size()) return ::testing::AssertionFailure() << strAt << ": size differs";
        for (size_t i = 0; i < x.size(); ++i) {
            const auto &m = x.begin()[i], &n = y.begin()[i];
            if (m.key() != n.key()) return ::testing::AssertionFailure() << strAt << ": member order differs";
            if (auto r = ReadsBackAs(m.value(), n.value(), strAt + "." + std::string(m.key())); !r) return r;
        }
        return ::testing::AssertionSuccess();
    }
    if (original == back) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << strAt << ": " << original << " came back as " << back;
}

}  // namespace corpus
