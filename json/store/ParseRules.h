// The rules under which the library reads JSON text: nesting at most 512
// deep (as deep as jsValueAdd builds), comments wherever white space may
// stand, trailing commas, any bytes inside strings, and numbers within the
// range of a double; and the parser events of a read that builds nothing.
#pragma once

#include <boost/json/array.hpp>
#include <boost/json/error.hpp>
#include <boost/json/object.hpp>
#include <boost/json/parse_options.hpp>
#include <boost/json/string.hpp>
#include <cmath>
#include <string>

#include "json/frame/NumberText.h"

// The deepest nesting read: the deepest that jsValueAdd builds, so that
// every container the library writes out reads back in.
constexpr size_t kMaxReadDepth = 512;

inline boost::json::parse_options LenientOptions() {
    boost::json::parse_options opt;
    opt.max_depth = kMaxReadDepth;
    opt.allow_comments = true;
    opt.allow_trailing_commas = true;
    opt.allow_invalid_utf8 = true;
    return opt;
}

// What the parser events of both readers share: the size limits of the
// tree-building parser, so that both accept the same texts; the comment
// events, accepted, or, while text comes in pieces, refused with an error,
// which ends the reading in pieces; and the reading of doubles. The parser
// reads doubles by a quick rule that misses the nearest double of some
// texts (and makes NaN of 0e400), so they are read again from their text,
// correctly rounded, and a number beyond the largest double is refused: an
// error, with its text kept in m_strOutOfRange.
class CReaderEvents {
public:
    static constexpr size_t max_object_size = boost::json::object::max_size();
    static constexpr size_t max_array_size = boost::json::array::max_size();
    static constexpr size_t max_key_size = boost::json::string::max_size();
    static constexpr size_t max_string_size = boost::json::string::max_size();

    using ErrorCode = boost::json::error_code;
    using View = boost::json::string_view;

    bool m_bRefuseComments = false;
    std::string m_strOutOfRange;

    bool on_comment_part(View, ErrorCode& ec) { return Accept(ec); }
    bool on_comment(View, ErrorCode& ec) { return Accept(ec); }
    // A number that a piece's end cuts short comes in parts before its event.
    bool on_number_part(View s, ErrorCode&) { return m_strNumber.append(s.data(), s.size()), true; }

protected:
    // An integer event: the number's parts are done with.
    bool EndNumber() {
        m_strNumber.clear();
        return true;
    }

    // The correctly rounded double of the number whose last part is s;
    // false with ec set beyond the largest double.
    bool ReadDouble(View s, double& dValue, ErrorCode& ec) {
        const std::string_view text = m_strNumber.empty() ? std::string_view(s.data(), s.size())
                                                          : std::string_view(m_strNumber.append(s.data(), s.size()));
        dValue = JsonNumberValue(text);
        if (!std::isfinite(dValue)) {
            m_strOutOfRange.assign(text);
            ec = boost::json::error::exception;
        }
        EndNumber();
        return std::isfinite(dValue);
    }

private:
    bool Accept(ErrorCode& ec) const {
        if (m_bRefuseComments) ec = boost::json::error::syntax;
        return !m_bRefuseComments;
    }

    std::string m_strNumber;
};

// Parser events for validation: every event is accepted, nothing is built,
// and only whether the text's value is an array or object is noted (a
// scalar holds no container).
class CNullHandler : public CReaderEvents {
public:
    bool m_bContainer = false;

    bool on_document_begin(ErrorCode&) { return true; }
    bool on_document_end(ErrorCode&) { return true; }
    bool on_object_begin(ErrorCode&) { return m_bContainer = true; }
    bool on_object_end(size_t, ErrorCode&) { return true; }
    bool on_array_begin(ErrorCode&) { return m_bContainer = true; }
    bool on_array_end(size_t, ErrorCode&) { return true; }
    bool on_key_part(View, size_t, ErrorCode&) { return true; }
    bool on_key(View, size_t, ErrorCode&) { return true; }
    bool on_string_part(View, size_t, ErrorCode&) { return true; }
    bool on_string(View, size_t, ErrorCode&) { return true; }
    bool on_int64(int64_t, View, ErrorCode&) { return EndNumber(); }
    bool on_uint64(uint64_t, View, ErrorCode&) { return EndNumber(); }
    // The parser's double is off by a few units in the last place at most,
    // so only one near the largest double, or not finite, is read again.
    bool on_double(double d, View s, ErrorCode& ec) {
        if (std::fabs(d) < 1e308) return EndNumber();
        return ReadDouble(s, d, ec);
    }
    bool on_bool(bool, ErrorCode&) { return true; }
    bool on_null(ErrorCode&) { return true; }
};
