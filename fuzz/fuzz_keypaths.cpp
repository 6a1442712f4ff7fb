// Key paths and delimiters through reading, adding and listing on fixed
// trees. The input is a tree number, a delimiter choice, a type bit choice,
// then the key path and the value text (UTF-8, separated by a zero byte).
//
// Checks: jsValueGet and jsValueType find the same nodes and fail alike;
// jsKeyExist counts what jsKeyPaths lists; a failed jsValueAdd leaves the
// tree unchanged, a successful one changes nothing but the container.
#include "fuzz/FuzzHost.h"

namespace {

using namespace fuzz;

const char* const kTrees[] = {
    "{\"a\":{\"b\":[1,2,{\"c\":null}]},\"k\":[{\"k\":[{\"k\":1}]}],\"s\":\"x\"}",
    "[1,{\"a\":[[],[{}]]},[\"[\",\"]\"],{\"\":{\"\":0}}]",
    "{\"a.b\":{\"[x]\":{\"a\":[true,false]}},\"a\":{\"b\":{\"a\":2}},\"\":[null]}",
    "{\"\xc3\xa9\":{\"/\":[{\"$\":1}]},\"a/b\":[[0]]}",
    "[]",
    "{}",
};

const char16_t* const kDelimiters[] = {u".", u"/", u":", u"\u00e9", u"..", u"["};

const int32_t kTypes[] = {1, 2, 4, 8, 16, 32, 0, 3};

// Both reading functions, checked against each other.
void Read(const HostValue& handle, const HostValue& path, const std::vector<HostValue>& delimiter) {
    std::vector<HostValue> args{handle, path};
    args.insert(args.end(), delimiter.begin(), delimiter.end());
    const CallResult got = Call("jsValueGet", args);
    const CallResult type = Call("jsValueType", args);
    Require(got.Succeeded() == type.Succeeded(), "jsValueGet and jsValueType disagree");
    if (got.Failed()) Require(got.errorText == type.errorText, "different errors", got.errorText + type.errorText);
}

// The list and the count, for the same arguments.
void List(const HostValue& handle, const HostValue& path, const std::vector<HostValue>& delimiter) {
    std::vector<HostValue> listArgs{handle, path};
    listArgs.insert(listArgs.end(), delimiter.begin(), delimiter.end());
    std::vector<HostValue> countArgs{handle, path, HostValue::Text8(Host().Store().MakePointer("paths"))};
    countArgs.insert(countArgs.end(), delimiter.begin(), delimiter.end());
    const CallResult list = Call("jsKeyPaths", listArgs);
    const CallResult count = Call("jsKeyExist", countArgs);
    if (list.Succeeded() && count.Succeeded()) {
        const size_t nListed = list.value.array()->elements.size();
        Require(static_cast<size_t>(count.value.integer()) == nListed, "jsKeyExist counts other than jsKeyPaths lists");
        const HostValue* pStored = Host().Store().Variable("paths");
        Require(pStored != nullptr && *pStored == list.value, "jsKeyExist stored other paths");
    }
}

void Add(const HostValue& handle, const HostValue& path, const HostValue& value, int32_t nType,
         const std::vector<HostValue>& delimiter, const std::u16string& strOther) {
    const std::string strBefore = Serialized(handle.text16());
    const std::string strOtherBefore = Serialized(strOther);
    std::vector<HostValue> args{handle, path, value, HostValue::Integer(nType)};
    args.insert(args.end(), delimiter.begin(), delimiter.end());
    const CallResult r = Call("jsValueAdd", args);
    if (r.Failed()) Require(Serialized(handle.text16()) == strBefore, "a failed jsValueAdd changed the tree");
    Require(Serialized(strOther) == strOtherBefore, "jsValueAdd changed another container");
}

// True when the path holds seven digits in a row: jsValueAdd pads an array
// up to such an index with as many nulls, gigabytes that the fuzzer's
// memory limit reports as a fault (a host's allocator would refuse them,
// which the library answers with 20115). Reading such paths is fuzzed still.
bool HasHugeIndex(const std::u16string& strPath) {
    size_t nDigits = 0;
    for (const char16_t c : strPath) {
        nDigits = c >= u'0' && c <= u'9' ? nDigits + 1 : 0;
        if (nDigits == 7) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    Reader in(pData, nSize);
    const std::u16string strTree = zorhost::FromUtf8(kTrees[in.Pick(std::size(kTrees))]);
    const size_t nDelimiter = in.Pick(std::size(kDelimiters) + 1);
    const int32_t nType = kTypes[in.Pick(std::size(kTypes))];
    const HostValue path = HostValue::Text16(zorhost::FromUtf8(in.Field()));
    std::u16string strValue = zorhost::FromUtf8(in.Field());

    const CallResult tree = Call("jsParse", {HostValue::Text16(strTree)});
    const CallResult other = Call("jsParse", {HostValue::Text16(zorhost::FromUtf8(kTrees[0]))});
    Require(tree.Succeeded() && other.Succeeded(), "a fixed tree does not parse");
    // Type 32 takes a handle as its value text: the other tree's, or the tree's own.
    if (nType == 32 && strValue == u"o") strValue = other.value.text16();
    if (nType == 32 && strValue == u"s") strValue = tree.value.text16();
    const HostValue handle = tree.value;
    std::vector<HostValue> delimiter;
    if (nDelimiter < std::size(kDelimiters)) delimiter.push_back(HostValue::Text16(kDelimiters[nDelimiter]));

    Read(handle, path, delimiter);
    List(handle, path, delimiter);
    if (!HasHugeIndex(path.text16())) {
        Add(handle, path, HostValue::Text16(strValue), nType, delimiter, other.value.text16());
        Read(handle, path, delimiter);
        List(handle, path, delimiter);
    }
    CloseAll();
    return 0;
}
