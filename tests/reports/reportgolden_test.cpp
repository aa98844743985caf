// Every report type over every period type, for the standard database:
// dmtemp.dat and the comma-separated file, byte for byte.

#include "common/timeformat.h"
#include "reports/reportrun.h"
#include "tests/reports/reportdatabase.h"

#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;

namespace {

struct Case {
    int reportType;
    int periodType;
};

class ReportGolden : public ::testing::TestWithParam<Case> {};

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return "type" + std::to_string(info.param.reportType) + "_period" +
           std::to_string(info.param.periodType);
}

std::vector<Case> AllCases()
{
    std::vector<Case> cases;
    for (int type = 1; type <= 4; ++type) {
        for (int period = 1; period <= 5; ++period)
            cases.push_back({type, period});
    }
    return cases;
}

} // namespace

TEST_P(ReportGolden, IntermediateAndCsvMatch)
{
    ReportDatabase db;
    db.FillStandard();
    ReportRequest request;
    request.reportType = GetParam().reportType;
    request.periodType = GetParam().periodType;
    request.custom = {LocalTimeOf(2026, 3, 10, 12, 0, 0), LocalTimeOf(2026, 3, 17, 12, 0, 0)};
    request.databaseDirectory = db.Directory();
    request.outputFile = "report.csv";
    request.includeLegacyLog = true;
    request.now = GoldenNow();
    request.workingDirectory = db.WorkDirectory();

    const ReportRunResult result = RunReport(request);
    ASSERT_FALSE(result.cancelled);
    ASSERT_FALSE(result.outputFailed);
    EXPECT_TRUE(result.intermediateWritten);

    const std::string base = "type" + std::to_string(request.reportType) + "-period" +
                             std::to_string(request.periodType);
    const std::string dmtemp = ReadFile(db.WorkDirectory() / "dmtemp.dat");
    EXPECT_EQ(dmtemp, Golden(base + ".dmtemp.dat", dmtemp));
    const std::string csv = ReadFile(db.WorkDirectory() / "report.csv");
    EXPECT_EQ(csv, Golden(base + ".csv", csv));
}

INSTANTIATE_TEST_SUITE_P(AllTypesAndPeriods, ReportGolden, ::testing::ValuesIn(AllCases()), CaseName);
