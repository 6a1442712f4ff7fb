// The library's reader of JSON text against Boost.JSON's parser, on any
// script text (the first byte chooses UTF-8 decoding or raw UTF-16 units):
// jsValid's and jsParse's verdicts, the tree and the error must be the
// ones of Boost.JSON under the same rules, with the library's own rules for
// numbers on top (tests/support/ReferenceReading.h).
#include "fuzz/FuzzHost.h"
#include "tests/support/ReaderDifferential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::u16string strText = fuzz::ScriptText(pData, nSize);
    const std::string strDifference = reference::Disagreement(strText);
    fuzz::Require(strDifference.empty(), "the reader and Boost.JSON disagree:", strDifference);
    return 0;
}
