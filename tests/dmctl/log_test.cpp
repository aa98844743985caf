#include <gtest/gtest.h>

#include "common/logrecord.h"
#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm;
using namespace dm::test;

namespace {

constexpr std::uint32_t kDec05NoonTime = 881319600; // 1997-12-05 12:00 in TZ=Europe/Berlin

} // namespace

TEST(DmctlLogTest, ListsRecordsAsCsvInTimeOrder)
{
    TempDir db;
    const std::string day = "[SRV\\COM1]\r\n881319660=H3600_DOM\\joe?-1062731775?2:IPX:NB\r\n"
                            "[SRV\\COM2]\r\n881319600=N_DOM\\ann?4\r\n881319630=C_DOM\\a,b\r\n";
    WriteFile(db / "LogData" / "1997-Dec-05.log", day);
    const std::string expected = "881319600,SRV,COM2,2,DOM\\ann,0,0,4,,\n"
                                 "881319630,SRV,COM2,1,\"DOM\\a,b\",0,0,255,,\n"
                                 "881319660,SRV,COM1,0,DOM\\joe,3600,3232235521,2,IPX,NB\n";
    auto scope = RunDmctl({"log", "list", db.str(), "--scope", "1", "--date",
                           std::to_string(kDec05NoonTime)});
    EXPECT_EQ(scope.status, 0) << scope.err;
    EXPECT_EQ(scope.out, expected);
    auto range = RunDmctl({"log", "list", db.str(), "--from", std::to_string(kDec05NoonTime - 86400),
                           "--to", std::to_string(kDec05NoonTime)});
    EXPECT_EQ(range.out, expected);
    EXPECT_EQ(RunDmctl({"log", "list", db.str(), "--scope", "4", "--date", "0"}).out, expected);
    // The same days named by local dates.
    EXPECT_EQ(RunDmctl({"log", "list", db.str(), "--scope", "1", "--date", "1997-12-05 08:00"}).out, expected);
    EXPECT_EQ(RunDmctl({"log", "list", db.str(), "--from", "1997-12-04", "--to", "1997-12-05"}).out, expected);

    WriteFile(db / "Dialmind.log", day);
    auto legacy = RunDmctl({"log", "list", db.str(), "--legacy"});
    EXPECT_EQ(legacy.out, "881319600,SRV,COM2,2,DOM\\ann,0,0,255,,\n"
                          "881319630,SRV,COM2,1,\"DOM\\a,b\",0,0,255,,\n"
                          "881319660,SRV,COM1,0,DOM\\joe,3600,3232235521,255,,\n");
}

TEST(DmctlLogTest, BadArgumentsAndEmptyLogDataFail)
{
    TempDir db;
    std::filesystem::create_directory(db / "LogData");
    auto none = RunDmctl({"log", "list", db.str(), "--scope", "4", "--date", "0"});
    EXPECT_NE(none.status, 0);
    EXPECT_NE(none.err.find("no day files"), std::string::npos);
    EXPECT_NE(RunDmctl({"log", "list", db.str()}).status, 0);
    EXPECT_NE(RunDmctl({"log", "list", db.str(), "--legacy", "--from", "1", "--to", "2"}).status, 0);
    EXPECT_NE(RunDmctl({"log", "list", db.str(), "--scope", "1"}).status, 0);
    EXPECT_NE(RunDmctl({"log", "list", db.str(), "--from", "-5", "--to", "2"}).status, 0);
    EXPECT_NE(RunDmctl({"log", "list", db.str(), "--from", "4294967296", "--to", "2"}).status, 0);
    auto notADay = RunDmctl({"log", "list", db.str(), "--scope", "1", "--date", "1997-02-29"});
    EXPECT_EQ(notADay.status, 2);
    EXPECT_NE(notADay.err.find("--date: '1997-02-29' is no time"), std::string::npos) << notADay.err;
    auto hex = RunDmctl({"log", "list", db.str(), "--from", "0x10", "--to", "2"});
    EXPECT_NE(hex.err.find("--from: '0x10' is no time"), std::string::npos) << hex.err;
    EXPECT_NE(RunDmctl({"log", "remove"}).status, 0);
    auto help = RunDmctl({"log", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("time,server,port,kind,user,duration,ip,reason,ipx,netbios"),
              std::string::npos);
    // The word TIME is explained once, for every command.
    auto top = RunDmctl({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_NE(top.out.find("TIME, wherever a command takes it, is seconds since 1970"), std::string::npos) << top.out;
    EXPECT_NE(top.out.find("\"YYYY-MM-DD[ HH:MM[:SS]]\""), std::string::npos) << top.out;
}

TEST(DmctlLogTest, CodePageBytesPrintAsTheirLettersAndUtf8StaysAsItIs)
{
    TempDir db;
    WriteFile(db / "LogData" / "1997-Dec-05.log",
              "[S\xdc" "D\\COM1]\r\n881319600=C_DOM\\Jos\xe9\r\n881319660=C_DOM\\Zo\xc3\xab,x\r\n");
    auto run = RunDmctl({"log", "list", db.str(), "--scope", "1", "--date", std::to_string(kDec05NoonTime)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "881319600,S\u00dcD,COM1,1,DOM\\Jos\u00e9,0,0,255,,\n"
                       "881319660,S\u00dcD,COM1,1,\"DOM\\Zo\u00eb,x\",0,0,255,,\n");
}
