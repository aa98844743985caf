// dmsim run on a server with 10,000 RAS ports, each left by a killed run in
// a state it must show anew: the time from the start to "running" (every
// port shown in ras.ini) and from SIGTERM or SIGINT to the exit (every
// session ended and written, every port waiting for a call), and the exit
// after a SIGINT that arrives while it is still starting.
//
// Targets: the start within 1 s and each stop within 1 s.

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

// ras.ini as a killed run leaves it: every port must be shown anew.
bool WritePorts()
{
    std::vector<dm::RasPortRecord> ports(kPorts);
    for (int i = 0; i < kPorts; ++i) {
        dm::RasPortRecord& port = ports[static_cast<std::size_t>(i)];
        port.name = "COM" + std::to_string(i + 1);
        port.deviceType = "Modem";
        port.lineSpeed = 28800;
        port.lineCondition = 5;
    }
    return dm::RasPortStore("RAS1").SavePorts(ports) == 0;
}

struct RunFigures {
    bool running = false;    // it said "running" before the signal
    bool cleanExit = false;  // and ended with status 0
    bool waiting = false;    // every port waits for a call afterwards
    double startSeconds = 0; // spawn to "running"
    double stopSeconds = 0;  // signal to exit
};

// Starts dmsim on the network; sends signal after it said "running" and a
// few ticks, or, with early, 0.1 s after the spawn whatever it is doing.
RunFigures RunDmsim(const fs::path& network, int signal, bool early)
{
    RunFigures figures;
    int out[2];
    if (::pipe(out) != 0)
        return figures;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = std::string(DM_BIN_DIR) + "/dmsim";
    const std::string networkArg = network.string();
    const char* argv[] = {program.c_str(), "run", "--network", networkArg.c_str(), "--speed", "60", nullptr};
    const auto started = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "bench_dmsim_run: could not start %s\n", program.c_str());
        ::close(out[0]);
        return figures;
    }
    if (early) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else {
        // Its "running" line marks the start.
        std::string text;
        char buffer[256];
        ssize_t n = 0;
        while (text.find("running") == std::string::npos && (n = ::read(out[0], buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        figures.startSeconds = Since(started);
        figures.running = text.find("running") != std::string::npos;
        // A few ticks of calls, then the stop.
        std::this_thread::sleep_for(std::chrono::seconds(3));
    }
    const auto stopping = Clock::now();
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    figures.stopSeconds = Since(stopping);
    ::close(out[0]);
    figures.cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;

    std::vector<dm::RasPortRecord> after;
    figures.waiting = dm::RasPortStore("RAS1").List(after) == 0 && after.size() == static_cast<std::size_t>(kPorts);
    for (const dm::RasPortRecord& port : after)
        figures.waiting = figures.waiting && port.lineCondition == 4 && !port.HasSession();
    return figures;
}

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
    dm::bench::Targets targets;
    const struct {
        int signal;
        bool early;
        const char* name;
    } runs[] = {{SIGTERM, false, "SIGTERM"}, {SIGINT, false, "SIGINT"}, {SIGINT, true, "SIGINT while starting"}};
    for (const auto& run : runs) {
        if (!targets.Holds(std::string("10,000 ports written before the ") + run.name + " run", WritePorts()))
            break;
        const RunFigures figures = RunDmsim(network, run.signal, run.early);
        const std::string what = std::string("dmsim run, 10,000 ports, ") + run.name;
        targets.Holds(what + ": started and exited cleanly", (figures.running || run.early) && figures.cleanExit);
        targets.Holds(what + ": every port waits for a call after the stop", figures.waiting);
        if (!run.early)
            targets.AtMost(what + ": start", figures.startSeconds, 1, "s");
        targets.AtMost(what + ": stop after the signal", figures.stopSeconds, 1, "s");
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return targets.Verdict();
}
