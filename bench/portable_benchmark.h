// A stand-in for the part of the Google Benchmark interface the core's
// benchmark uses, for the Windows and 32-bit Linux builds (Debian packages
// the library only for the native target). Each benchmark runs with growing iteration counts
// until its loop has run for half a second; only the loop is timed, as the
// library does, not the set-up before it. With --benchmark_repetitions=N
// every benchmark runs N times at that count, in N rounds over all of them,
// and the fastest run is reported: the machines it runs on are shared, and
// their slow spells, which last many seconds, then fall on every case alike
// instead of on one. The report has the same columns.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace benchmark {

struct Counter {
    enum Flags { kDefaults = 0, kIsRate = 1 };
    double value = 0;
    Flags flags = kDefaults;
    Counter(double v = 0, Flags f = kDefaults) : value(v), flags(f) {}
};

class State {
  public:
    using Clock = std::chrono::steady_clock;

    explicit State(std::int64_t maxIterations) : maxIterations_(maxIterations) {}

    // A value with a destructor, so that `for (auto _ : state)` is not an
    // unused variable.
    struct Value {
        ~Value() {}
    };
    struct Iterator {
        std::int64_t left;
        State* state;
        Value operator*() const { return {}; }
        Iterator& operator++() {
            --left;
            return *this;
        }
        bool operator!=(const Iterator&) const {
            if (left > 0) return true;
            state->stop_ = Clock::now();
            return false;
        }
    };
    Iterator begin() {
        start_ = Clock::now();
        return {maxIterations_, this};
    }
    Iterator end() { return {0, this}; }
    std::int64_t iterations() const { return maxIterations_; }
    double loopSeconds() const { return std::chrono::duration<double>(stop_ - start_).count(); }

    std::map<std::string, Counter> counters;

  private:
    std::int64_t maxIterations_;
    Clock::time_point start_{}, stop_{};
};

template <typename T> inline void DoNotOptimize(T const& value) {
    asm volatile("" : : "g"(&value) : "memory");
}
inline void ClobberMemory() {
    asm volatile("" : : : "memory");
}

struct Registration {
    const char* name;
    void (*function)(State&);
    std::int64_t fixedIterations = 0; // 0: grow until half a second has run
    Registration* Iterations(std::int64_t n) {
        fixedIterations = n;
        return this;
    }
    Registration* UseRealTime() { return this; }
};
inline std::vector<Registration*>& registry() {
    static std::vector<Registration*> all;
    return all;
}
inline Registration* registerBenchmark(const char* name, void (*function)(State&)) {
    registry().push_back(new Registration{name, function});
    return registry().back();
}

// One run of a benchmark at n iterations: its loop's seconds and counters.
inline State runOnce(const Registration& r, std::int64_t n) {
    State state(n);
    r.function(state);
    return state;
}

inline int runAll(int argc, char** argv) {
    const char* filter = "";
    int repetitions = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--benchmark_filter=", 19) == 0) filter = argv[i] + 19;
        if (std::strncmp(argv[i], "--benchmark_repetitions=", 24) == 0)
            repetitions = std::max(1, std::atoi(argv[i] + 24));
    }
    std::vector<const Registration*> chosen;
    for (const Registration* registration : registry())
        if (std::strstr(registration->name, filter)) chosen.push_back(registration);
    std::vector<State> fastest;
    for (const Registration* r : chosen) {
        std::int64_t n = r->fixedIterations ? r->fixedIterations : 1;
        State run = runOnce(*r, n);
        while (!r->fixedIterations && run.loopSeconds() < 0.5 && n < (std::int64_t(1) << 40))
            run = runOnce(*r, n *= 4);
        fastest.push_back(run);
    }
    for (int round = 1; round < repetitions; ++round)
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            State run = runOnce(*chosen[k], fastest[k].iterations());
            if (run.loopSeconds() < fastest[k].loopSeconds()) fastest[k] = run;
        }

    std::printf("%-36s %14s %12s  counters\n", "Benchmark", "Time", "Iterations");
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        const double seconds = fastest[k].loopSeconds();
        const std::int64_t n = fastest[k].iterations();
        std::printf("%-36s %11.0f ns %12lld ", chosen[k]->name, seconds * 1e9 / n,
                    static_cast<long long>(n));
        for (const auto& [key, counter] : fastest[k].counters)
            std::printf(" %s=%g%s", key.c_str(),
                        counter.flags == Counter::kIsRate ? counter.value / seconds
                                                          : counter.value,
                        counter.flags == Counter::kIsRate ? "/s" : "");
        std::printf("\n");
    }
    return 0;
}

} // namespace benchmark

#define BENCHMARK(fn)                                                                              \
    static ::benchmark::Registration* fn##_registered = ::benchmark::registerBenchmark(#fn, fn)
#define BENCHMARK_MAIN()                                                                           \
    int main(int argc, char** argv) {                                                              \
        return ::benchmark::runAll(argc, argv);                                                    \
    }
