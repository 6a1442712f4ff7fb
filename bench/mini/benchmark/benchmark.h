// The part of Google Benchmark's interface that the benchmarks use, for the
// Windows build, where Google Benchmark is not available: the same sources
// build against this, and MiniBenchmark.cpp runs them. Times are CPU times
// (as MiniBenchmark.cpp estimates them); every benchmark repeats its
// loop until at least --benchmark_min_time seconds have passed, then runs
// that many iterations in several batches and reports the fastest, in
// Google Benchmark's JSON format (--benchmark_out).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };

class Counter {
public:
    enum Flags { kDefaults = 0, kIsRate = 1, kInvert = 2 };
    Counter(double value = 0.0, Flags flags = kDefaults) : value(value), flags(flags) {}
    double value;
    Flags flags;
};

inline Counter::Flags operator|(Counter::Flags a, Counter::Flags b) {
    return static_cast<Counter::Flags>(static_cast<int>(a) | static_cast<int>(b));
}

class State {
public:
    State(int64_t nIterations, std::vector<int64_t> args) : m_nMax(nIterations), m_args(std::move(args)) {}

    // for (auto _ : state): the timed loop of nIterations, cut short by an error.
    struct Iterator {
        State* pState;
        int64_t nLeft;
        bool operator!=(const Iterator&) const;
        Iterator& operator++() {
            --nLeft;
            return *this;
        }
        struct __attribute__((unused)) Value {};  // no warning for the loop's unused variable
        Value operator*() const { return {}; }
    };
    Iterator begin();
    Iterator end() { return {this, 0}; }

    int64_t iterations() const { return m_nDone; }
    int64_t range(size_t nIndex) const { return m_args.at(nIndex); }
    void PauseTiming();
    void ResumeTiming();
    void SkipWithError(const char* szMessage);
    void SetBytesProcessed(int64_t nBytes) { m_nBytes = nBytes; }
    void SetItemsProcessed(int64_t nItems) { m_nItems = nItems; }

    std::map<std::string, Counter> counters;

    // The run's outcome, for the runner.
    double Seconds() const { return m_dSeconds; }
    int64_t Bytes() const { return m_nBytes; }
    int64_t Items() const { return m_nItems; }
    const std::string& Error() const { return m_strError; }
    void ScaleTime(double dFactor) { m_dSeconds *= dFactor; }

private:
    int64_t m_nMax;
    int64_t m_nDone = 0;
    std::vector<int64_t> m_args;
    double m_dStarted = 0.0;
    double m_dSeconds = 0.0;
    bool m_bTiming = false;
    int64_t m_nBytes = 0;
    int64_t m_nItems = 0;
    std::string m_strError;
};

class Benchmark {
public:
    Benchmark(std::string strName, std::function<void(State&)> fn) : name(std::move(strName)), body(std::move(fn)) {}
    Benchmark* Unit(TimeUnit u) {
        unit = u;
        return this;
    }
    Benchmark* Arg(int64_t nArg) {
        args.push_back(nArg);
        return this;
    }
    Benchmark* Iterations(int64_t n) {
        fixedIterations = n;
        return this;
    }

    std::string name;
    std::function<void(State&)> body;
    TimeUnit unit = kNanosecond;
    std::vector<int64_t> args;
    int64_t fixedIterations = 0;
};

Benchmark* RegisterBenchmark(const char* szName, std::function<void(State&)> fn);

template <class T>
inline void DoNotOptimize(T&& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}

}  // namespace benchmark

#define ZOR_BENCH_JOIN(a, b) a##b
#define ZOR_BENCH_NAME(line) ZOR_BENCH_JOIN(g_pBenchmark, line)
#define BENCHMARK(fn) static ::benchmark::Benchmark* ZOR_BENCH_NAME(__LINE__) = ::benchmark::RegisterBenchmark(#fn, fn)
