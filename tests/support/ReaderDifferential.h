// The library's reader, through ParseFirstValue and IsValidJson, against
// the reference reading (ReferenceReading.h): the same verdicts of jsParse
// and jsValid, the same tree, and the same error.
#pragma once

#include <system_error>

#include "json/frame/UserException.h"
#include "json/store/JsonReading.h"
#include "tests/support/ReferenceReading.h"

namespace reference {

inline CReading LibraryRead(const std::u16string& strText) {
    CReading reading;
    reading.bValid = IsValidJson(strText.c_str());
    CTextBuffer scratch;
    try {
        // Copied into the heap while the tree's arena is alive.
        reading.tree = ParseFirstValue(strText.c_str(), scratch).root;
        reading.parse = reading.tree.is_structured() ? corpus::Parse::Container : corpus::Parse::NotContainer;
    } catch (const std::system_error& e) {
        reading.strError = e.what();
    } catch (const CUserException& e) {
        reading.strError = e.m_nCode == kErrParser ? e.m_strDetail.substr(0, e.m_strDetail.find(':'))
                                                   : "error " + std::to_string(e.m_nCode);
    }
    return reading;
}

inline bool IsSurrogateError(const std::string& strError) { return strError.find("surrogate") != std::string::npos; }

// Errors that name the same fault. The library stops at a number beyond the
// largest double, where Boost.JSON reads on and may fail further on. And
// Boost.JSON is not consistent with itself about unpaired surrogates: how
// much text follows decides whether it reports a lone low surrogate as
// leading or trailing, and a high one followed by no low one as such or as
// an expected hex digit.
inline bool SameError(const std::string& strLibrary, const std::string& strReference) {
    return strLibrary == strReference || strLibrary == "number out of range" ||
           (IsSurrogateError(strLibrary) && (IsSurrogateError(strReference) || strReference == "expected hex digit"));
}

// How the library's reading of the text differs from the reference's; empty
// when they agree (or the reference cannot read the text).
inline std::string Disagreement(const std::u16string& strText) {
    const std::optional<CReading> expected = Read(strText);
    if (!expected) return "";
    const CReading library = LibraryRead(strText);
    if (library.parse != expected->parse || library.bValid != expected->bValid)
        return "verdicts differ: " + library.strError + " / " + expected->strError;
    if (library.tree != expected->tree)
        return "read " + boost::json::serialize(library.tree) + " for " + boost::json::serialize(expected->tree);
    if (!SameError(library.strError, expected->strError))
        return "error " + library.strError + " / " + expected->strError;
    return "";
}

}  // namespace reference
