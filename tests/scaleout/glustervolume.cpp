#include "tests/scaleout/glustervolume.h"

#include "tests/support/tempdir.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <net/if.h>
#include <sched.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dm::test {

namespace {

constexpr char kVolume[] = "dialminder";
// The daemon refuses a brick on "localhost" or 127.0.0.1; any other loopback
// address reaches it as well.
constexpr char kServer[] = "127.0.0.2";

std::string FindProgram(const std::string& name)
{
    std::string path = ::getenv("PATH") ? ::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin";
    std::istringstream dirs(path);
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (dir.empty())
            continue;
        const fs::path candidate = fs::path(dir) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

std::string ErrnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

std::string Tail(const fs::path& file, std::size_t lines)
{
    std::ifstream in(file);
    std::vector<std::string> last;
    for (std::string line; std::getline(in, line);) {
        last.push_back(line);
        if (last.size() > lines)
            last.erase(last.begin());
    }
    std::string text;
    for (const std::string& line : last)
        text += "  " + line + "\n";
    return text;
}

bool IsMountPoint(const fs::path& dir)
{
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (fields >> id >> parent >> device >> root >> mountPoint && mountPoint == dir.string())
            return true;
    }
    return false;
}

} // namespace

std::string ScaleOutUnavailable()
{
    if (::geteuid() != 0)
        return "not root: a FUSE mount and the GlusterFS daemon need root";
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0)
        return ErrnoText("no usable /dev/fuse");
    ::close(fuse);
    for (const char* program : {"glusterd", "gluster", "glusterfs"})
        if (FindProgram(program).empty())
            return std::string("no ") + program + " (make deps installs glusterfs-server and glusterfs-client)";
    return {};
}

bool EnterPrivateNamespaces(std::string& error)
{
    if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) {
        error = ErrnoText("cannot enter network and mount namespaces of its own");
        return false;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        error = ErrnoText("cannot make the mounts private");
        return false;
    }
    const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    struct ifreq request {};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = sock >= 0 && ::ioctl(sock, SIOCGIFFLAGS, &request) == 0
                    && (request.ifr_flags |= IFF_UP, ::ioctl(sock, SIOCSIFFLAGS, &request) == 0);
    if (!up)
        error = ErrnoText("cannot bring the loopback interface up");
    if (sock >= 0)
        ::close(sock);
    // The brick daemonizes itself; as its new parent the test reaps it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    return up;
}

GlusterVolume::GlusterVolume(fs::path scratch) : m_scratch(std::move(scratch)), m_logs(m_scratch / "log")
{
    fs::create_directories(m_logs);
}

GlusterVolume::~GlusterVolume()
{
    std::string ignored;
    Stop(ignored);
}

