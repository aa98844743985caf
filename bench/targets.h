#pragma once
// Each benchmark program compares its figures with their targets: it runs
// the registered benchmarks with a reporter that keeps every result, prints
// one line per target ("what: figure (target <= limit): met" or "MISSED")
// and ends with a non-zero status when any target was missed or a figure is
// missing, so `make bench` fails and names the program.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dm::bench {

// One benchmark's result: seconds per iteration and its counters.
struct Result {
    double realSeconds = 0;
    double cpuSeconds = 0;
    std::map<std::string, double> counters;
    bool failed = false;
};

// Keeps the results by name ("BM_Name" or "BM_Name/arg") while printing them
// as the console reporter does.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            Result& result = m_results[name];
            result.failed = run.error_occurred;
            const double iterations = run.iterations > 0 ? static_cast<double>(run.iterations) : 1.0;
            result.realSeconds = run.real_accumulated_time / iterations;
            result.cpuSeconds = run.cpu_accumulated_time / iterations;
            for (const auto& [key, counter] : run.counters)
                result.counters[key] = counter.value;
        }
    }

    const Result* Find(const std::string& name) const
    {
        const auto it = m_results.find(name);
        return it == m_results.end() || it->second.failed ? nullptr : &it->second;
    }

private:
    std::map<std::string, Result> m_results;
};

// The comparisons of one program and their verdict.
class Targets {
public:
    // Prints "what: figure unit (target <= limit unit): met|MISSED". A
    // missing figure (the benchmark failed or did not run) counts as missed.
    bool AtMost(const std::string& what, std::optional<double> figure, double limit, const char* unit)
    {
        ++m_count;
        const bool met = figure && *figure <= limit;
        if (figure)
            std::printf("%s: %.3f %s (target <= %g %s): %s\n", what.c_str(), *figure, unit, limit, unit,
                        met ? "met" : "MISSED");
        else
            std::printf("%s: no figure (target <= %g %s): MISSED\n", what.c_str(), limit, unit);
        if (!met)
            m_missed.push_back(what);
        std::fflush(stdout);
        return met;
    }

    // A figure's equal requirement (an output that must match): 1 when met.
    bool Holds(const std::string& what, bool held)
    {
        ++m_count;
        std::printf("%s: %s\n", what.c_str(), held ? "met" : "MISSED");
        if (!held)
            m_missed.push_back(what);
        std::fflush(stdout);
        return held;
    }

    // A benchmark's wall time, CPU time or counter, or null when it has none.
    static std::optional<double> Seconds(const KeepingReporter& reporter, const std::string& name, bool cpu = false)
    {
        const Result* r = reporter.Find(name);
        if (!r)
            return std::nullopt;
        return cpu ? r->cpuSeconds : r->realSeconds;
    }
    static std::optional<double> Counter(const KeepingReporter& reporter, const std::string& name,
                                         const std::string& key)
    {
        const Result* r = reporter.Find(name);
        if (!r)
            return std::nullopt;
        const auto it = r->counters.find(key);
        return it == r->counters.end() ? std::nullopt : std::optional<double>(it->second);
    }
    static std::optional<double> Milliseconds(std::optional<double> seconds)
    {
        return seconds ? std::optional<double>(*seconds * 1000) : std::nullopt;
    }

    // 0 when every target was met; otherwise lists the missed ones and
    // returns 1.
    int Verdict() const
    {
        if (m_missed.empty()) {
            std::printf("all %d targets met\n", m_count);
            return 0;
        }
        std::printf("%zu of %d targets MISSED:\n", m_missed.size(), m_count);
        for (const std::string& what : m_missed)
            std::printf("  %s\n", what.c_str());
        return 1;
    }

private:
    int m_count = 0;
    std::vector<std::string> m_missed;
};

// Runs the registered benchmarks, keeping their results in reporter.
inline void RunKeeping(int& argc, char** argv, KeepingReporter& reporter)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

} // namespace dm::bench
