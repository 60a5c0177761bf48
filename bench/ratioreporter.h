#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zunova::bench {

// Prints the usual table, then each measured benchmark's time as a ratio to its floor, so a
// run on any machine says how far the program is from the cost it cannot avoid.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : m_pairs(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                m_seconds[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [measured, floor] : m_pairs) {
            const auto m = m_seconds.find(measured);
            const auto f = m_seconds.find(floor);
            if (m != m_seconds.end() && f != m_seconds.end() && f->second > 0)
                std::printf("ratio %s / %s = %.2f\n", measured.c_str(), floor.c_str(),
                            m->second / f->second);
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
    std::map<std::string, double> m_seconds;
};

inline int runWithRatios(int argc, char** argv,
                         std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace zunova::bench
