// The database directory on a GlusterFS volume that two machines mount: the
// lock beside each file and the replace by rename must keep every write and
// never show a reader half a file across the two mounts. The volume takes
// the settings of docs/scale-out.md, read from the document itself.
//
// DM_SCALEOUT_DEFAULTS=1 runs the same checks on a volume with its default
// settings, to see what the settings are for (the checks fail then).

#include "tests/scaleout/glustervolume.h"
#include "tests/scaleout/scaleoutcheck.h"
#include "tests/scaleout/scaleoutsettings.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace dm::test {

namespace {

fs::path Document()
{
    return fs::path(DM_SOURCE_DIR) / "docs" / "scale-out.md";
}

bool WithDefaults()
{
    const char* value = std::getenv("DM_SCALEOUT_DEFAULTS");
    return value && *value && std::string(value) != "0";
}

} // namespace

TEST(ScaleOutSettingsTest, TheDocumentGivesTheVolumeOptionsAndTheMountOptions)
{
    ScaleOutSettings settings;
    std::string error;
    ASSERT_TRUE(ReadScaleOutSettings(Document(), settings, error)) << error;
    std::map<std::string, std::string> options(settings.volumeOptions.begin(), settings.volumeOptions.end());
    for (const char* translator : {"quick-read", "stat-prefetch", "io-cache", "read-ahead", "write-behind",
                                   "open-behind", "readdir-ahead"})
        EXPECT_EQ(options[std::string("performance.") + translator], "off") << translator;
    const std::set<std::string> mount(settings.mountOptions.begin(), settings.mountOptions.end());
    EXPECT_EQ(mount, (std::set<std::string>{"attribute-timeout=0", "entry-timeout=0", "negative-timeout=0"}));
    EXPECT_EQ(ClientArgumentOf("entry-timeout=0"), "--entry-timeout=0");
}

TEST(ScaleOutSettingsTest, ABrokenSettingsBlockIsRefused)
{
    const std::string marker = std::string(kScaleOutSettingsMarker) + "\n";
    const std::string set = "gluster volume set dialminder \\\n    performance.io-cache off \\\n"
                            "    performance.write-behind off\n";
    const std::string mount = "mount -t glusterfs -o attribute-timeout=0,entry-timeout=0 srv:/dialminder /srv/d\n";
    ScaleOutSettings settings;
    std::string error;
    ASSERT_TRUE(ParseScaleOutSettings(marker + "```sh\n# set once\n" + set + mount + "```\n", settings, error))
        << error;
    EXPECT_EQ(settings.volumeOptions.size(), 2u) << "a continued line is one command";
    EXPECT_EQ(settings.volumeOptions[1].first, "performance.write-behind");

    const std::string fstab = "srv:/dialminder /srv/d glusterfs defaults,_netdev,attribute-timeout=0 0 0\n";
    EXPECT_FALSE(ParseScaleOutSettings(marker + "```\n" + set + mount + "```\n" + marker + "```\n" + fstab + "```\n",
                                       settings, error))
        << "an fstab line that lost an option";
    EXPECT_NE(error.find("fstab"), std::string::npos) << error;
    EXPECT_FALSE(ParseScaleOutSettings("```sh\n" + set + mount + "```\n", settings, error)) << "no marker";
    EXPECT_FALSE(ParseScaleOutSettings(marker + "```\n" + set + "```\n", settings, error)) << "no mount command";
    EXPECT_FALSE(ParseScaleOutSettings(marker + "```\ngluster volume set dialminder performance.io-cache\n" + mount
                                           + "```\n",
                                       settings, error))
        << "an option without its value";
    EXPECT_FALSE(ParseScaleOutSettings(marker + "```\n" + set + "mount -t glusterfs -o ro srv:/v /m\n```\n", settings,
                                       error))
        << "a mount option the client cannot take as --NAME=VALUE";
}

// One volume for the checks below, mounted twice: machine 1 and machine 2.
class ScaleOut : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_began = std::chrono::steady_clock::now();
        s_skip = ScaleOutUnavailable();
        std::string error;
        if (s_skip.empty() && !EnterPrivateNamespaces(error))
            s_skip = error;
        if (!s_skip.empty()) {
            std::printf("[scale-out] SKIPPED: %s\n", s_skip.c_str());
            return;
        }
        ScaleOutSettings settings;
        if (!ReadScaleOutSettings(Document(), settings, error)) {
            s_error = error;
            return;
        }
        if (WithDefaults())
            settings = {};
        s_scratch = std::make_unique<TempDir>();
        s_volume = std::make_unique<GlusterVolume>(s_scratch->path());
        if (!s_volume->Start(settings, 2, error)) {
            s_error = error + "\n" + s_volume->Diagnostics();
            return;
        }
        std::printf("[scale-out] volume up with %s, mounted twice, in %.1f s\n",
                    WithDefaults() ? "its default settings (DM_SCALEOUT_DEFAULTS)" : "the settings of docs/scale-out.md",
                    Seconds());
        std::fflush(stdout);
    }

    static void TearDownTestSuite()
    {
        if (s_volume) {
            std::string error;
            const bool stopped = s_volume->Stop(error);
            std::printf("[scale-out] %s in %.1f s in all\n",
                        stopped ? "unmounted, volume stopped, daemon ended" : ("cleanup: " + error).c_str(),
                        Seconds());
            EXPECT_TRUE(stopped) << error;
        }
        s_volume.reset();
        s_scratch.reset();
    }

    void SetUp() override
    {
        if (!s_skip.empty())
            GTEST_SKIP() << "scale-out test skipped: " << s_skip;
        ASSERT_TRUE(s_error.empty()) << s_error;
        m_checkBegan = std::chrono::steady_clock::now();
    }

    static double Seconds()
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - s_began).count();
    }
    double CheckSeconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_checkBegan).count();
    }

    static const fs::path& Machine(int n) { return s_volume->MountPoint(static_cast<std::size_t>(n - 1)); }
    static fs::path Scratch() { return s_scratch->path(); }

    static std::chrono::steady_clock::time_point s_began;
    static std::string s_skip, s_error;
    static std::unique_ptr<TempDir> s_scratch;
    static std::unique_ptr<GlusterVolume> s_volume;
    std::chrono::steady_clock::time_point m_checkBegan;
};

