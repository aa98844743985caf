// Every dmctl group that reads a database refuses a directory that is not
// there or is no directory, rather than printing an empty database.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm::test;

TEST(DmctlDatabaseDirectory, AMistypedDirectoryIsAnErrorInEveryGroup)
{
    TempDir dir;
    WriteFile(dir / "afile", "not a directory\r\n");
    for (const std::string& db : {(dir / "mistyped").string(), (dir / "afile").string()}) {
        const std::vector<std::vector<std::string>> commands{
            {"history", db, "--scope", "1", "--date", "881319600"},
            {"history", db, "--from", "881319600", "--to", "881319600"},
            {"usage", db, "--from", "881319600", "--to", "881329600", "--logged"},
            {"policy", "explain", db, "DOM\\anna", "SRV", "COM1"},
            {"users", db},
            {"greeting", "preview", db},
            {"logfiles", db},
        };
        for (const auto& args : commands) {
            const auto run = RunDmctl(args);
            EXPECT_EQ(run.status, 1) << args[0] << " " << db;
            EXPECT_NE(run.err.find("no database directory '" + db + "'"), std::string::npos) << run.err;
            EXPECT_TRUE(run.out.empty()) << args[0] << ": " << run.out;
        }
    }
    // An empty database directory is a database without records.
    const auto empty = RunDmctl({"history", dir.str(), "--from", "881319600", "--to", "881319600", "--columns", "1"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "Time/Date\n");
}
