#include "manager/ui/frame/panechoice.h"
#include "manager/ui/views/portsmodel.h"

#include "manager/core/selection.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace dm;

TEST(PaneChoice, ModeAndKindPickThePane)
{
    EXPECT_EQ(ChoosePane(ModeStatus, KindNone, "*"), PaneKind::Intro);
    EXPECT_EQ(ChoosePane(ModeHistory, KindNone, "*"), PaneKind::Intro);
    EXPECT_EQ(ChoosePane(ModeGraphs, KindNone, "*"), PaneKind::Intro);
    EXPECT_EQ(ChoosePane(ModeStatus, KindServer, "*"), PaneKind::Ports);
    EXPECT_EQ(ChoosePane(ModeStatus, KindPort, "COM1"), PaneKind::PortStatus);
    EXPECT_EQ(ChoosePane(ModeStatus, KindAccount, "*"), PaneKind::Users);
    for (int kind : {KindServer, KindPort, KindAccount}) {
        EXPECT_EQ(ChoosePane(ModeHistory, kind, "COM1"), PaneKind::History) << kind;
        EXPECT_EQ(ChoosePane(ModeGraphs, kind, "COM1"), PaneKind::Graphs) << kind;
    }
}

TEST(PaneChoice, PortWithoutNameShowsAsServerInStatusModeOnly)
{
    EXPECT_EQ(ChoosePane(ModeStatus, KindPort, "*"), PaneKind::Ports);
    EXPECT_EQ(ChoosePane(ModeHistory, KindPort, "*"), PaneKind::History);
}

TEST(PaneChoice, OnlyUsersHistoryAndGraphsSaveData)
{
    EXPECT_FALSE(PaneSavesData(PaneKind::Intro));
    EXPECT_FALSE(PaneSavesData(PaneKind::Ports));
    EXPECT_FALSE(PaneSavesData(PaneKind::PortStatus));
    EXPECT_TRUE(PaneSavesData(PaneKind::Users));
    EXPECT_TRUE(PaneSavesData(PaneKind::History));
    EXPECT_TRUE(PaneSavesData(PaneKind::Graphs));
}

class PortsModelTest : public ::testing::Test {
protected:
    PortsModel m_model;
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    const std::uint32_t m_start = 1765000000; // a session start
    int Image(int row) const { return m_model.data(m_model.index(row, 0), PortsModel::kImageRole).toInt(); }
    QString Cell(int row, int column) const { return m_model.index(row, column).data().toString(); }
};

TEST_F(PortsModelTest, NewConnectedRowShowsDateAndTimeLaterUpdatesTheTimeOnly)
{
    m_model.ApplyRowUpdate("COM1", "EAST", "OSTERHALL\\anna", m_start, 1);
    ASSERT_EQ(m_model.rowCount(), 1);
    EXPECT_EQ(Cell(0, 2), "OSTERHALL\\anna");
    EXPECT_EQ(Cell(0, 3), PortsModel::DateAndTimeText(m_start));
    EXPECT_TRUE(Cell(0, 3).contains(' '));
    EXPECT_EQ(Image(0), 4);

    QSignalSpy changed(&m_model, &QAbstractItemModel::dataChanged);
    m_model.ApplyRowUpdate("COM1", "EAST", "OSTERHALL\\anna", m_start, 1);
    EXPECT_EQ(m_model.rowCount(), 1) << "rows are updated in place";
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(Cell(0, 3), PortsModel::TimeOfDayText(m_start));
    EXPECT_EQ(Cell(0, 3).size(), 8); // HH:MM:SS
}

TEST_F(PortsModelTest, DisconnectAuthenticatingAndUnreadablePorts)
{
    m_model.ApplyRowUpdate("COM1", "EAST", "OSTERHALL\\anna", m_start, 1);
    m_model.ApplyRowUpdate("COM1", "EAST", "", 0, 0);
    EXPECT_EQ(Cell(0, 2), "");
    EXPECT_EQ(Cell(0, 3), " ");
    EXPECT_EQ(Image(0), 3);

    m_model.ApplyRowUpdate("COM2", "EAST", "", 0, 1); // authenticating
    EXPECT_EQ(Image(1), 3);
    EXPECT_EQ(Cell(1, 3), "") << "a new row without session leaves the start empty";
    m_model.ApplyRowUpdate("COM2", "EAST", "", 0, 1);
    EXPECT_EQ(Cell(1, 3), " ");

    m_model.ApplyRowUpdate("COM3", "EAST", "", 0, 2);
    EXPECT_EQ(Image(2), 5);
    EXPECT_EQ(Cell(2, 3), "");
    // A known session start wins over the fault state, but shows no time.
    m_model.ApplyRowUpdate("COM3", "EAST", "", m_start, 2);
    EXPECT_EQ(Image(2), 4);
    EXPECT_EQ(Cell(2, 3), " ");
}

