// The library against Boost.JSON doing the same work directly. Each
// measurement is registered in pairs named
//   <function>/<data>/ours    the call through the reference host and the entry
//   <function>/<data>/boost   the same work on a boost::json::value
// (jsSerialize/<data>/boost partners every layout and encoding), and
//   jsGetInfo/any/frame       a jsGetInfo call, the cost of the frame alone,
// so that scripts/bench_report.py can set them side by side. Throughputs are
// counted in bytes of the document's UTF-8 text; per-call and per-path costs
// as items. The three yardsticks go through every function; every other
// document of the corpus (documents/ and documents/small/) through jsParse,
// jsValid and compact jsSerialize, which also report the fastest of nine
// single calls (the counter "single_ns"): a script usually reads a document
// once.
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <boost/json.hpp>
#include <boost/json/basic_parser_impl.hpp>
#include <cassert>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchLibrary.h"
#include "bench/BenchRecords.h"
#include "json/ExtConstants.h"
#include "tests/support/BoostRules.h"

namespace {

using zorhost::CallResult;
using zorhost::HostValue;

const char* const kYardsticks[] = {"canada", "citm_catalog", "twitter"};

// The other documents of the corpus, by name (the file's stem), with their
// folder.
std::vector<std::pair<std::string, std::string>> CorpusDocuments() {
    std::vector<std::pair<std::string, std::string>> documents;
    for (const char* szFolder : {"documents", "documents/small"}) {
        const std::filesystem::path folder = std::filesystem::path(ZOR_CORPUS_DIR) / szFolder;
        if (!std::filesystem::exists(folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".json") documents.emplace_back(entry.path().stem().string(), szFolder);
    }
    std::sort(documents.begin(), documents.end());
    return documents;
}

// A scalar three levels below the root of each document.
struct Lookup {
    const char* szDocument;
    const char16_t* szPath;
    std::function<const boost::json::value&(const boost::json::value&)> walk;
};

const Lookup kLookups[] = {
    {"canada", u"features[0].geometry.type",
     [](const boost::json::value& v) -> const boost::json::value& {
         return v.at("features").at(0).at("geometry").at("type");
     }},
    {"citm_catalog", u"events.138586341.name",
     [](const boost::json::value& v) -> const boost::json::value& {
         return v.at("events").at("138586341").at("name");
     }},
    {"twitter", u"statuses[3].user.screen_name",
     [](const boost::json::value& v) -> const boost::json::value& {
         return v.at("statuses").at(3).at("user").at("screen_name");
     }},
};

// The search key of jsKeyPaths and jsKeyExist on each document.
const char* SearchKey(const std::string& strDocument) {
    if (strDocument == "canada") return "type";
    if (strDocument == "citm_catalog") return "name";
    return "id";
}

std::string ReadFile(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + strPath);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Parser events that build nothing, as jsValid builds nothing.
struct CNullHandler : CBoostHandler {
    bool on_document_begin(Ec&) { return true; }
    bool on_document_end(Ec&) { return true; }
    bool on_object_begin(Ec&) { return true; }
    bool on_object_end(size_t, Ec&) { return true; }
    bool on_array_begin(Ec&) { return true; }
    bool on_array_end(size_t, Ec&) { return true; }
    bool on_key_part(View, size_t, Ec&) { return true; }
    bool on_key(View, size_t, Ec&) { return true; }
    bool on_string_part(View, size_t, Ec&) { return true; }
    bool on_string(View, size_t, Ec&) { return true; }
    bool on_number_part(View, Ec&) { return true; }
    bool on_int64(int64_t, View, Ec&) { return true; }
    bool on_uint64(uint64_t, View, Ec&) { return true; }
    bool on_double(double, View, Ec&) { return true; }
    bool on_bool(bool, Ec&) { return true; }
    bool on_null(Ec&) { return true; }
    bool on_comment_part(View, Ec&) { return true; }
    bool on_comment(View, Ec&) { return true; }
};

// A parser over an arena made for the parse; the value in the default heap.
boost::json::value BoostParse(const std::string& strText) {
    boost::json::parser parser(boost::json::make_shared_resource<boost::json::monotonic_resource>(1024),
                               LenientOptions());
    parser.write(strText);
    return parser.release();
}

// ---- The library through the reference host -----------------------------------------
// Calls the entry with these records, laid out on the stack as a host lays
// out its arguments; a failed call ends the benchmark.
CallResult Call(benchmark::State& state, int16_t nCmdId, std::initializer_list<ZorValue> args) {
    std::array<ZorValue, 4> records{};
    assert(args.size() <= records.size());
    std::copy(args.begin(), args.end(), records.begin());
    CallResult result = Host().CallRaw(nCmdId, records.data(), static_cast<int32_t>(args.size()));
    if (!result.Succeeded()) state.SkipWithError(("call failed: " + result.errorText).c_str());
    return result;
}

std::u16string Open(benchmark::State& state, const std::u16string& strText) {
    CallResult result = Call(state, cmd::jsParse, {Text(strText)});
    return result.value.kind() == HostValue::Kind::Text16 ? result.value.text16() : std::u16string();
}

void CloseAll(benchmark::State& state) { Call(state, cmd::jsConClose, {}); }

// ---- One corpus document ------------------------------------------------------------------
struct Document {
    std::string strName;
    std::string strUtf8;
    std::u16string strUtf16;
    boost::json::value jv;
};

// The document strName.json of the corpus folder strFolder ("" for its top).
const Document& LoadDocument(const std::string& strName, const std::string& strFolder = "") {
    static std::vector<std::unique_ptr<Document>> documents;
    for (const auto& p : documents)
        if (p->strName == strName) return *p;
    auto p = std::make_unique<Document>();
    p->strName = strName;
    p->strUtf8 =
        ReadFile(std::string(ZOR_CORPUS_DIR) + "/" + (strFolder.empty() ? "" : strFolder + "/") + strName + ".json");
    p->strUtf16 = zorhost::FromUtf8(p->strUtf8);
    p->jv = BoostParse(p->strUtf8);
    documents.push_back(std::move(p));
    return *documents.back();
}

void CountBytes(benchmark::State& state, const Document& doc) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.strUtf8.size()));
}

