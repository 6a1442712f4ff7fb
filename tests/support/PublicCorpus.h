// The public test data beside the repository (../shared/corpus): its files,
// read as a script reads them, and the references the tests hold the
// library to, made without the library: a reading of JSON whose doubles are
// correctly rounded, a strict reading for what the library writes, and the
// comparison of a tree with the tree its written text reads back as.
#pragma once

#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <boost/json/basic_parser_impl.hpp>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corpus {

inline const std::filesystem::path kRoot = ZOR_CORPUS_DIR;

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The files of a folder of the corpus with the extension, sorted by name.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder, const std::string& strExtension) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().extension() == strExtension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Parser events that build a tree on a value stack, reading each double
// from its text with the standard library's exact reading.
class CExactHandler {
public:
    static constexpr size_t max_object_size = boost::json::object::max_size();
    static constexpr size_t max_array_size = boost::json::array::max_size();
    static constexpr size_t max_key_size = boost::json::string::max_size();
    static constexpr size_t max_string_size = boost::json::string::max_size();
    using Ec = boost::json::error_code;
    using View = boost::json::string_view;

    boost::json::value_stack stack;

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
        std::from_chars(m_strNumber.data(), m_strNumber.data() + m_strNumber.size(), d);
        m_strNumber.clear();
        return stack.push_double(d), true;
    }
    bool on_bool(bool b, Ec&) { return stack.push_bool(b), true; }
    bool on_null(Ec&) { return stack.push_null(), true; }
    bool on_comment_part(View, Ec&) { return true; }
    bool on_comment(View, Ec&) { return true; }

private:
    std::string m_strNumber;
};

// Standard JSON read as the library reads a document's first value, but
// with its doubles correctly rounded; options as given. Throws on an error.
inline boost::json::value ExactParse(std::string_view text, const boost::json::parse_options& options = {}) {
    boost::json::basic_parser<CExactHandler> parser(options);
    boost::json::error_code ec;
    parser.write_some(false, text.data(), text.size(), ec);
    if (ec) throw boost::system::system_error(ec);
    return parser.handler().stack.release();
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
