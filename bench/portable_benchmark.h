// A stand-in for the part of the Google Benchmark interface the core's
// benchmark uses, for the Windows builds (Debian packages the library only
// for the native target). Each benchmark runs with growing iteration counts
// until it has run for half a second; the report has the same columns.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
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
    explicit State(std::int64_t maxIterations) : maxIterations_(maxIterations) {}

    // A value with a destructor, so that `for (auto _ : state)` is not an
    // unused variable.
    struct Value {
        ~Value() {}
    };
    struct Iterator {
        std::int64_t left;
        Value operator*() const { return {}; }
        Iterator& operator++() {
            --left;
            return *this;
        }
        bool operator!=(const Iterator&) const { return left > 0; }
    };
    Iterator begin() { return {maxIterations_}; }
    Iterator end() { return {0}; }
    std::int64_t iterations() const { return maxIterations_; }

    std::map<std::string, Counter> counters;

  private:
    std::int64_t maxIterations_;
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

inline int runAll(int argc, char** argv) {
    const char* filter = "";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_filter=", 19) == 0) filter = argv[i] + 19;
    std::printf("%-36s %14s %12s  counters\n", "Benchmark", "Time", "Iterations");
    for (const Registration* registration : registry()) {
        const Registration& r = *registration;
        if (!std::strstr(r.name, filter)) continue;
        for (std::int64_t n = r.fixedIterations ? r.fixedIterations : 1;; n *= 4) {
            State state(n);
            const auto start = std::chrono::steady_clock::now();
            r.function(state);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!r.fixedIterations && seconds < 0.5 && n < (std::int64_t(1) << 40)) continue;
            std::printf("%-36s %11.0f ns %12lld ", r.name, seconds * 1e9 / n,
                        static_cast<long long>(n));
            for (const auto& [key, counter] : state.counters)
                std::printf(" %s=%g%s", key.c_str(),
                            counter.flags == Counter::kIsRate ? counter.value / seconds
                                                              : counter.value,
                            counter.flags == Counter::kIsRate ? "/s" : "");
            std::printf("\n");
            break;
        }
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
