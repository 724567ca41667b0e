#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Console output as usual, and each benchmark's real time kept by name so
// that a run can compare its benchmarks with each other at the end.
class TimingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }

    std::map<std::string, double> times;
};
