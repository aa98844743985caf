#pragma once
// A GlusterFS volume of one brick on loopback, mounted several times through
// FUSE: each mount stands for one machine of a site that shares a database
// directory. Everything the daemon keeps lives below the test's scratch
// directory; the daemon runs in network and mount namespaces of this process
// alone, so that its fixed management port and its mounts meet no other run
// on the machine, and a mount that outlives a crash is seen by nobody.

#include "tests/scaleout/processes.h"
#include "tests/scaleout/scaleoutsettings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace dm::test {

// Why a volume cannot be made here (not root, no /dev/fuse, no gluster
// programs); empty when it can.
std::string ScaleOutUnavailable();

// Moves this process into a network namespace with its loopback up and into
// a private mount namespace; orphaned daemons are re-parented to it so that
// it can reap them. Must run before the process has threads.
bool EnterPrivateNamespaces(std::string& error);

class GlusterVolume {
public:
    explicit GlusterVolume(std::filesystem::path scratch);
    ~GlusterVolume();
    GlusterVolume(const GlusterVolume&) = delete;
    GlusterVolume& operator=(const GlusterVolume&) = delete;

    // Starts the daemon, creates the volume, applies the volume options (none
    // keeps the volume's defaults), starts it and mounts it `mounts` times
    // with the mount options.
    bool Start(const ScaleOutSettings& settings, int mounts, std::string& error);
    const std::filesystem::path& MountPoint(std::size_t index) const { return m_mountPoints.at(index); }

    // Unmounts, stops the volume, ends the brick and the daemon: every step
    // even when one fails. False with what failed.
    bool Stop(std::string& error);
    // The last lines of the daemon's and the clients' logs, for a failure message.
    std::string Diagnostics() const;

private:
    bool Cli(const std::vector<std::string>& args, std::string& error);
    void HidePrivateDirectories();
    bool WaitForMount(std::size_t index, std::string& error);

    std::filesystem::path m_scratch;
    std::filesystem::path m_logs;
    std::vector<std::filesystem::path> m_binds; // mounts made for the run, undone at its end
    Child m_daemon;
    std::vector<Child> m_clients;
    std::vector<std::filesystem::path> m_mountPoints;
    bool m_volumeStarted = false;
};

} // namespace dm::test
