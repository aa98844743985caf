// The manager's windows on a year of history: 4 servers of 64 ports, a
// database of 1,000,000 sessions in the day files of the last 365 days, a
// Dialmind.usr of 100,000 accounts and a domain that holds them. The real
// main frame (the one dialmind builds) opens with the history scope "All
// Records", and each pane the main window shows is asked for as a person
// asks for it: the start with the tree, the servers expanded into their
// ports, the domain expanded into its accounts, the ports list, the port
// status panel, the users view, the history of all servers and of one
// account, the usage graph of today and of the whole year, and the
// Capacity view. Each pane's time runs from the request until its first
// fill is complete (its rows are there and the events it posted have run);
// a pane that shows no rows counts as missed.
//
// Targets: each pane's first fill within 3 s, the users view's within 1 s;
// the whole program's peak memory (ru_maxrss, the scratch network's files
// written before the window opens, without holding them) within 500 MB.

#include "common/logrecord.h"
#include "common/timeformat.h"
#include "common/userinteraction.h"
#include "framework/qtuserinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/core/usagestatistics.h"
#include "manager/ui/frame/allextensions.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/viewswitchbar.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/capacitytablemodel.h"
#include "manager/ui/views/capacityview.h"
#include "manager/ui/views/historymodel.h"
#include "manager/ui/views/logview.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/views/portsmodel.h"
#include "manager/ui/views/portsview.h"
#include "manager/ui/views/usagemodel.h"
#include "manager/ui/views/usersmodel.h"
#include "manager/ui/views/usersview.h"
#include "manager/ui/views/useview.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/registry.h"

#include "bench/targets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kServers = 4;
constexpr int kPorts = 64;
// Every third port is in session (ports 0, 3, ... 63 of each server).
constexpr int kPortsInSession = kServers * ((kPorts + 2) / 3);
constexpr int kAccounts = 100000;
constexpr int kDays = 365;
constexpr long kSessions = 1000000;
constexpr const char* kDatabase = "C:\\Dialmind";
constexpr double kPaneSeconds = 3.0;
constexpr double kUsersViewSeconds = 1.0;
constexpr double kPeakMB = 500.0;
// A pane that has not filled after this long is given up (and missed).
constexpr int kGiveUpMs = 120000;

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "bench_manager_panes: could not %s\n", what);
        std::exit(1);
    }
}

std::string ServerName(int s) { return "RAS" + std::to_string(s + 1); }
std::string PortName(int p) { return "COM" + std::to_string(p + 1); }
std::string UserName(long a) { return "user" + std::to_string(a); }

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    Check(static_cast<bool>(out), "write a file");
}

double PeakMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The servers with their ports (every third in session), the domain with
// its accounts and Dialmind.usr.
void BuildNetwork()
{
    dm::Network::Root();
    dm::RegKey local, system;
    Check(dm::RegOpenLocalMachine(local) == 0, "open the local registry");
    Check(local.CreateKey("Software\\Osterhall Software\\Dialminder\\System", system) == 0, "create the settings");
    // The history shows every record: the whole year.
    system.SetDword("BrowseScope", 4);

    const fs::path dc = dm::Network::AddComputer("DC1");
    Check(dm::NetworkDirectory::AddDomain("CORP", "DC1", dm::NetworkDirectory::kWindowsProvider, ""),
          "add the domain");
    {
        std::ofstream out(dc / "accounts.ini", std::ios::binary | std::ios::trunc);
        out << "[Accounts]\r\nDomain=CORP\r\n";
        for (long a = 0; a < kAccounts; ++a)
            out << "\r\n[User:" << UserName(a) << "]\r\nFullName=User " << a << "\r\nType=Normal\r\nRasPrivilege="
                << (a % 10 == 0 ? 1 : 9) << "\r\n";
        out << "\r\n[Group:Sales]\r\nMembers=user1,user2,user3\r\n";
        out.close();
        Check(static_cast<bool>(out), "write the domain's accounts");
    }

    const std::uint32_t now = dm::NowTime();
    const std::uint32_t today = dm::StartOfLocalDay(now);
    // The sessions in progress began ten minutes ago, or at midnight.
    const std::uint32_t sessionStart = now - std::min<std::uint32_t>(600, now - today);
    std::string inProgress;
    for (int s = 0; s < kServers; ++s) {
        const std::string name = ServerName(s);
        const fs::path dir = dm::Network::AddComputer(name);
        Check(dm::NetworkDirectory::AddServer("CORP", name), "list a server in the domain");
        dm::RegKey hive, component, entry;
        Check(dm::RegOpenHive(name, hive) == 0 && hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", component) == 0,
              "install the server component");
        if (s == 0) {
            component.SetDword("Master", 1);
            component.SetString("MasterShare", kDatabase);
        }
        Check(local.CreateKey("Software\\Osterhall Software\\Dialminder\\Servers\\" + name, entry) == 0,
              "list a server");
        std::string ports;
        for (int p = 0; p < kPorts; ++p) {
            ports += "[" + PortName(p) + "]\r\nDeviceType=modem\r\nDeviceName=Modem\r\nMediaName=rasser\r\n";
            if (p % 3 == 0) {
                const std::string user = UserName((s * kPorts + p) * 37 % kAccounts);
                ports += "LineCondition=6\r\nUser=" + user + "\r\nLogonDomain=CORP\r\nSessionStart=" +
                         std::to_string(sessionStart) + "\r\n";
                // Its connect is logged; its hang-up is still to come.
                inProgress += "[" + dm::LogSectionName(name, PortName(p)) + "]\r\n" +
                              dm::FormatLogKey(sessionStart) + "=" + dm::FormatConnectValue("CORP\\" + user) + "\r\n";
            } else {
                ports += "LineCondition=4\r\n";
            }
        }
        WriteText(dir / "ras.ini", ports);
    }

    const fs::path db = dm::ResolvePath(kDatabase).path;
    fs::create_directories(db / "LogData");
    {
        std::ofstream out(db / "Dialmind.usr", std::ios::binary | std::ios::trunc);
        out << "[+CORP\\Sales]\r\nMaxTotalTime=36000\r\n";
        for (long a = 0; a < kAccounts; ++a)
            out << "[CORP\\" << UserName(a) << "]\r\nStaticIP=0\r\nMaxSessionTime=" << 3600 + a % 7 * 60
                << "\r\nTotalTime=" << a * 37 % 500000 << "\r\nTotalConnects=" << a % 97
                << "\r\nMaxTotalTime=0\r\nExpiryTime=0\r\nPeriodMax=0\r\nPeriodUsage=" << a % 1000
                << "\r\nPeriodStamp=" << now - 86400 << "\r\nPeriodType=0\r\nTotalDenieds=" << a % 3
                << "\r\nLastConnection=" << now - 86400 - a % 86400 << "\r\nFirstConnection=" << now - 86400 * 365
                << "\r\n";
        out.close();
        Check(static_cast<bool>(out), "write Dialmind.usr");
    }
    WriteText(db / "Dialmind.hw", "[General]\r\nNotify1=60\r\n");

    WriteText(dm::ResolvePath(dm::DayLogPath(kDatabase, sessionStart)).path, inProgress);
    // The days before today, oldest first; each port's sessions of a day lie
    // two hours apart, each a connect and a hang-up.
    constexpr int kAllPorts = kServers * kPorts;
    long written = 0;
    for (int d = 0; d < kDays; ++d) {
        const std::uint32_t day = dm::AddLocalDays(today, d - kDays);
        const long first = kSessions * d / kDays, end = kSessions * (d + 1) / kDays;
        std::string text;
        for (int port = 0; port < kAllPorts; ++port) {
            bool headed = false;
            for (long n = first + (port - first % kAllPorts + kAllPorts) % kAllPorts; n < end; n += kAllPorts) {
                if (!headed) {
                    text += "[" + dm::LogSectionName(ServerName(port / kPorts), PortName(port % kPorts)) + "]\r\n";
                    headed = true;
                }
                const long slot = (n - first) / kAllPorts;
                const std::uint32_t start = day + 600 + static_cast<std::uint32_t>(slot * 7200 + port * 13);
                const std::int32_t duration = static_cast<std::int32_t>(60 + n * 7 % 3500);
                const std::string user = "CORP\\" + UserName(n * 7919 % kAccounts);
                text += dm::FormatLogKey(start) + "=" + dm::FormatConnectValue(user) + "\r\n";
                text += dm::FormatLogKey(start + static_cast<std::uint32_t>(duration)) + "=" +
                        dm::FormatHangupValue(duration, user, 0x0A000001u + static_cast<std::uint32_t>(port), 0, "", "") +
                        "\r\n";
                ++written;
            }
        }
        WriteText(dm::ResolvePath(dm::DayLogPath(kDatabase, day)).path, text);
    }
    Check(written == kSessions, "write every session");
}

