// A year of history for three servers with 16 ports each (about half a
// million activity log records), as "dmsim generate --days 365" writes it.

#include "netemu/generator.h"

#include "bench/targets.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace dm::netemu;

namespace {

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary);
    out << text;
}

std::vector<ScannedServer> BuildServers(const fs::path& db)
{
    fs::create_directories(db);
    std::string hw = "[Default]\r\nAssignDefault=1\r\nMaxSessionTime=7200\r\nNoDuplicate=1\r\n"
                     "[General]\r\nNotify1=300\r\nNotify1Text=\"Five minutes\"\r\n"
                     "[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Welcome #UNAME\"\r\n";
    std::string usr;
    std::vector<ScannedServer> servers;
    for (int s = 0; s < 3; ++s) {
        ScannedServer server;
        server.name = "RAS" + std::to_string(s + 1);
        for (int p = 0; p < 16; ++p) {
            server.ports.push_back({"COM" + std::to_string(p + 1), 33600});
            if (p % 4 == 0)
                hw += "[" + server.name + "\\COM" + std::to_string(p + 1) + "]\r\nMaxSessionTime=3600\r\n";
        }
        server.component = {true, "\\\\RAS1\\DM_NT_DB", db.string(), s == 2 ? 15u : 0u};
        for (int u = 0; u < 80; ++u) {
            CallerProfile caller;
            caller.identity.account = "DOM" + std::to_string(s) + "\\user" + std::to_string(u);
            caller.weight = 0.2 + (u % 7) * 0.5;
            caller.computerName = "PC" + std::to_string(s) + "-" + std::to_string(u);
            server.callers.push_back(caller);
            if (u % 3 == 0)
                usr += "[" + caller.identity.account + "]\r\nMaxTotalTime=" + std::to_string(200000 + u * 5000)
                       + "\r\nPeriodType=2\r\nPeriodMax=" + std::to_string(20000 + u * 300) + "\r\n";
        }
        servers.push_back(server);
    }
    WriteText(db / "Dialmind.hw", hw);
    WriteText(db / "Dialmind.usr", usr);
    return servers;
}

void BM_GenerateYear(benchmark::State& state)
{
    const fs::path root = fs::temp_directory_path() / ("bench_dmsim_" + std::to_string(::getpid()));
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root);
        const auto servers = BuildServers(root / "db");
        GenerateOptions options;
        options.days = 365;
        options.endYear = 2026;
        options.endMonth = 11;
        options.endDay = 30;
        options.seed = 42;
        options.model.callsPerPortPerPeakHour = 2.1; // about half a million records
        state.ResumeTiming();
        GenerateReport report;
        std::string error;
        if (!GenerateHistory(servers, options, report, error))
            state.SkipWithError(error.c_str());
        state.counters["entries"] = double(report.records);
        state.counters["events"] = double(report.events);
    }
    fs::remove_all(root);
}
BENCHMARK(BM_GenerateYear)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

// These figures have no target of their own; each must be there.
int main(int argc, char** argv)
{
    dm::bench::KeepingReporter r;
    dm::bench::RunKeeping(argc, argv, r);
    dm::bench::Targets targets;
    for (const char* name : {"BM_GenerateYear"})
        targets.Holds(std::string(name) + " measured", r.Find(name) != nullptr);
    return targets.Verdict();
}
