#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// Prints as usual and keeps the real time per iteration of each benchmark (the median of its
// repetitions when it has some), so that a benchmark's main can print ratios against its
// baseline.
class CMedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        // A benchmark run once keeps its one time; with repetitions the median, which is
        // reported after them, takes its place.
        for (const auto &run : runs)
            if (!run.error_occurred &&
                (run.run_type == Run::RT_Iteration ||
                 (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")))
                m_ms[Key(run.run_name.function_name, run.run_name.args)] =
                    run.GetAdjustedRealTime();
    }
    // The median of the benchmark name (with its argument, when it takes one); 0 when it did
    // not run.
    double Get(const std::string &name) const { return Find(Key(name, "")); }
    double Get(const std::string &name, int arg) const {
        return Find(Key(name, std::to_string(arg)));
    }

private:
    static std::string Key(const std::string &name, const std::string &args) {
        return args.empty() ? name : name + "/" + args;
    }
    double Find(const std::string &key) const {
        const auto it = m_ms.find(key);
        return it == m_ms.end() ? 0 : it->second;
    }

    std::map<std::string, double> m_ms;
};