TEST_F(PortsModelTest, RowsAreKeyedByServerAndPortExactly)
{
    m_model.ApplyRowUpdate("COM1", "EAST", "", 0, 0);
    m_model.ApplyRowUpdate("COM1", "WEST", "", 0, 0);
    m_model.ApplyRowUpdate("com1", "EAST", "", 0, 0);
    EXPECT_EQ(m_model.rowCount(), 3);
    EXPECT_EQ(m_model.FindRow("WEST", "COM1"), 1);
    EXPECT_EQ(m_model.FindRow("west", "COM1"), -1);
}

TEST_F(PortsModelTest, UnseenRowsGoAfterAFullPassAndOrderStays)
{
    for (const char* port : {"COM1", "COM2", "COM3", "COM4"})
        m_model.ApplyRowUpdate(port, "EAST", "", 0, 0);
    m_model.ClearSeenMarks();
    EXPECT_EQ(m_model.data(m_model.index(0, 0), PortsModel::kSeenRole).toInt(), 0);
    m_model.ApplyRowUpdate("COM4", "EAST", "", 0, 0);
    m_model.ApplyRowUpdate("COM2", "EAST", "", 0, 0);
    m_model.ApplyRowUpdate("COM5", "EAST", "", 0, 0);
    m_model.RemoveUnseenRows();
    ASSERT_EQ(m_model.rowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "COM2");
    EXPECT_EQ(Cell(1, 0), "COM4");
    EXPECT_EQ(Cell(2, 0), "COM5");
}

TEST_F(PortsModelTest, HeadersAndIcons)
{
    EXPECT_EQ(m_model.headerData(0, Qt::Horizontal).toString(), "Port");
    EXPECT_EQ(m_model.headerData(1, Qt::Horizontal).toString(), "Server");
    EXPECT_EQ(m_model.headerData(2, Qt::Horizontal).toString(), "Current User");
    EXPECT_EQ(m_model.headerData(3, Qt::Horizontal).toString(), "Session Started");
    m_model.ApplyRowUpdate("COM1", "EAST", "", 0, 0);
    EXPECT_TRUE(m_model.index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(m_model.index(0, 1).data(Qt::DecorationRole).isValid());
}

TEST_F(PortsModelTest, NamesInCodePageBytesShowAsLettersAndAreFoundByTheirBytes)
{
    m_model.ApplyRowUpdate("COM\x80", "N\xc4H", "DOM\\Jos\xe9", m_start, 1);
    m_model.ApplyRowUpdate("COM1", "N\u00c4H", "DOM\\Zo\u00eb", 0, 0);
    ASSERT_EQ(m_model.rowCount(), 2) << "bytes and their letters are two names";
    EXPECT_EQ(m_model.index(0, PortsModel::ColPort).data().toString(), QString::fromUtf8("COM\u20ac"));
    EXPECT_EQ(m_model.index(0, PortsModel::ColServer).data().toString(), QString::fromUtf8("N\u00c4H"));
    EXPECT_EQ(m_model.index(0, PortsModel::ColUser).data().toString(), QString::fromUtf8("DOM\\Jos\u00e9"));
    EXPECT_EQ(m_model.index(1, PortsModel::ColUser).data().toString(), QString::fromUtf8("DOM\\Zo\u00eb"));
    EXPECT_EQ(m_model.FindRow("N\xc4H", "COM\x80"), 0);
    EXPECT_EQ(m_model.FindRow("N\u00c4H", "COM\u20ac"), -1);
    m_model.ApplyRowUpdate("COM\x80", "N\xc4H", "DOM\\Ren\xe9", m_start, 1);
    EXPECT_EQ(m_model.rowCount(), 2);
    EXPECT_EQ(m_model.index(0, PortsModel::ColUser).data().toString(), QString::fromUtf8("DOM\\Ren\u00e9"));
}
