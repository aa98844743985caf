#pragma once
// What the benchmarks on an emulated network share: a scratch network in a
// temporary directory for the whole run, and a stop with a message when
// setting it up fails.

#include "bench/targets.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace dm::bench {

// Ends the program with "NAME: could not WHAT" when ok is false.
inline void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: could not %s\n", program_invocation_short_name, what);
        std::exit(1);
    }
}

// Runs the registered benchmarks on a network that build makes in a fresh
// temporary directory, with BENCHHOST as the local computer, and removes
// the directory afterwards. judge compares the results with their targets
// and gives the program's exit status.
inline int RunOnScratchNetwork(int argc, char** argv, const std::function<void()>& build,
                               const std::function<int(const KeepingReporter&)>& judge)
{
    std::string pattern = std::string("/tmp/") + program_invocation_short_name + "_XXXXXX";
    const char* root = mkdtemp(pattern.data());
    Check(root != nullptr, "create a temporary directory");
    setenv("DIALMIND_NETWORK", (std::filesystem::path(root) / "network").c_str(), 1);
    setenv("DIALMIND_COMPUTERNAME", "BENCHHOST", 1);
    build();

    KeepingReporter reporter;
    RunKeeping(argc, argv, reporter);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return judge(reporter);
}

} // namespace dm::bench
