// dmsim run on a server with 10,000 RAS ports, each left by a killed run in
// a state it must show anew: the time from the start to "running" (every
// port shown in ras.ini) and from SIGTERM to the exit
// (every session ended and written, every port waiting for a call).
//
// Targets: the start within 1 s and the stop within 1 s.

#include "platform/files/network.h"
#include "platform/ras/rasportstore.h"

#include "bench/targets.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPorts = 10000;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

} // namespace

int main()
{
    char pattern[] = "/tmp/bench_dmsim_run_XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::fprintf(stderr, "bench_dmsim_run: no scratch directory\n");
        return 1;
    }
    const fs::path root = pattern;
    const fs::path network = root / "network";
    setenv("DIALMIND_NETWORK", network.c_str(), 1);
    dm::Network::AddComputer("RAS1");
    std::vector<dm::RasPortRecord> ports(kPorts);
    for (int i = 0; i < kPorts; ++i) {
        ports[static_cast<std::size_t>(i)].name = "COM" + std::to_string(i + 1);
        ports[static_cast<std::size_t>(i)].deviceType = "Modem";
        ports[static_cast<std::size_t>(i)].lineSpeed = 28800;
        // As a run that was killed left them: every port must be shown anew.
        ports[static_cast<std::size_t>(i)].lineCondition = 5;
    }
    dm::bench::Targets targets;
    if (!targets.Holds("10,000 ports written", dm::RasPortStore("RAS1").SavePorts(ports) == 0))
        return targets.Verdict();

    // dmsim's output into a pipe: its "running" line marks the start.
    int out[2];
    if (::pipe(out) != 0)
        return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = std::string(DM_BIN_DIR) + "/dmsim";
    const std::string networkArg = network.string();
    const char* argv[] = {program.c_str(), "run", "--network", networkArg.c_str(), "--speed", "60", nullptr};
    const auto started = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
        std::fprintf(stderr, "bench_dmsim_run: could not start %s\n", program.c_str());
        return 1;
    }
    ::close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t n = 0;
    while (text.find("running") == std::string::npos && (n = ::read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    const double startSeconds = Since(started);
    const bool running = text.find("running") != std::string::npos;

    // A few ticks of calls, then the stop.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const auto stopping = Clock::now();
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    const double stopSeconds = Since(stopping);
    ::close(out[0]);
    posix_spawn_file_actions_destroy(&actions);

    std::vector<dm::RasPortRecord> after;
    bool waiting = dm::RasPortStore("RAS1").List(after) == 0 && after.size() == static_cast<std::size_t>(kPorts);
    for (const dm::RasPortRecord& port : after)
        waiting = waiting && port.lineCondition == 4 && !port.HasSession();

    targets.Holds("dmsim run started and exited cleanly", running && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    targets.Holds("every port waits for a call after the stop", waiting);
    targets.AtMost("dmsim run start, 10,000 ports", startSeconds, 1, "s");
    targets.AtMost("dmsim run stop after SIGTERM, 10,000 ports", stopSeconds, 1, "s");
    std::error_code ec;
    fs::remove_all(root, ec);
    return targets.Verdict();
}