struct Fill {
    double seconds = -1;
    long rows = 0;
};

// Asks for a pane, then lets events run until rows() reaches `expected`
// (any row when expected is 0) once the events pending then have run
// (painting among them). The time runs from the request to that moment.
Fill Measure(const std::function<void()>& ask, const std::function<long()>& rows, long expected)
{
    QElapsedTimer clock;
    clock.start();
    ask();
    Fill fill;
    for (;;) {
        QApplication::sendPostedEvents();
        QApplication::processEvents(QEventLoop::AllEvents);
        fill.rows = rows();
        if (expected > 0 ? fill.rows >= expected : fill.rows > 0)
            break;
        if (clock.elapsed() > kGiveUpMs)
            return fill;
        // Sleeps until an event comes (a timer the pane set, a thread's
        // post), looking again at least every 5 ms.
        QEventLoop wait;
        QTimer::singleShot(5, &wait, &QEventLoop::quit);
        wait.exec();
    }
    fill.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    return fill;
}

QTreeWidgetItem* FirstChildWithImage(QTreeWidgetItem* parent, int image)
{
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (dm::CDMView::ImageOf(parent->child(i)) == image)
            return parent->child(i);
    return nullptr;
}

// The port nodes under the server nodes (images 3 to 5).
long PortNodes(QTreeWidgetItem* servers)
{
    long count = 0;
    for (int i = 0; i < servers->childCount(); ++i)
        for (int p = 0; p < servers->child(i)->childCount(); ++p) {
            const int image = dm::CDMView::ImageOf(servers->child(i)->child(p));
            count += image >= 3 && image <= 5 ? 1 : 0;
        }
    return count;
}

class PaneRun {
public:
    explicit PaneRun(dm::bench::Targets& targets) : m_targets(targets) {}

    void Report(const char* pane, const Fill& fill, long expected, double limit = kPaneSeconds)
    {
        std::printf("%s: %ld rows%s, peak memory so far %.1f MB\n", pane, fill.rows, expected > 0 ? "" : " (any)",
                    PeakMB());
        const std::string what = std::string(pane) + ": first fill";
        if (fill.seconds < 0) {
            std::printf("%s: no rows after %d s\n", pane, kGiveUpMs / 1000);
            m_targets.AtMost(what, std::nullopt, limit, "s");
        } else {
            m_targets.AtMost(what, fill.seconds, limit, "s");
        }
    }

private:
    dm::bench::Targets& m_targets;
};

