#pragma once
// The work the scale-out test puts on a database directory that two machines
// mount, and what it found. Each writer, reader and program runs in a process
// of its own, as on separate machines; machine1 and machine2 are the two
// mount points of one volume, scratch a local directory.

#include <filesystem>
#include <string>
#include <vector>

namespace dm::test {

struct SharedFileReport {
    int keysWritten = 0;
    int keysKept = 0;      // present at the end with the value written
    int failedWrites = 0;
    int reads = 0;
    int tornReads = 0;     // a read that is not a whole file as some writer left it
    int olderReads = 0;    // a read that lacks keys an earlier read showed
    bool sameOnBothMachines = false;
    std::string firstProblem;
};

// One writer on each machine adds keysPerWriter keys to one profile file,
// one write each, while a reader on machine 1 reads the file again and again.
SharedFileReport RunTwoWritersAndAReader(const std::filesystem::path& machine1, const std::filesystem::path& machine2,
                                         const std::filesystem::path& scratch, int keysPerWriter);

struct NetworksReport {
    std::string problem; // the networks could not be set up
    int connects = 0, sessionEnds = 0, denials = 0;
    int accounts = 0, accountsMatching = 0;       // counters against the logs
    int accountEdits = 0, portEdits = 0;          // edits made
    int editedKeys = 0, editedKeysHeld = 0;       // the last value of each edited key
    int managerReads = 0, readsWentBack = 0;
    std::vector<std::string> failures;
    std::string firstMismatch, firstLostEdit, firstWentBack;
};

// Two emulated networks share one database directory: the server network's
// on machine 1, where dmsim runs the servers fast; the manager network's on
// machine 2, where the manager's core reloads the users and the logs and the
// policies are edited, for `seconds`.
NetworksReport RunServerAndManagerNetworks(const std::filesystem::path& machine1,
                                           const std::filesystem::path& machine2,
                                           const std::filesystem::path& scratch, double seconds);

struct KilledWriterReport {
    std::string problem;
    bool lockHeldAcrossMounts = false; // machine 2 waited while machine 1 held the lock
    bool wroteAfterKill = false;
    bool killedKeyWritten = false;     // the write killed under its lock reached the file
    double secondsToWriteAfterKill = 0;
    int burstKeysWritten = 0, burstKeysKept = 0;
    int killedWriterKeys = 0;          // keys of the writer killed mid-burst in the file
    bool killedWriterPrefixWhole = false;
    int leftoverTemporaryFiles = 0;
    std::string detail;
};

// A writer on machine 1 killed with SIGKILL while it holds the lock, and one
// killed in the middle of a burst of writes, while machine 2 writes the same file.
KilledWriterReport RunKilledWriters(const std::filesystem::path& machine1, const std::filesystem::path& machine2);

} // namespace dm::test