void GlusterVolume::HidePrivateDirectories()
{
    // The brick's socket and logs go to fixed system directories; the run
    // gets empty ones of its own there.
    for (const char* system : {"/var/run/gluster", "/var/log/glusterfs"}) {
        std::error_code ec;
        const fs::path target = fs::canonical(system, ec);
        if (ec || !fs::is_directory(target))
            continue;
        const fs::path own = m_scratch / "system" / target.filename();
        fs::create_directories(own, ec);
        if (!ec && ::mount(own.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0)
            m_binds.push_back(target);
    }
    // At every start the daemon configures geo-replication by running its
    // Python helper about a dozen times (15 s on a 2-core machine). The
    // volume uses no geo-replication: a helper that only answers the version
    // check takes its place for this run.
    std::string libexec;
    if (RunToEnd(FindProgram("glusterd"), {"--print-libexecdir"}, 10, libexec) != 0)
        return;
    while (!libexec.empty() && std::isspace(static_cast<unsigned char>(libexec.back())))
        libexec.pop_back();
    const fs::path helper = fs::path(libexec) / "gsyncd";
    const fs::path stand = m_scratch / "gsyncd";
    if (!fs::is_regular_file(helper))
        return;
    WriteFile(stand, "#!/bin/sh\necho gsyncd.py 4.0.0\n");
    fs::permissions(stand, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                               | fs::perms::others_read | fs::perms::others_exec);
    if (::mount(stand.c_str(), helper.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return;
    std::string answer;
    if (RunToEnd(helper.string(), {"--version"}, 10, answer) == 0 && answer.find("gsyncd") != std::string::npos)
        m_binds.push_back(helper);
    else
        ::umount2(helper.c_str(), MNT_DETACH); // cannot run here (noexec): keep the real helper
}

bool GlusterVolume::Cli(const std::vector<std::string>& args, std::string& error)
{
    std::vector<std::string> all{"--mode=script", "--glusterd-sock=" + (m_scratch / "run/glusterd.socket").string(),
                                 "--log-file=" + (m_logs / "cli.log").string()};
    all.insert(all.end(), args.begin(), args.end());
    std::string out;
    if (RunToEnd(FindProgram("gluster"), all, 60, out) == 0)
        return true;
    std::string command = "gluster";
    for (const std::string& arg : args)
        command += " " + arg;
    error = command + " failed: " + out;
    return false;
}

bool GlusterVolume::Start(const ScaleOutSettings& settings, int mounts, std::string& error)
{
    HidePrivateDirectories();
    const fs::path work = m_scratch / "glusterd", run = m_scratch / "run", brick = m_scratch / "brick";
    for (const fs::path& dir : {work, run, brick})
        fs::create_directories(dir);
    // The brick on a file system of the run's own: its store of hard links
    // by file id grows by thousands of directories in a run, which an
    // unmount drops at once.
    if (::mount("tmpfs", brick.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=512m,mode=0755") == 0)
        m_binds.push_back(brick);
    const fs::path volfile = m_scratch / "glusterd.vol";
    WriteFile(volfile, "volume management\n"
                       "    type mgmt/glusterd\n"
                       "    option working-directory " + work.string() + "\n"
                       "    option run-directory " + run.string() + "\n"
                       "    option glusterd-sockfile " + (run / "glusterd.socket").string() + "\n"
                       "    option transport-type socket\n"
                       "    option ping-timeout 0\n"
                       "    option event-threads 1\n"
                       "end-volume\n");
    m_daemon = Child::Program(FindProgram("glusterd"),
                              {"-N", "-f", volfile.string(), "-l", (m_logs / "glusterd.log").string()},
                              m_logs / "glusterd.out");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(run / "glusterd.socket")) {
        if (m_daemon.Wait(0.05)) {
            error = "the daemon ended at its start";
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            error = "the daemon did not open its socket within 30 s";
            return false;
        }
    }
    if (!Cli({"volume", "create", kVolume, std::string(kServer) + ":" + brick.string(), "force"}, error))
        return false;
    if (!settings.volumeOptions.empty()) {
        std::vector<std::string> set{"volume", "set", kVolume};
        for (const auto& [key, value] : settings.volumeOptions) {
            set.push_back(key);
            set.push_back(value);
        }
        if (!Cli(set, error))
            return false;
    }
    if (!Cli({"volume", "start", kVolume}, error))
        return false;
    m_volumeStarted = true;
    for (int i = 0; i < mounts; ++i) {
        // Inside a directory of its own, which a check can take as the root
        // of one machine's emulated network: the mount then lies inside it.
        const fs::path point = m_scratch / ("machine" + std::to_string(i + 1)) / "volume";
        fs::create_directories(point);
        std::vector<std::string> args{"-N", std::string("--volfile-server=") + kServer,
                                      std::string("--volfile-id=") + kVolume,
                                      "--log-file=" + (m_logs / ("mount" + std::to_string(i + 1) + ".log")).string()};
        for (const std::string& option : settings.mountOptions)
            args.push_back(ClientArgumentOf(option));
        args.push_back(point.string());
        m_clients.push_back(Child::Program(FindProgram("glusterfs"), args,
                                           m_logs / ("mount" + std::to_string(i + 1) + ".out")));
        m_mountPoints.push_back(point);
        if (!WaitForMount(m_mountPoints.size() - 1, error))
            return false;
    }
    return true;
}

bool GlusterVolume::WaitForMount(std::size_t index, std::string& error)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!IsMountPoint(m_mountPoints[index])) {
        if (m_clients[index].Wait(0.05)) {
            error = "the client of " + m_mountPoints[index].string() + " ended without mounting";
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            error = m_mountPoints[index].string() + " was not mounted within 30 s";
            return false;
        }
    }
    return true;
}

bool GlusterVolume::Stop(std::string& error)
{
    bool ok = true;
    auto fail = [&](const std::string& what) {
        error += (error.empty() ? "" : "; ") + what;
        ok = false;
    };
    for (std::size_t i = m_mountPoints.size(); i-- > 0;) {
        const fs::path& point = m_mountPoints[i];
        bool unmounted = !IsMountPoint(point);
        for (int attempt = 0; !unmounted && attempt < 50; ++attempt) {
            unmounted = ::umount2(point.c_str(), 0) == 0;
            if (!unmounted && errno != EBUSY)
                break;
            if (!unmounted)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!unmounted) {
            fail(ErrnoText(("cannot unmount " + point.string()).c_str()));
            ::umount2(point.c_str(), MNT_DETACH);
        }
        if (!m_clients[i].Wait(10)) {
            fail("the client of " + point.string() + " stayed after the unmount");
            m_clients[i].Stop(0);
        }
    }
    m_mountPoints.clear();
    m_clients.clear();
    if (m_volumeStarted) {
        std::string cliError;
        if (!Cli({"volume", "stop", kVolume, "force"}, cliError))
            fail(cliError);
        m_volumeStarted = false;
    }
    // The brick is the daemon's child: it ends with the volume; one that did
    // not is ended by the process id it wrote.
    std::error_code ec;
    const fs::path pids = m_scratch / "run/vols" / kVolume;
    for (const auto& entry : fs::directory_iterator(pids, ec)) {
        if (entry.path().extension() != ".pid")
            continue;
        const pid_t brick = static_cast<pid_t>(std::atoi(ReadFile(entry.path()).c_str()));
        if (brick > 1 && ::kill(brick, 0) == 0) {
            fail("the brick " + std::to_string(brick) + " outlived the volume");
            ::kill(brick, SIGKILL);
            ::waitpid(brick, nullptr, 0);
        }
    }
    m_daemon.Stop(10);
    m_daemon = Child();
    for (auto it = m_binds.rbegin(); it != m_binds.rend(); ++it)
        ::umount2(it->c_str(), MNT_DETACH);
    m_binds.clear();
    // Daemonized helpers re-parented to this process (the brick's own forks).
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    return ok;
}

std::string GlusterVolume::Diagnostics() const
{
    std::string text;
    std::error_code ec;
    std::vector<fs::path> logs{m_logs / "glusterd.log", m_logs / "glusterd.out", m_logs / "cli.log"};
    for (const auto& entry : fs::directory_iterator(m_logs, ec))
        if (entry.path().filename().string().rfind("mount", 0) == 0)
            logs.push_back(entry.path());
    for (const auto& entry : fs::recursive_directory_iterator(m_scratch / "system", ec))
        if (entry.path().extension() == ".log")
            logs.push_back(entry.path());
    for (const fs::path& log : logs)
        if (fs::exists(log))
            text += log.filename().string() + ":\n" + Tail(log, 12);
    return text;
}

} // namespace dm::test
