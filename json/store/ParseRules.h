// The rules under which the library reads JSON text: nesting at most 32
// deep, comments wherever white space may stand, trailing commas, and any
// bytes inside strings; and the parser events of a read that builds nothing.
#pragma once

#include <boost/json/array.hpp>
#include <boost/json/error.hpp>
#include <boost/json/object.hpp>
#include <boost/json/parse_options.hpp>
#include <boost/json/string.hpp>

inline boost::json::parse_options LenientOptions() {
    boost::json::parse_options opt;
    opt.max_depth = 32;
    opt.allow_comments = true;
    opt.allow_trailing_commas = true;
    opt.allow_invalid_utf8 = true;
    return opt;
}

// What the parser events of both readers share: the size limits of the
// tree-building parser, so that both accept the same texts; and the comment
// events, accepted, or, while text comes in pieces, refused with an error,
// which ends the reading in pieces.
class CReaderEvents {
public:
    static constexpr size_t max_object_size = boost::json::object::max_size();
    static constexpr size_t max_array_size = boost::json::array::max_size();
    static constexpr size_t max_key_size = boost::json::string::max_size();
    static constexpr size_t max_string_size = boost::json::string::max_size();

    using ErrorCode = boost::json::error_code;
    using View = boost::json::string_view;

    bool m_bRefuseComments = false;

    bool on_comment_part(View, ErrorCode& ec) { return Accept(ec); }
    bool on_comment(View, ErrorCode& ec) { return Accept(ec); }

private:
    bool Accept(ErrorCode& ec) const {
        if (m_bRefuseComments) ec = boost::json::error::syntax;
        return !m_bRefuseComments;
    }
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
    bool on_number_part(View, ErrorCode&) { return true; }
    bool on_int64(int64_t, View, ErrorCode&) { return true; }
    bool on_uint64(uint64_t, View, ErrorCode&) { return true; }
    bool on_double(double, View, ErrorCode&) { return true; }
    bool on_bool(bool, ErrorCode&) { return true; }
    bool on_null(ErrorCode&) { return true; }
};