std::chrono::steady_clock::time_point ScaleOut::s_began;
std::string ScaleOut::s_skip, ScaleOut::s_error;
std::unique_ptr<TempDir> ScaleOut::s_scratch;
std::unique_ptr<GlusterVolume> ScaleOut::s_volume;

TEST_F(ScaleOut, TwoWritersAndAReaderKeepEveryKey)
{
    const SharedFileReport report = RunTwoWritersAndAReader(Machine(1), Machine(2), Scratch(), 300);
    std::printf("[scale-out] two writers and a reader on one file: %d of %d keys kept, %d writes failed, "
                "%d reads, %d torn, %d older than the read before, in %.1f s\n",
                report.keysKept, report.keysWritten, report.failedWrites, report.reads, report.tornReads,
                report.olderReads, CheckSeconds());
    EXPECT_EQ(report.keysKept, report.keysWritten) << report.firstProblem;
    EXPECT_EQ(report.keysWritten, 600);
    EXPECT_EQ(report.failedWrites, 0) << report.firstProblem;
    EXPECT_EQ(report.tornReads, 0) << report.firstProblem;
    EXPECT_EQ(report.olderReads, 0) << report.firstProblem;
    EXPECT_GT(report.reads, 10) << "the reader read while the writers wrote";
    EXPECT_TRUE(report.sameOnBothMachines) << "the two machines see different files at the end";
}

TEST_F(ScaleOut, ServerAndManagerNetworksShareTheDatabase)
{
    const NetworksReport report = RunServerAndManagerNetworks(Machine(1), Machine(2), Scratch(), 6.0);
    ASSERT_TRUE(report.problem.empty()) << report.problem;
    std::printf("[scale-out] server network on machine 1, manager network on machine 2: dmsim logged %d connects, "
                "%d session ends and %d denials; counters equal the logs for %d of %d accounts; %d account and "
                "%d port edits, the last value of %d of %d edited keys held; %d manager reads, %d went back; "
                "%d failures, in %.1f s\n",
                report.connects, report.sessionEnds, report.denials, report.accountsMatching, report.accounts,
                report.accountEdits, report.portEdits, report.editedKeysHeld, report.editedKeys, report.managerReads,
                report.readsWentBack, static_cast<int>(report.failures.size()), CheckSeconds());
    EXPECT_GT(report.connects, 20) << "dmsim barely ran";
    EXPECT_GE(report.accountEdits, 5);
    EXPECT_GE(report.portEdits, 3);
    EXPECT_EQ(report.accountsMatching, report.accounts) << report.firstMismatch;
    EXPECT_EQ(report.editedKeysHeld, report.editedKeys) << report.firstLostEdit;
    EXPECT_EQ(report.readsWentBack, 0) << report.firstWentBack;
    EXPECT_GE(report.managerReads, 10);
    for (const std::string& failure : report.failures)
        ADD_FAILURE() << failure;
}

TEST_F(ScaleOut, AKilledWriterLeavesNoLockBehind)
{
    const KilledWriterReport report = RunKilledWriters(Machine(1), Machine(2));
    ASSERT_TRUE(report.problem.empty()) << report.problem;
    std::printf("[scale-out] writers killed with kill -9 on machine 1: the lock held across the mounts (%s), "
                "machine 2 wrote %.2f s after the kill; after a kill mid-burst %d of %d keys of machine 2 kept, "
                "the killed writer's %d keys whole, %d temporary files left, in %.1f s\n",
                report.lockHeldAcrossMounts ? "yes" : "no", report.secondsToWriteAfterKill, report.burstKeysKept,
                report.burstKeysWritten, report.killedWriterKeys, report.leftoverTemporaryFiles, CheckSeconds());
    EXPECT_TRUE(report.lockHeldAcrossMounts) << "machine 2 wrote while machine 1 held the lock";
    EXPECT_TRUE(report.wroteAfterKill) << "the killed writer's lock still blocks machine 2";
    EXPECT_FALSE(report.killedKeyWritten) << "the writer killed inside its write changed the file";
    EXPECT_EQ(report.burstKeysKept, report.burstKeysWritten) << report.detail;
    EXPECT_TRUE(report.killedWriterPrefixWhole) << report.detail;
}

} // namespace dm::test