void CountItems(benchmark::State& state, size_t nItemsPerIteration) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * nItemsPerIteration));
}

// The fastest of nine single calls of work, in wall time, as the counter
// "single_ns": what a script that reads a document once meets.
template <class Work>
void BestSingleCall(benchmark::State& state, Work work) {
    double dBest = 1e18;
    for (int i = 0; i < 9; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        dBest =
            std::min(dBest, std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["single_ns"] = dBest;
}

// ---- Parse and validate -------------------------------------------------------------------
void ParseOurs(benchmark::State& state, const Document& doc) {
    const auto parse = [&] {
        const std::u16string strHandle = Open(state, doc.strUtf16);
        Call(state, cmd::jsConClose, {Text(strHandle)});
    };
    for (auto _ : state) parse();
    CountBytes(state, doc);
    BestSingleCall(state, parse);
}

void ParseBoost(benchmark::State& state, const Document& doc) {
    for (auto _ : state) benchmark::DoNotOptimize(BoostParse(doc.strUtf8));
    CountBytes(state, doc);
    BestSingleCall(state, [&] { benchmark::DoNotOptimize(BoostParse(doc.strUtf8)); });
}

void ValidOurs(benchmark::State& state, const Document& doc) {
    const auto valid = [&] { Call(state, cmd::jsValid, {Text(doc.strUtf16)}); };
    for (auto _ : state) valid();
    CountBytes(state, doc);
    BestSingleCall(state, valid);
}

void ValidBoost(benchmark::State& state, const Document& doc) {
    const auto valid = [&] {
        boost::json::basic_parser<CNullHandler> parser(LenientOptions());
        boost::json::error_code ec;
        parser.write_some(false, doc.strUtf8.data(), doc.strUtf8.size(), ec);
        if (ec) state.SkipWithError("basic_parser failed");
    };
    for (auto _ : state) valid();
    CountBytes(state, doc);
    BestSingleCall(state, valid);
}

// ---- Serialize ----------------------------------------------------------------------------
// Besides the rate in bytes of the input document, the bytes of the text
// written (UTF-16 text: two a unit) as the counter "output_bytes".
void SerializeOurs(benchmark::State& state, const Document& doc, int32_t nIndented, int32_t nEncoding) {
    const std::u16string strHandle = Open(state, doc.strUtf16);
    size_t nOutput = 0;
    const auto serialize = [&] {
        const CallResult result =
            Call(state, cmd::jsSerialize, {Text(strHandle), Integer(nIndented), Integer(nEncoding)});
        const HostValue& value = result.value;
        nOutput = value.kind() == HostValue::Kind::Text16  ? value.text16().size() * sizeof(char16_t)
                  : value.kind() == HostValue::Kind::Text8 ? value.text8().size()
                                                           : 0;
    };
    for (auto _ : state) serialize();
    BestSingleCall(state, serialize);
    CloseAll(state);
    CountBytes(state, doc);
    state.counters["output_bytes"] = static_cast<double>(nOutput);
}

void SerializeBoost(benchmark::State& state, const Document& doc) {
    size_t nOutput = 0;
    const auto serialize = [&] {
        const std::string strText = boost::json::serialize(doc.jv);
        nOutput = strText.size();
        benchmark::DoNotOptimize(strText.data());
    };
    for (auto _ : state) serialize();
    BestSingleCall(state, serialize);
    CountBytes(state, doc);
    state.counters["output_bytes"] = static_cast<double>(nOutput);
}

// ---- Reading one value ----------------------------------------------------------------------
void ReadOurs(benchmark::State& state, const Document& doc, const Lookup& lookup, int16_t nCmdId) {
    const std::u16string strHandle = Open(state, doc.strUtf16);
    const std::u16string strPath = lookup.szPath;
    for (auto _ : state) Call(state, nCmdId, {Text(strHandle), Text(strPath)});
    CloseAll(state);
    CountItems(state, 1);
}

void ReadBoost(benchmark::State& state, const Document& doc, const Lookup& lookup) {
    for (auto _ : state) benchmark::DoNotOptimize(&lookup.walk(doc.jv));
    CountItems(state, 1);
}

void GetInfoFrame(benchmark::State& state) {
    for (auto _ : state) Call(state, cmd::jsGetInfo, {Integer(0)});
    CountItems(state, 1);
}

// ---- Key paths --------------------------------------------------------------------------------
// Every path of the tree in the listed form ([a].[b][0]), or those whose
// last member name is strKey; the count of them, and the paths when kept.
size_t WalkPaths(const boost::json::value& jv, const std::string& strPrefix, const std::string& strKey,
                 std::vector<std::string>* pPaths) {
    size_t nCount = 0;
    if (const auto* pObject = jv.if_object()) {
        for (const auto& member : *pObject) {
            std::string strPath = strPrefix.empty() ? "" : strPrefix + ".";
            strPath += "[" + std::string(member.key()) + "]";
            if (strKey.empty() || member.key() == strKey) {
                ++nCount;
                if (pPaths != nullptr) pPaths->push_back(strPath);
            }
            nCount += WalkPaths(member.value(), strPath, strKey, pPaths);
        }
    } else if (const auto* pArray = jv.if_array()) {
        for (size_t i = 0; i < pArray->size(); ++i) {
            std::string strPath = strPrefix + "[" + std::to_string(i) + "]";
            if (strKey.empty()) {
                ++nCount;
                if (pPaths != nullptr) pPaths->push_back(strPath);
            }
            nCount += WalkPaths((*pArray)[i], strPath, strKey, pPaths);
        }
    }
    return nCount;
}

void KeyPathsOurs(benchmark::State& state, const Document& doc, const std::string& strKey, int16_t nCmdId) {
    const std::u16string strHandle = Open(state, doc.strUtf16);
    const std::u16string strSearch(strKey.begin(), strKey.end());
    for (auto _ : state) Call(state, nCmdId, {Text(strHandle), Text(strSearch)});
    CloseAll(state);
    CountItems(state, WalkPaths(doc.jv, "", strKey, nullptr));
}

void KeyPathsBoost(benchmark::State& state, const Document& doc, const std::string& strKey, bool bKeep) {
    size_t nCount = 0;
    for (auto _ : state) {
        std::vector<std::string> paths;
        nCount = WalkPaths(doc.jv, "", strKey, bKeep ? &paths : nullptr);
        benchmark::DoNotOptimize(paths.data());
    }
    CountItems(state, nCount);
}

// ---- Maps -------------------------------------------------------------------------------------
// jsConMap of the root: one entry per root member, a new container for each
// member that is one. The handles it makes are closed untimed.
void ConMapOurs(benchmark::State& state, const Document& doc) {
    for (auto _ : state) {
        state.PauseTiming();
        CloseAll(state);
        const std::u16string strHandle = Open(state, doc.strUtf16);
        state.ResumeTiming();
        Call(state, cmd::jsConMap, {Text(strHandle)});
    }
    CloseAll(state);
    CountItems(state, doc.jv.is_object() ? doc.jv.get_object().size() : doc.jv.get_array().size());
}

// The same entries copied out of the root object.
void ConMapBoost(benchmark::State& state, const Document& doc) {
    const boost::json::object& root = doc.jv.get_object();
    for (auto _ : state) {
        std::vector<std::pair<std::string, boost::json::value>> entries;
        for (const auto& member : root) entries.emplace_back(member.key(), member.value());
        benchmark::DoNotOptimize(entries.data());
    }
    CountItems(state, root.size());
}

// ---- Changing arrays ----------------------------------------------------------------------------
// An element of {"items":[0,...]} of nCount elements replaced by a string, one
// call at a time.
void ReplaceOurs(benchmark::State& state, int nCount) {
    std::string strText = "{\"items\":[0";
    for (int i = 1; i < nCount; ++i) strText += ",0";
    strText += "]}";
    const std::u16string strHandle = Open(state, zorhost::FromUtf8(strText));
    const std::string strPath = "items[" + std::to_string(nCount / 2) + "]";
    const std::u16string strPath16(strPath.begin(), strPath.end()), strValue = u"x";
    for (auto _ : state)
        Call(state, cmd::jsValueAdd, {Text(strHandle), Text(strPath16), Text(strValue), Integer(kJsonStr)});
    CloseAll(state);
    CountItems(state, 1);
}

void ReplaceBoost(benchmark::State& state, int nCount) {
    boost::json::value jv = {{"items", boost::json::array(static_cast<size_t>(nCount), 0)}};
    const auto nIndex = static_cast<size_t>(nCount / 2);
    for (auto _ : state) jv.at("items").as_array()[nIndex] = "x";
    CountItems(state, 1);
}

// Appending to an array that holds nCount elements already, the partner of
// bench_append's last thousand calls.
void AppendBoost(benchmark::State& state, int nElements) {
    const auto nCount = static_cast<size_t>(nElements);
    boost::json::value jv = {{"items", boost::json::array(nCount - 1000, 0)}};
    for (auto _ : state) {
        boost::json::array& items = jv.at("items").as_array();
        items.push_back("x");
        if (items.size() == nCount) {
            state.PauseTiming();
            items.resize(nCount - 1000);
            state.ResumeTiming();
        }
    }
    CountItems(state, 1);
}

// ---- Memory -----------------------------------------------------------------------------------
// Heap bytes held by an open container: what closing it frees (the storage
// the library keeps for long texts is not the container's), against the
// same value parsed by Boost.JSON; reported as counters, the time is not of
// interest.
void MemoryOurs(benchmark::State& state, const Document& doc) {
    int64_t nHeld = 0;
    for (auto _ : state) {
        const std::u16string strHandle = Open(state, doc.strUtf16);
        const int64_t nOpen = HeldBytes();
        Call(state, cmd::jsConClose, {Text(strHandle)});
        nHeld = nOpen - HeldBytes();
    }
    state.counters["bytes"] = static_cast<double>(nHeld);
}

void MemoryBoost(benchmark::State& state, const Document& doc) {
    int64_t nHeld = 0;
    for (auto _ : state) {
        const int64_t nBefore = HeldBytes();
        boost::json::value jv = BoostParse(doc.strUtf8);
        nHeld = HeldBytes() - nBefore;
    }
    state.counters["bytes"] = static_cast<double>(nHeld);
}

// ---- Storage kept between calls -----------------------------------------------------------
// Every whole-document function on the document, each through the entry:
// jsValid and jsParse of its text, jsSerialize in both layouts and
// encodings and a full jsKeyPaths listing of the container, which is then
// closed.
void WholeDocumentCalls(benchmark::State& state, const Document& doc) {
    Call(state, cmd::jsValid, {Text(doc.strUtf16)});
    const std::u16string strHandle = Open(state, doc.strUtf16);
    for (const int32_t nIndented : {0, 1})
        for (const int32_t nEncoding : {int32_t{kJsonUTF8}, int32_t{kJsonUTF16}})
            Call(state, cmd::jsSerialize, {Text(strHandle), Integer(nIndented), Integer(nEncoding)});
    Call(state, cmd::jsKeyPaths, {Text(strHandle), Text(u"")});
    Call(state, cmd::jsConClose, {Text(strHandle)});
}

// What the library still holds once those calls are over, while one small
// container stays open: the bytes held then against those held with only
// the small container open. The calls run once before, and every container
// is closed after them, which frees the kept storage: the heap has grown to
// what the calls need, and the small blocks it keeps for reuse do not count.
void KeptOurs(benchmark::State& state, const Document& doc) {
    int64_t nKept = 0;
    for (auto _ : state) {
        WholeDocumentCalls(state, doc);
        CloseAll(state);
        const std::u16string strSmall = Open(state, u"[1]");
        const int64_t nBefore = HeldBytes();
        WholeDocumentCalls(state, doc);
        nKept = HeldBytes() - nBefore;
        CloseAll(state);
    }
    state.counters["bytes"] = static_cast<double>(nKept);
}

// ---- Fresh memory -------------------------------------------------------------------------
// The cost of a page of memory the program allocates and writes once, as a
// text of that length is written: a block taken with new, one byte written
// in each page of 4 KB, and the block freed again. A heap that hands back
// blocks it kept pays nothing for its pages; one that takes every block of
// this size fresh from the system pays a page fault for each page.
constexpr size_t kPageBytes = 4096;

void FreshMemory(benchmark::State& state, size_t nBytes) {
    for (auto _ : state) {
        std::unique_ptr<char[]> pBlock(new char[nBytes]);
        char* pBytes = pBlock.get();
        benchmark::DoNotOptimize(pBytes);  // the writes below must happen
        for (size_t i = 0; i < nBytes; i += kPageBytes) pBytes[i] = 1;
        benchmark::DoNotOptimize(pBytes);
    }
    CountItems(state, nBytes / kPageBytes);
}

// ---- Registration -------------------------------------------------------------------------------
template <class Fn>
void Register(const std::string& strName, Fn fn) {
    benchmark::RegisterBenchmark(strName.c_str(), fn)->Unit(benchmark::kMicrosecond);
}

// jsParse, jsValid and compact UTF-8 jsSerialize of a document, and
// Boost.JSON's partners; add registers a pair's side.
template <class Add>
void RegisterWholeDocument(Add add) {
    add("jsParse", "ours", ParseOurs);
    add("jsParse", "boost", ParseBoost);
    add("jsValid", "ours", ValidOurs);
    add("jsValid", "boost", ValidBoost);
    add("jsSerialize-compact-utf8", "ours", [](benchmark::State& s, const Document& d) { SerializeOurs(s, d, 0, 1); });
    add("jsSerialize", "boost", SerializeBoost);
}

void RegisterCorpusDocument(const std::string& strName, const std::string& strFolder) {
    const Document& doc = LoadDocument(strName, strFolder);
    RegisterWholeDocument([&](const std::string& strFunction, const std::string& strSide, auto fn) {
        Register(strFunction + "/" + strName + "/" + strSide, [&doc, fn](benchmark::State& s) { fn(s, doc); });
    });
}

void RegisterDocument(const std::string& strName) {
    const Document& doc = LoadDocument(strName);
    auto add = [&](const std::string& strFunction, const std::string& strSide, auto fn) {
        Register(strFunction + "/" + strName + "/" + strSide, [&doc, fn](benchmark::State& s) { fn(s, doc); });
    };
    add("jsParse", "ours", ParseOurs);
    add("jsParse", "boost", ParseBoost);
    add("jsValid", "ours", ValidOurs);
    add("jsValid", "boost", ValidBoost);
    const struct {
        const char* szName;
        int32_t nIndented;
        int32_t nEncoding;
    } layouts[] = {{"compact-utf8", 0, 1},
                   {"compact-utf16", 0, kJsonUTF16},
                   {"indented-utf8", 1, 1},
                   {"indented-utf16", 1, kJsonUTF16}};
    for (const auto& layout : layouts) {
        const std::string strFunction = std::string("jsSerialize-") + layout.szName;
        add(strFunction, "ours", [layout](benchmark::State& s, const Document& d) {
            SerializeOurs(s, d, layout.nIndented, layout.nEncoding);
        });
    }
    add("jsSerialize", "boost", SerializeBoost);  // the partner of every layout
    for (const Lookup& lookup : kLookups) {
        if (strName != lookup.szDocument) continue;
        const Lookup* pLookup = &lookup;
        add("jsValueGet", "ours",
            [pLookup](benchmark::State& s, const Document& d) { ReadOurs(s, d, *pLookup, cmd::jsValueGet); });
        add("jsValueGet", "boost", [pLookup](benchmark::State& s, const Document& d) { ReadBoost(s, d, *pLookup); });
        add("jsValueType", "ours",
            [pLookup](benchmark::State& s, const Document& d) { ReadOurs(s, d, *pLookup, cmd::jsValueType); });
        add("jsValueType", "boost", [pLookup](benchmark::State& s, const Document& d) { ReadBoost(s, d, *pLookup); });
    }
    const std::string strKey = SearchKey(strName);
    add("jsKeyPaths-all", "ours",
        [](benchmark::State& s, const Document& d) { KeyPathsOurs(s, d, "", cmd::jsKeyPaths); });
    add("jsKeyPaths-all", "boost", [](benchmark::State& s, const Document& d) { KeyPathsBoost(s, d, "", true); });
    add("jsKeyPaths-search", "ours",
        [strKey](benchmark::State& s, const Document& d) { KeyPathsOurs(s, d, strKey, cmd::jsKeyPaths); });
    add("jsKeyPaths-search", "boost",
        [strKey](benchmark::State& s, const Document& d) { KeyPathsBoost(s, d, strKey, true); });
    add("jsKeyExist", "ours",
        [strKey](benchmark::State& s, const Document& d) { KeyPathsOurs(s, d, strKey, cmd::jsKeyExist); });
    add("jsKeyExist", "boost",
        [strKey](benchmark::State& s, const Document& d) { KeyPathsBoost(s, d, strKey, false); });
    add("jsConMap", "ours", ConMapOurs);
    add("jsConMap", "boost", ConMapBoost);
    if (HeldBytesExact()) {
        add("memory", "ours", MemoryOurs);
        add("memory", "boost", MemoryBoost);
    }
    if (strName == "canada") add("kept", "ours", KeptOurs);
}

const bool g_bRegistered = [] {
    // The frame's own cost, the measure of every jsValueGet and jsValueType.
    Register("jsGetInfo/any/frame", GetInfoFrame);
    for (const char* szDocument : kYardsticks) RegisterDocument(szDocument);
    for (const auto& [strName, strFolder] : CorpusDocuments()) RegisterCorpusDocument(strName, strFolder);
    for (const int nCount : {1000, 10000, 100000}) {
        const std::string strCount = std::to_string(nCount);
        auto add = [&](const std::string& strName, void (*fn)(benchmark::State&, int)) {
            Register(strName, [fn, nCount](benchmark::State& s) { fn(s, nCount); });
        };
        add("jsValueAdd-replace/" + strCount + "/ours", ReplaceOurs);
        add("jsValueAdd-replace/" + strCount + "/boost", ReplaceBoost);
        add("jsValueAdd-append/" + strCount + "/boost", AppendBoost);
    }
    for (const size_t nKilobytes : {256, 1024, 4096})
        Register("fresh-memory/" + std::to_string(nKilobytes) + "/page",
                 [nKilobytes](benchmark::State& s) { FreshMemory(s, nKilobytes * 1024); });
    return true;
}();

}  // namespace
