// The cost of building an array one jsValueAdd call at a time, through the
// exported entry: the time per call while appending 1,000, 10,000 and
// 100,000 elements, and the time per call of the last 1,000 of those appends
// alone. Appending must not cost more as the array grows.
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

#include "bench/BenchLibrary.h"
#include "bench/BenchRecords.h"
#include "json/ExtConstants.h"

namespace {

constexpr int kBatch = 1000;

// The handle text of the last result, copied while it is alive.
std::u16string g_strLastText;

int32_t OnReturn(int32_t nStatus, uint32_t, ZorServices*, ZorValue* pResult) {
    if (nStatus == 0 && pResult->nType == ZOR_TYPE_TEXT16) g_strLastText = static_cast<const char16_t*>(pResult->pText);
    return nStatus;
}

int32_t Call(int16_t nCmdId, std::vector<ZorValue>& args) {
    static ZorServices services{};
    static const ZorExtender2Fn pfnCall = CallEntry();
    ZorValue result{};
    return pfnCall(nullptr, nullptr, 1, nCmdId, OnReturn, &services, nullptr, args.data(),
                   static_cast<int32_t>(args.size()), &result);
}

// A container {"items":[]}.
std::u16string NewContainer() {
    const std::u16string strText = u"{\"items\":[]}";
    std::vector<ZorValue> args = {Text(strText)};
    Call(cmd::jsParse, args);
    return g_strLastText;
}

void Close(const std::u16string& strHandle) {
    std::vector<ZorValue> args = {Text(strHandle)};
    Call(cmd::jsConClose, args);
}

std::vector<std::u16string> Paths(int nFirst, int nCount) {
    std::vector<std::u16string> paths;
    for (int i = nFirst; i < nFirst + nCount; ++i) {
        const std::string strPath = "items[" + std::to_string(i) + "]";
        paths.emplace_back(strPath.begin(), strPath.end());
    }
    return paths;
}

// Appends one element for each path; every call must succeed.
void Append(benchmark::State& state, const std::u16string& strHandle, const std::vector<std::u16string>& paths) {
    const std::u16string strValue = u"x";
    for (const std::u16string& strPath : paths) {
        std::vector<ZorValue> args = {Text(strHandle), Text(strPath), Text(strValue), Integer(kJsonStr)};
        if (Call(cmd::jsValueAdd, args) != 0) state.SkipWithError("jsValueAdd failed");
    }
}

void ReportPerCall(benchmark::State& state, int64_t nCallsPerIteration) {
    state.SetItemsProcessed(state.iterations() * nCallsPerIteration);
    state.counters["per_call"] = benchmark::Counter(static_cast<double>(state.iterations() * nCallsPerIteration),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Builds the array from empty with N calls.
void BM_AppendElements(benchmark::State& state) {
    const int nCount = static_cast<int>(state.range(0));
    const std::vector<std::u16string> paths = Paths(0, nCount);
    for (auto _ : state) {
        state.PauseTiming();
        const std::u16string strHandle = NewContainer();
        state.ResumeTiming();
        Append(state, strHandle, paths);
        state.PauseTiming();
        Close(strHandle);
        state.ResumeTiming();
    }
    ReportPerCall(state, nCount);
}

// The last 1,000 calls of building an array of N elements; the calls
// before them are not timed.
void BM_AppendLastThousand(benchmark::State& state) {
    const int nCount = static_cast<int>(state.range(0));
    const std::vector<std::u16string> before = Paths(0, nCount - kBatch);
    const std::vector<std::u16string> paths = Paths(nCount - kBatch, kBatch);
    for (auto _ : state) {
        state.PauseTiming();
        const std::u16string strHandle = NewContainer();
        Append(state, strHandle, before);
        state.ResumeTiming();
        Append(state, strHandle, paths);
        state.PauseTiming();
        Close(strHandle);
        state.ResumeTiming();
    }
    ReportPerCall(state, kBatch);
}

}  // namespace

BENCHMARK(BM_AppendElements)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendLastThousand)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(50)->Unit(benchmark::kMicrosecond);