void PrintUsage()
{
    std::puts("Usage: bench_manager_panes\n"
              "\n"
              "Times the first fill of each pane of the manager's main window on a scratch\n"
              "network with a year of 1,000,000 sessions and 100,000 accounts, and the\n"
              "program's peak memory, against their targets (3 s per pane, 1 s for the\n"
              "users view, 500 MB).\n"
              "Exits 1 when a target is missed.");
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage();
            return 0;
        }
    }
    tzset();
    std::string pattern = "/tmp/bench_manager_panes_XXXXXX";
    const char* root = mkdtemp(pattern.data());
    Check(root != nullptr, "create a temporary directory");
    setenv("DIALMIND_NETWORK", (fs::path(root) / "network").c_str(), 1);
    setenv("DIALMIND_COMPUTERNAME", "BENCHHOST", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    BuildNetwork();
    const double builtMB = PeakMB();
    std::printf("scratch network: %d servers of %d ports, %ld sessions over %d days, %d accounts "
                "(peak %.1f MB after writing it)\n",
                kServers, kPorts, kSessions, kDays, kAccounts, builtMB);

    dm::bench::Targets targets;
    PaneRun run(targets);
    int status = 0;
    {
        QApplication app(argc, argv);
        dm::QtUserInteraction ui;
        // No message may wait for an answer: what one says goes to standard error.
        dm::ConsoleMessages console("bench_manager_panes");
        dm::CDMDoc doc(console);
        dm::CMainFrame frame(doc, ui, dm::AllExtensions(doc));
        doc.SetFrame(&frame);
        frame.resize(1280, 800);
        dm::CDMView* tree = frame.TreeView();

        // The start, as dialmind starts: the window, the document, the tree.
        run.Report("start: window with the server tree",
                   Measure(
                       [&] {
                           frame.show();
                           doc.OnNewDocument();
                           frame.StartPortTotals();
                       },
                       [&] { return tree->IsBuilt() ? static_cast<long>(tree->ServersRoot()->childCount()) : 0L; },
                       kServers),
                   kServers);

        run.Report("tree: servers expanded into their ports",
                   Measure(
                       [&] {
                           tree->ServersRoot()->setExpanded(true);
                           for (int i = 0; i < tree->ServersRoot()->childCount(); ++i)
                               tree->ServersRoot()->child(i)->setExpanded(true);
                       },
                       [&] { return PortNodes(tree->ServersRoot()); }, kServers * kPorts),
                   kServers * kPorts);

        run.Report("tree: domain expanded into its accounts",
                   Measure(
                       [&] {
                           tree->AccountsRoot()->setExpanded(true);
                           if (QTreeWidgetItem* domain = FirstChildWithImage(tree->AccountsRoot(), 9))
                               domain->setExpanded(true);
                       },
                       [&] {
                           QTreeWidgetItem* domain = FirstChildWithImage(tree->AccountsRoot(), 9);
                           long users = 0;
                           for (int i = 0; domain && i < domain->childCount(); ++i) {
                               const int image = dm::CDMView::ImageOf(domain->child(i));
                               users += image == 8 || image == 14 ? 1 : 0;
                           }
                           return users;
                       },
                       kAccounts),
                   kAccounts);

        QTreeWidgetItem* server = tree->FindNamed(ServerName(0), tree->ServersRoot());
        Check(server != nullptr, "find the first server in the tree");
        run.Report("ports list",
                   Measure([&] { tree->SelectNode(server); },
                           [&] {
                               auto* view = qobject_cast<dm::CPortsView*>(frame.RightPane());
                               return view ? static_cast<long>(view->Model()->rowCount()) : 0L;
                           },
                           kPorts),
                   kPorts);

        QTreeWidgetItem* port = tree->FindNamed(PortName(0), server);
        Check(port != nullptr, "find a port in session in the tree");
        run.Report("port status panel",
                   Measure([&] { tree->SelectNode(port); },
                           [&] {
                               auto* panel = qobject_cast<dm::CNewPort*>(frame.RightPane());
                               return panel && panel->UserConnected() && !panel->HasFailed()
                                          ? static_cast<long>(panel->Lines()->topLevelItemCount())
                                          : 0L;
                           },
                           0),
                   0);

        run.Report("users view",
                   Measure([&] { tree->SelectNode(tree->AccountsRoot()); },
                           [&] {
                               auto* view = qobject_cast<dm::CUsersView*>(frame.RightPane());
                               return view ? static_cast<long>(view->Model()->rowCount()) : 0L;
                           },
                           kAccounts),
                   kAccounts, kUsersViewSeconds);

        // The history of all servers: every record of the year, a connect
        // and a hang-up per session.
        tree->SelectNode(tree->ServersRoot());
        run.Report("history view (all records)",
                   Measure(
                       [&] {
                           frame.SwitchBar()->SetMode(dm::ModeHistory);
                           doc.SetViewMode(dm::ModeHistory);
                       },
                       [&] {
                           auto* view = qobject_cast<dm::CLogView*>(frame.RightPane());
                           return view ? static_cast<long>(view->Model()->rowCount()) : 0L;
                       },
                       2 * kSessions),
                   2 * kSessions);

        // The history of one account (ten sessions of the year).
        QTreeWidgetItem* domain = FirstChildWithImage(tree->AccountsRoot(), 9);
        QTreeWidgetItem* account = domain ? tree->FindNamed(UserName(0), domain) : nullptr;
        Check(account != nullptr, "find an account in the tree");
        run.Report("history view (one account)",
                   Measure([&] { tree->SelectNode(account); },
                           [&] {
                               auto* view = qobject_cast<dm::CLogView*>(frame.RightPane());
                               const long shown = view ? static_cast<long>(view->Model()->rowCount()) : 0L;
                               return shown < 2 * kSessions ? shown : 0L;
                           },
                           2 * kSessions / kAccounts),
                   2 * kSessions / kAccounts);
        tree->SelectNode(tree->ServersRoot());

        // The usage graph of today (the ports in session are busy), whose
        // bars are computed when its rows are first painted, then of the
        // whole year as Reset Time Span asks for it.
        dm::CUseView::SetCalculationDelay(300);
        const auto busyRows = [&] {
            auto* view = qobject_cast<dm::CUseView*>(frame.RightPane());
            if (!view || !view->Model()->Statistics().Computed())
                return 0L;
            long busy = 0;
            for (const dm::UsageEntry& entry : view->Model()->Statistics().Entries())
                busy += entry.busySeconds > 0 ? 1 : 0;
            return busy;
        };
        run.Report("usage graph (today)",
                   Measure(
                       [&] {
                           frame.SwitchBar()->SetMode(dm::ModeGraphs);
                           doc.SetViewMode(dm::ModeGraphs);
                       },
                       busyRows, kPortsInSession),
                   kPortsInSession);
        run.Report("usage graph (whole year)",
                   Measure(
                       [&] {
                           if (auto* view = qobject_cast<dm::CUseView*>(frame.RightPane()))
                               view->ResetTimeSpan();
                       },
                       busyRows, kServers * kPorts),
                   kServers * kPorts);
        frame.SwitchBar()->SetMode(dm::ModeStatus);
        doc.SetViewMode(dm::ModeStatus);

        // The Capacity view of all servers, as the toolbar's button opens it.
        dm::CCapacityView* capacity = nullptr;
        run.Report("capacity view (all servers)",
                   Measure([&] { capacity = dm::OpenCapacityView(doc, &frame); },
                           [&] {
                               long loaded = 0;
                               for (const dm::ServerCapacity& figures : capacity->Model()->Figures())
                                   loaded += figures.busyHour >= 0 ? 1 : 0;
                               return loaded;
                           },
                           kServers),
                   kServers);
        capacity->close();
        QApplication::processEvents();

        const double peak = PeakMB();
        targets.AtMost("peak memory of the program", peak, kPeakMB, "MB");
        status = targets.Verdict();
        doc.SetFrame(nullptr);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return status;
}
