// Boost.JSON as the test programs and the benchmark use it beside the
// library: the options that read by the library's rules, and what every
// handler of its basic_parser declares.
#pragma once

#include <boost/json/array.hpp>
#include <boost/json/error.hpp>
#include <boost/json/object.hpp>
#include <boost/json/parse_options.hpp>
#include <boost/json/string.hpp>
#include <cstddef>

// Nesting up to 512 levels, comments, trailing commas, any bytes inside
// strings.
inline boost::json::parse_options LenientOptions() {
    boost::json::parse_options opt;
    opt.max_depth = 512;
    opt.allow_comments = true;
    opt.allow_trailing_commas = true;
    opt.allow_invalid_utf8 = true;
    return opt;
}

// The limits a handler declares (none but Boost.JSON's own) and the types
// its events take.
struct CBoostHandler {
    static constexpr size_t max_object_size = boost::json::object::max_size();
    static constexpr size_t max_array_size = boost::json::array::max_size();
    static constexpr size_t max_key_size = boost::json::string::max_size();
    static constexpr size_t max_string_size = boost::json::string::max_size();
    using Ec = boost::json::error_code;
    using View = boost::json::string_view;
};
