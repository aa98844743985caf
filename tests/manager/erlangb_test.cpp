// The Erlang B figures against published tables of traffic engineering.
//
// Source of the table values: the Erlang B table (lost calls cleared) as
// printed in J. R. Boucher, "Traffic System Design Handbook", IEEE Press,
// 1993, and reproduced in every teletraffic textbook: at 1 % blocking
// 10 Erlangs need 18 trunks, 50 Erlangs 64 and 100 Erlangs 117; 16 trunks
// carry 8.88 Erlangs and 48 trunks 36.11. The worked example of the
// Erlang B calculator manual at erlang.com ("How much traffic can a trunk
// group handle?") gives 8.108 Erlangs for 15 lines at 1 %.

#include <gtest/gtest.h>

#include "manager/core/erlangb.h"

#include <cmath>

using namespace dm;

TEST(ErlangBTest, PortsNeededMatchPublishedTables)
{
    EXPECT_EQ(PortsNeeded(10.0, 0.01), 18);
    EXPECT_EQ(PortsNeeded(50.0, 0.01), 64);
    EXPECT_EQ(PortsNeeded(100.0, 0.01), 117);
    // One port fewer misses the grade: the least number, not just enough.
    EXPECT_GT(ErlangB(10.0, 17), 0.01);
    EXPECT_GT(ErlangB(50.0, 63), 0.01);
    EXPECT_GT(ErlangB(100.0, 116), 0.01);
}

TEST(ErlangBTest, LoadCarriedAtOnePercentMatchesPublishedTables)
{
    EXPECT_NEAR(LoadAtGradeOfService(16, 0.01), 8.875, 0.001);
    EXPECT_NEAR(LoadAtGradeOfService(48, 0.01), 36.109, 0.001);
    EXPECT_NEAR(LoadAtGradeOfService(15, 0.01), 8.108, 0.001);
}

TEST(ErlangBTest, SmallCasesByHand)
{
    // B(A, 1) = A / (1 + A); B(2, 2) = (4/2) / (1 + 2 + 2) = 0.4.
    EXPECT_DOUBLE_EQ(ErlangB(1.0, 1), 0.5);
    EXPECT_DOUBLE_EQ(ErlangB(2.0, 2), 0.4);
    EXPECT_DOUBLE_EQ(ErlangB(3.0, 0), 1.0);
    EXPECT_DOUBLE_EQ(ErlangB(0.0, 0), 0.0);
    EXPECT_DOUBLE_EQ(ErlangB(-1.0, 5), 0.0);
    EXPECT_DOUBLE_EQ(ErlangB(NAN, 5), 0.0);
    // Large systems stay finite: no factorials are formed.
    const double b = ErlangB(900.0, 1000);
    EXPECT_TRUE(std::isfinite(b));
    EXPECT_GT(b, 0.0);
    EXPECT_LT(b, 0.01);
}

TEST(ErlangBTest, PortsNeededEdges)
{
    EXPECT_EQ(PortsNeeded(0.0, 0.01), 0);
    EXPECT_EQ(PortsNeeded(0.5, 0.5), 1); // B(0.5, 1) = 1/3
    EXPECT_FALSE(PortsNeeded(10.0, 0.0));
    EXPECT_FALSE(PortsNeeded(10.0, 1.0));
    EXPECT_FALSE(PortsNeeded(10.0, -0.1));
    EXPECT_FALSE(PortsNeeded(10.0, NAN));
}

TEST(ErlangBTest, OfferedLoadInvertsTheCarriedPart)
{
    for (int ports : {1, 4, 16, 48}) {
        for (double offered : {0.2, 1.0, 5.0, 12.0, 40.0}) {
            const double carried = offered * (1.0 - ErlangB(offered, ports));
            const auto estimate = OfferedLoad(carried, ports);
            ASSERT_TRUE(estimate) << ports << " ports, " << offered << " E";
            EXPECT_NEAR(*estimate, offered, 1e-6 * offered) << ports << " ports";
        }
    }
    EXPECT_EQ(OfferedLoad(0.0, 16), 0.0);
    // Full lines all the time: any load could have been offered.
    EXPECT_FALSE(OfferedLoad(16.0, 16));
    EXPECT_FALSE(OfferedLoad(0.5, 0));
}
