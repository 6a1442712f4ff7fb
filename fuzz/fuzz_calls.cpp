// Sequences of calls through the exported entry, decoded from the fuzzer's
// bytes: any function (or a command number outside the table), any number
// of arguments of any type, texts drawn from JSON fragments, key paths,
// delimiters, raw bytes and the handles issued earlier in the sequence.
//
// One of the host's services may be made to fail.
//
// Checks: every call ends with one run of the return callback and a result
// or a numbered error (a command outside the table with none), a container
// that a failed jsValueAdd named is unchanged, and every text jsSerialize
// returns is standard JSON that jsValid accepts.
#include <climits>

#include "fuzz/FuzzHost.h"

namespace {

using namespace fuzz;

// Table entries the checks single out.
constexpr int16_t kValueAdd = 6;
constexpr int16_t kSerialize = 11;

const int32_t kIntegers[] = {0, 1, 2, 3, 4, 5, 8, 16, 32, 64, -1, INT_MIN, INT_MAX, 20104, 101};

const char* const kFragments[] = {
    "{}",
    "[]",
    "{\"a\":{\"b\":[1,2,{\"c\":null}]}}",
    "[1,[2,[3,[4]]]]",
    "{\"a\":1,\"a\":2}",
    "[{\"k\":[{\"k\":[]}]}]",
    "{\"\":{\"\":[]}}",
    "{\"a.b\":{\"[x]\":1}}",
    "[1.5e308,-0,1e-400,18446744073709551615]",
    "[1e309]",
    "{\"n\":-1e400}",
    "[0e400,123456789.123456789e-7]",
    "\"text\"",
    "1",
    "true",
    "null",
    "{\"a\":\"\\u0000\\ud800\"}",
    "/*c*/[1,]//x",
    "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
    "{\"a\":[",
    "",
    " ",
    "5",
    "-1",
    "1e999",
    "x",
    "TRUE",
    "0x10",
};

const char16_t* const kPaths[] = {
    u"",
    u"a",
    u"a.b",
    u"a.b[2]",
    u"a.b[2].c",
    u"[]",
    u"[][0]",
    u"[][1].k",
    u"[0]",
    u"a[]",
    u"a[5]",
    u"a[-1]",
    u"a[18446744073709551615]",
    u"a[x]",
    u"[a.b]",
    u"[a.b].[[x]]",
    u"a.",
    u".a",
    u"..",
    u"[",
    u"]",
    u"a[0][0][0]",
    u"k[0].k[0]",
    u"[][0].k[0].k",
    u" a ",
    u"a/b",
    u"[][][]",
};

const char16_t* const kDelimiters[] = {u".", u"/", u"", u"..", u"[", u"$", u" ", u"\u00e9", u"\xd800"};

// Handles the sequence has been given, and their variants a script may write.
class Handles {
public:
    void Note(const CallResult& r) {
        if (r.Succeeded() && r.value.kind() == HostValue::Kind::Text16 && !r.value.text16().empty() &&
            r.value.text16()[0] == u'*')
            m_handles.push_back(r.value.text16());
    }
    std::u16string Pick(Reader& in) const {
        if (m_handles.empty()) return u"*obj1*";
        std::u16string str = m_handles[in.Pick(m_handles.size())];
        switch (in.Pick(4)) {
            case 0:
                return u" " + str + u"\n";
            case 1:
                str[1] = static_cast<char16_t>(str[1] - 32);
                return str;  // *Obj / *Arr
            default:
                return str;
        }
    }
    const std::vector<std::u16string>& All() const { return m_handles; }

private:
    std::vector<std::u16string> m_handles;
};

HostValue Argument(Reader& in, const Handles& handles) {
    switch (in.Pick(10)) {
        case 0:
            return HostValue::Integer(kIntegers[in.Pick(std::size(kIntegers))]);
        case 1:
            return HostValue::Integer(in.Int32());
        case 2:
            return HostValue::Text16(zorhost::FromUtf8(kFragments[in.Pick(std::size(kFragments))]));
        case 3:
            return HostValue::Text16(handles.Pick(in));
        case 4:
            return HostValue::Text16(kPaths[in.Pick(std::size(kPaths))]);
        case 5:
            return HostValue::Text16(kDelimiters[in.Pick(std::size(kDelimiters))]);
        case 6:
            return HostValue::Text16(zorhost::FromUtf8(in.Bytes(32)));
        case 7:
            return HostValue::Text8(in.Byte() % 2 ? Host().Store().MakePointer("v") : in.Bytes(48));
        case 8:
            return HostValue::ArrayOf({HostValue::Text16(handles.Pick(in)), HostValue::Integer(1)});
        default:
            return HostValue();  // a record of no type
    }
}

// A command outside the table does nothing and calls nothing back.
void CallOutsideTable(Reader& in) {
    const int16_t kCommands[] = {-32768, -4, 24, 25, 100, 32767};
    const CallResult r = Host().CallIndex(kCommands[in.Pick(std::size(kCommands))], {});
    Require(r.callbackCount == 0 && r.returnValue == 0, "a command outside the table answered");
}

// One of the host's services fails from some later call on.
void SetFault(Reader& in) {
    const zorhost::Service services[] = {zorhost::Service::CreateArray, zorhost::Service::SetArrayElement,
                                         zorhost::Service::StoreToVariable, zorhost::Service::MapOperation};
    const int32_t statuses[] = {3, 9, 11, 13, -1};
    Host().Services().SetFault(services[in.Pick(4)], statuses[in.Pick(5)], in.Pick(4));
}

void CallOne(Reader& in, Handles& handles) {
    const uint8_t nChoice = in.Byte();
    if (nChoice >= 250) return CallOutsideTable(in);
    if (nChoice >= 244) return SetFault(in);
    const int16_t nCmdId = static_cast<int16_t>(nChoice % 12);
    std::vector<HostValue> args(in.Pick(7));
    for (HostValue& arg : args) arg = Argument(in, handles);

    std::vector<std::string> before;
    if (nCmdId == kValueAdd)
        for (const std::u16string& strHandle : handles.All()) before.push_back(Serialized(strHandle));
    const CallResult r =
        Checked(Host().CallIndex(nCmdId, args), zorhost::ToUtf8(Host().Entries()[nCmdId].name).c_str());
    handles.Note(r);
    if (nCmdId == kSerialize) RequireStandardJson(r);
    if (nCmdId == kValueAdd && r.Failed())
        for (size_t i = 0; i < before.size(); ++i)
            Require(Serialized(handles.All()[i]) == before[i], "a failed jsValueAdd changed a container");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    Reader in(pData, nSize);
    Handles handles;
    for (int nCalls = 0; nCalls < 48 && !in.Empty(); ++nCalls) CallOne(in, handles);
    CloseAll();
    Host().Services().ClearFaults();
    return 0;
}
