// The runner of the benchmarks on Windows: Google Benchmark's command line
// in part (--benchmark_min_time, --benchmark_filter, --benchmark_out), its
// timing loop in small, and its JSON output for scripts/bench_report.py.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <regex>
#include <sstream>

#include "bench/mini/benchmark/benchmark.h"
#include "platform/BenchPlatform.h"

namespace benchmark {

namespace {

// Batches of the iteration count found; the fastest is reported.
constexpr int kBatches = 3;

std::vector<std::unique_ptr<Benchmark>>& Registered() {
    static std::vector<std::unique_ptr<Benchmark>> benchmarks;
    return benchmarks;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool State::Iterator::operator!=(const Iterator&) const {
    if (nLeft > 0 && pState->m_strError.empty()) {
        ++pState->m_nDone;
        return true;
    }
    if (pState->m_bTiming) pState->PauseTiming();
    return false;
}

State::Iterator State::begin() {
    ResumeTiming();
    return {this, m_nMax};
}

void State::PauseTiming() {
    m_dSeconds += WallSeconds() - m_dStarted;
    m_bTiming = false;
}

void State::ResumeTiming() {
    m_bTiming = true;
    m_dStarted = WallSeconds();
}

void State::SkipWithError(const char* szMessage) {
    if (m_strError.empty()) m_strError = szMessage;
}

Benchmark* RegisterBenchmark(const char* szName, std::function<void(State&)> fn) {
    Registered().push_back(std::make_unique<Benchmark>(szName, std::move(fn)));
    return Registered().back().get();
}

namespace {

struct Options {
    double dMinTime = 0.5;
    std::string strFilter = ".";
    std::string strOut;
};

Options ReadOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        auto value = [&](const char* szName) {
            const std::string strPrefix = std::string("--") + szName + "=";
            return strArg.rfind(strPrefix, 0) == 0 ? strArg.substr(strPrefix.size()) : std::string();
        };
        if (!value("benchmark_min_time").empty()) options.dMinTime = std::stod(value("benchmark_min_time"));
        if (!value("benchmark_filter").empty()) options.strFilter = value("benchmark_filter");
        if (!value("benchmark_out").empty()) options.strOut = value("benchmark_out");
    }
    return options;
}

// One benchmark with one argument, as Google Benchmark names it.
struct Instance {
    const Benchmark* pBenchmark;
    std::string strName;
    std::vector<int64_t> args;
};

std::vector<Instance> Instances() {
    std::vector<Instance> instances;
    for (const auto& pBenchmark : Registered()) {
        if (pBenchmark->args.empty()) instances.push_back({pBenchmark.get(), pBenchmark->name, {}});
        for (const int64_t nArg : pBenchmark->args)
            instances.push_back({pBenchmark.get(), pBenchmark->name + "/" + std::to_string(nArg), {nArg}});
    }
    return instances;
}

// A batch of nIterations. Its timed stretches are measured by the wall
// clock, which is precise but also counts the time the process waited for
// the CPU; the CPU clock counts only the time it ran, but in steps of 10 ms.
// So the timed wall time is scaled by the share of the CPU the process had
// over the whole batch: its CPU time over its wall time, both counted from a
// step of the CPU clock, so that only the end of the batch falls between
// steps.
State RunBatch(const Instance& instance, int64_t nIterations) {
    const double dTick = platform::ProcessCpuSeconds();
    double dCpuStart = dTick;
    while (dCpuStart == dTick) dCpuStart = platform::ProcessCpuSeconds();
    const double dWallStart = WallSeconds();
    State state(nIterations, instance.args);
    instance.pBenchmark->body(state);
    const double dShare = (platform::ProcessCpuSeconds() - dCpuStart) / (WallSeconds() - dWallStart);
    state.ScaleTime(std::min(dShare, 1.0));
    return state;
}

// Grows the iteration count until a batch takes at least dMinTime, as
// Google Benchmark does, then runs further batches of that count; the
// fastest batch.
State Measure(const Instance& instance, double dMinTime) {
    int64_t nIterations = instance.pBenchmark->fixedIterations > 0 ? instance.pBenchmark->fixedIterations : 1;
    State best = RunBatch(instance, nIterations);
    while (instance.pBenchmark->fixedIterations == 0 && best.Error().empty() && best.Seconds() < dMinTime) {
        const double dSeconds = best.Seconds();
        const double dGrowth = dSeconds / dMinTime > 0.1 ? dMinTime * 1.4 / dSeconds : 10.0;
        nIterations = std::max(static_cast<int64_t>(static_cast<double>(nIterations) * dGrowth), nIterations + 1);
        best = RunBatch(instance, nIterations);
    }
    for (int i = 1; i < kBatches && best.Error().empty(); ++i) {
        State batch = RunBatch(instance, nIterations);
        if (!batch.Error().empty() || batch.Seconds() < best.Seconds()) best = std::move(batch);
    }
    return best;
}

double UnitsPerSecond(TimeUnit unit) {
    switch (unit) {
        case kSecond:
            return 1.0;
        case kMillisecond:
            return 1e3;
        case kMicrosecond:
            return 1e6;
        default:
            return 1e9;
    }
}

const char* UnitName(TimeUnit unit) {
    switch (unit) {
        case kSecond:
            return "s";
        case kMillisecond:
            return "ms";
        case kMicrosecond:
            return "us";
        default:
            return "ns";
    }
}

std::string Number(double dValue) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", dValue);
    return buffer;
}

// A JSON string of a name or message (no control characters in them).
std::string Quoted(const std::string& strText) {
    std::string strOut = "\"";
    for (const char c : strText) {
        if (c == '"' || c == '\\') strOut += '\\';
        strOut += c;
    }
    return strOut + "\"";
}

std::string RunJson(const Instance& instance, const State& state) {
    std::ostringstream out;
    out << "    {\"name\": " << Quoted(instance.strName) << ", \"run_name\": " << Quoted(instance.strName)
        << ", \"run_type\": \"iteration\", \"iterations\": " << state.iterations();
    if (!state.Error().empty()) {
        out << ", \"error_occurred\": true, \"error_message\": " << Quoted(state.Error()) << "}";
        return out.str();
    }
    const double dSeconds = state.Seconds();
    const double dTime = dSeconds / static_cast<double>(std::max<int64_t>(state.iterations(), 1)) *
                         UnitsPerSecond(instance.pBenchmark->unit);
    out << ", \"real_time\": " << Number(dTime) << ", \"cpu_time\": " << Number(dTime) << ", \"time_unit\": \""
        << UnitName(instance.pBenchmark->unit) << "\"";
    if (state.Bytes() > 0 && dSeconds > 0) out << ", \"bytes_per_second\": " << Number(state.Bytes() / dSeconds);
    if (state.Items() > 0 && dSeconds > 0) out << ", \"items_per_second\": " << Number(state.Items() / dSeconds);
    for (const auto& [strName, counter] : state.counters) {
        double dValue = counter.value;
        if ((counter.flags & Counter::kIsRate) != 0 && dSeconds > 0) dValue /= dSeconds;
        if ((counter.flags & Counter::kInvert) != 0 && dValue != 0) dValue = 1.0 / dValue;
        out << ", " << Quoted(strName) << ": " << Number(dValue);
    }
    out << "}";
    return out.str();
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S+00:00", std::gmtime(&now));
    return buffer;
}

}  // namespace

}  // namespace benchmark

int main(int argc, char** argv) {
    using namespace benchmark;
    const Options options = ReadOptions(argc, argv);
    const std::regex filter(options.strFilter);
    std::vector<std::string> runs;
    for (const Instance& instance : Instances()) {
        if (!std::regex_search(instance.strName, filter)) continue;
        const State state = Measure(instance, options.dMinTime);
        runs.push_back(RunJson(instance, state));
        std::cout << runs.back().substr(4) << std::endl;
    }
    if (options.strOut.empty()) return 0;
    std::ofstream out(options.strOut, std::ios::binary);
    out << "{\n  \"context\": {\"date\": " << Quoted(Now()) << ", \"executable\": " << Quoted(argv[0])
        << "},\n  \"benchmarks\": [\n";
    for (size_t i = 0; i < runs.size(); ++i) out << runs[i] << (i + 1 < runs.size() ? ",\n" : "\n");
    out << "  ]\n}\n";
    return out ? 0 : 1;
}
