// JSON texts with the verdicts jsValid and jsParse must give for them,
// grouped by what they probe. Shared by the unit tests (which also check the
// verdicts against Boost.JSON itself) and the integration tests (which check
// them through the exported entries, natively and in the DLL).
//
// Texts are UTF-16, as a script passes them; both functions trim the white
// space set around them before reading.
#pragma once

#include <string>
#include <vector>

namespace corpus {

// What jsParse makes of a text.
enum class Parse {
    Container,     // a new container holding the leading array or object
    ParserError,   // 20105
    NotContainer,  // 20128: the leading value is a number, string, bool or null
};

struct Case {
    const char* szGroup;
    std::u16string strText;
    bool bValid;  // jsValid answers 1
    Parse parse;
};

// An array nested nDepth deep around szInner.
inline std::u16string Nested(int nDepth, const std::u16string& strInner = u"") {
    return std::u16string(static_cast<size_t>(nDepth), u'[') + strInner +
           std::u16string(static_cast<size_t>(nDepth), u']');
}

// Objects nested nDepth deep: {"a":{"a":...{}}}.
inline std::u16string NestedObjects(int nDepth) {
    std::u16string strText;
    for (int i = 1; i < nDepth; ++i) strText += u"{\"a\":";
    return strText + u"{}" + std::u16string(static_cast<size_t>(nDepth - 1), u'}');
}

inline const std::vector<Case>& Cases() {
    using P = Parse;
    static const std::vector<Case> cases = {
        // Numbers.
        {"numbers", u"[0]", true, P::Container},
        {"numbers", u"[-0, 0.0, -0.0e0]", true, P::Container},
        {"numbers", u"[1.5e10, -2E-3, 3e+2, 123456789012345678901234567890]", true, P::Container},
        {"numbers", u"[18446744073709551615, -9223372036854775808]", true, P::Container},
        {"numbers", u"[18446744073709551616, -9223372036854775809]", true, P::Container},
        {"numbers", u"[1e-999, -1e-400, 0e999, -0.0e-999, 1.7976931348623157e308]", true, P::Container},
        {"numbers", u"[1e309]", false, P::ParserError},
        {"numbers", u"[-1e400, 1]", false, P::ParserError},
        {"numbers", u"{\"a\": 123.456e789}", false, P::ParserError},
        {"numbers", u"[01]", false, P::ParserError},
        {"numbers", u"[-01]", false, P::ParserError},
        {"numbers", u"[1.]", false, P::ParserError},
        {"numbers", u"[.5]", false, P::ParserError},
        {"numbers", u"[+1]", false, P::ParserError},
        {"numbers", u"[1e]", false, P::ParserError},
        {"numbers", u"[1e+]", false, P::ParserError},
        {"numbers", u"[-]", false, P::ParserError},
        {"numbers", u"[0x10]", false, P::ParserError},
        {"numbers", u"[NaN]", false, P::ParserError},
        {"numbers", u"[Infinity]", false, P::ParserError},
        {"numbers", u"[1 2]", false, P::ParserError},
        {"numbers", u"[1,5]", true, P::Container},
        {"numbers", u"42", false, P::NotContainer},
        {"numbers", u"-1.5e3", false, P::NotContainer},

        // Strings and escapes.
        {"strings", u"[\"a\\\"b\\\\c\\/d\\b\\f\\n\\r\\t\"]", true, P::Container},
        {"strings", u"[\"\\u00e9\\u20AC\\uD83D\\uDE00\"]", true, P::Container},
        {"strings", u"[\"\\u0000 inside\"]", true, P::Container},
        {"strings", u"[\"\"]", true, P::Container},
        {"strings", u"{\"a\":1,\"a\":2}", true, P::Container},
        {"strings", u"{\"\":\"\"}", true, P::Container},
        {"strings", u"[\"\\uD800\"]", false, P::ParserError},
        {"strings", u"[\"\\uDC00\"]", false, P::ParserError},
        {"strings", u"[\"\\uD800\\u0041\"]", false, P::ParserError},
        {"strings", u"[\"\\x41\"]", false, P::ParserError},
        {"strings", u"[\"\\u12\"]", false, P::ParserError},
        {"strings", u"[\"\\uZZZZ\"]", false, P::ParserError},
        {"strings", u"[\"\\a\"]", false, P::ParserError},
        {"strings", u"[\"tab\tinside\"]", false, P::ParserError},
        {"strings", u"[\"line\nbreak\"]", false, P::ParserError},
        {"strings", u"['single']", false, P::ParserError},
        {"strings", u"[\"unterminated]", false, P::ParserError},
        {"strings", u"{a:1}", false, P::ParserError},
        {"strings", u"{\"a\" 1}", false, P::ParserError},
        {"strings", u"{1:1}", false, P::ParserError},
        {"strings", u"\"just a string\"", false, P::NotContainer},

        // Literals.
        {"literals", u"[true, false, null]", true, P::Container},
        {"literals", u"[True]", false, P::ParserError},
        {"literals", u"[nul]", false, P::ParserError},
        {"literals", u"[truefalse]", false, P::ParserError},
        {"literals", u"true", false, P::NotContainer},
        {"literals", u"null", false, P::NotContainer},

        // UTF-8: the host's UTF-16 arrives as UTF-8, a lone surrogate as U+FFFD.
        {"utf8", u"[\"\u00e9\u6f22\u5b57\U0001F600\"]", true, P::Container},
        {"utf8", u"{\"\u043a\u043b\u044e\u0447\":\"\u0437\u043d\u0430\u0447\"}", true, P::Container},
        {"utf8", std::u16string(u"[\"") + char16_t(0xD800) + u"\"]", true, P::Container},
        {"utf8", std::u16string(u"[\"") + char16_t(0xDC00) + char16_t(0xD800) + u"\"]", true, P::Container},
        {"utf8", u"[\u00e9]", false, P::ParserError},
        {"utf8", u"\uFEFF[1]", false, P::ParserError},
        {"utf8", u"\u00A0[1]", false, P::ParserError},
        {"utf8", u"[1]\u00e9", false, P::Container},
        {"utf8", u"[1\u3000]", false, P::ParserError},

        // Nesting: at most 512 levels.
        {"nesting", Nested(1), true, P::Container},
        {"nesting", Nested(512), true, P::Container},
        {"nesting", Nested(512, u"1"), true, P::Container},
        {"nesting", Nested(513), false, P::ParserError},
        {"nesting", NestedObjects(512), true, P::Container},
        {"nesting", NestedObjects(513), false, P::ParserError},
        {"nesting", u"{\"a\":[1,{\"b\":null,\"c\":[[],{}]}]}", true, P::Container},
        {"nesting", u"[[]", false, P::ParserError},
        {"nesting", u"[{]}", false, P::ParserError},
        {"nesting", u"{]", false, P::ParserError},
        {"nesting", u"[}", false, P::ParserError},
        {"nesting", u"[", false, P::ParserError},
        {"nesting", u"}", false, P::ParserError},

        // Comments, wherever white space may stand.
        {"comments", u"[1 /* c */, 2]", true, P::Container},
        {"comments", u"[1, // c\n 2]", true, P::Container},
        {"comments", u"{\"a\" /*x*/ : /*y*/ 1 /*z*/}", true, P::Container},
        {"comments", u"[/**/]", true, P::Container},
        {"comments", u"[/* a * b / c ** */1]", true, P::Container},
        {"comments", u"/* lead */ [1]", true, P::Container},
        {"comments", u"// lead\n{}", true, P::Container},
        {"comments", u"[1] // ]", true, P::Container},
        {"comments", u"{} // ]", true, P::Container},
        {"comments", u"[1 /* unterminated ]", false, P::ParserError},
        {"comments", u"[1] /* unterminated", false, P::ParserError},
        {"comments", u"[1 # hash ]", false, P::ParserError},
        {"comments", u"[1 / 2]", false, P::ParserError},
        {"comments", u"[\"/* not a comment */\"]", true, P::Container},
        {"comments", u"/* only a comment */", false, P::ParserError},

        // Trailing commas.
        {"commas", u"[1,2,]", true, P::Container},
        {"commas", u"{\"a\":1,}", true, P::Container},
        {"commas", u"[[],{},]", true, P::Container},
        {"commas", u"[1, /* c */ ]", true, P::Container},
        {"commas", u"[,]", false, P::ParserError},
        {"commas", u"[1,,]", false, P::ParserError},
        {"commas", u"[,1]", false, P::ParserError},
        {"commas", u"{,}", false, P::ParserError},
        {"commas", u"{\"a\":1,,}", false, P::ParserError},
        {"commas", u"{\"a\":}", false, P::ParserError},

        // Content after the first value, and white space around it.
        {"trailing", u"  \r\n{}\t\n\v\f", true, P::Container},
        {"trailing", u"{} {}", false, P::Container},
        {"trailing", u"[1] [2]", false, P::Container},
        {"trailing", u"[1]]", false, P::Container},
        {"trailing", u"[1]x", false, P::Container},
        {"trailing", u"[1] , ]", false, P::Container},
        {"trailing", u"{} /* c */ ", true, P::Container},
        {"trailing", u"{\"a\":1}   // note", true, P::Container},
        {"trailing", u"[1] /* c */ 2", false, P::Container},
        {"trailing", u"[1]/x", false, P::ParserError},
        {"trailing", u"1 [2]", false, P::NotContainer},
        {"trailing", u"", false, P::ParserError},
        {"trailing", u" \t\r\n", false, P::ParserError},
    };
    return cases;
}

}  // namespace corpus
