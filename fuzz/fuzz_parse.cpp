// jsParse and jsValid on raw text. The first byte chooses how the rest
// becomes the script's UTF-16 text: decoded as UTF-8, or taken as UTF-16
// units as they are (lone surrogates included).
//
// Checks: a text jsValid accepts, jsParse loads; what jsParse loads is
// written in both layouts and encodings and lists its key paths; writing
// settles after one round (the written text, read and written again, reads
// and writes the same bytes); nothing stays open.
#include "fuzz/FuzzHost.h"

namespace {

using namespace fuzz;

// Written, read back and written again: the written text reads back, and
// the second text writes as itself. (The first round may normalise, e.g.
// the double -0 to the integer 0.)
void CheckSettles(const std::string& strWritten) {
    const CallResult reread = Call("jsParse", {HostValue::Text16(zorhost::FromUtf8(strWritten))});
    Require(reread.Succeeded(), "written text does not read back", strWritten);
    const std::string strSecond = Serialized(reread.value.text16());
    const CallResult third = Call("jsParse", {HostValue::Text16(zorhost::FromUtf8(strSecond))});
    Require(third.Succeeded(), "written text does not read back", strSecond);
    Require(Serialized(third.value.text16()) == strSecond, "writing does not settle", strSecond);
}

void CheckContainer(const std::u16string& strHandle) {
    const HostValue handle = HostValue::Text16(strHandle);
    for (int32_t nIndented : {0, 1}) {
        const CallResult utf8 = Call("jsSerialize", {handle, HostValue::Integer(nIndented)});
        const CallResult utf16 = Call("jsSerialize", {handle, HostValue::Integer(nIndented), HostValue::Integer(2)});
        Require(utf8.Succeeded() && utf16.Succeeded(), "jsSerialize failed on a parsed container");
        RequireStandardJson(utf8);
        const std::string& strUtf8 = utf8.value.text8();
        Require(zorhost::ToUtf8(utf16.value.text16()) == strUtf8, "the encodings differ", strUtf8);
    }
    Require(Call("jsKeyPaths", {handle, HostValue::Text16(u"")}).Succeeded(),
            "jsKeyPaths failed on a parsed container");
    Call("jsConMap", {handle});
    CheckSettles(Serialized(strHandle));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const HostValue text = HostValue::Text16(ScriptText(pData, nSize));
    const CallResult valid = Call("jsValid", {text});
    const CallResult parsed = Call("jsParse", {text});
    Require(valid.Succeeded(), "jsValid failed");
    if (valid.value.integer() == 1)
        Require(parsed.Succeeded(), "jsValid accepts what jsParse refuses", parsed.errorText);
    if (parsed.Succeeded()) {
        CheckContainer(parsed.value.text16());
    } else {
        const int nCode = ErrorNumber(parsed);
        Require(nCode == 20105 || nCode == 20128, "jsParse failed with", parsed.errorText);
    }
    CloseAll();
    return 0;
}
