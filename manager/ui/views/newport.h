#pragma once
// The port status panel: everything the RAS library reports about one port
// (current session, device data, session statistics, session errors) as a
// tree of lines, the IN and OUT meters and four tool buttons: disconnect the
// session, send a message, open the user's properties, reset the statistics.
// The buttons are real buttons: Tab reaches them, Space presses them, and
// each has a mnemonic (Alt+D, Alt+M, Alt+U, Alt+R). Without a user only
// Reset Statistics is enabled.
// It refreshes itself every 5 seconds (timer 77). It shows the port that the
// tree selected: a change of selection (hint 1) turns it to the new port at
// once, and the buttons always act on the port whose data it shows. A failed
// query is reported once; the panel keeps trying, so it recovers when the
// server can be reached again.

#include "manager/core/documentobserver.h"
#include "manager/ui/views/meterrates.h"
#include "manager/ui/views/portstatuslines.h"

#include <QWidget>

#include <array>
#include <string>

class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dm {

class CDMDoc;
struct ManagerExtensions;

class CNewPort : public QWidget, public DocumentObserver {
    Q_OBJECT
public:
    enum ToolButton { Disconnect, SendMessage, UserProperties, ResetStatistics, ButtonCount };
    static constexpr int kRefreshMs = 5000;
    static constexpr int kBandHeight = 96;

    CNewPort(CDMDoc& doc, ManagerExtensions& extensions, QWidget* parent = nullptr);
    ~CNewPort() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;
    // One tick of timer 77.
    void OnTimerTick();

    QString LineText(PortStatusLines::Line line) const;
    QTreeWidget* Lines() const { return m_tree; }
    bool UserConnected() const { return m_userConnected; }
    bool HasFailed() const { return m_error; }
    // The server and port whose data the panel shows.
    const std::string& ShownServer() const { return m_server; }
    const std::string& ShownPort() const { return m_port; }
    int TimerInterval() const;
    const MeterRates& Rates() const { return m_rates; }
    int Rewrites() const { return m_rewrites; }
    QString Title() const;

    // The tool buttons and where they stand in the band.
    QToolButton* Button(int button) const { return m_buttons[static_cast<size_t>(button)]; }
    QRect ButtonRect(int button) const;
    QRect MeterRect(bool incoming) const;

Q_SIGNALS:
    // After an action of a tool button ran (for tests and the status bar).
    void actionRan(int button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildTree();
    // Turns the panel to the port the document has selected, as a panel
    // created for it would start: initial texts, no rates, no failure.
    void ShowSelectedPort();
    // Queries the shown port and fills the lines; a failure is reported once.
    void Refresh();
    bool QueryPort();
    void Fill();
    void SetLine(PortStatusLines::Line line, const std::string& text);
    void SetConnected(bool connected);
    std::string DisconnectQuestion() const;
    void RunAction(int button);
    void CreateButtons();
    // Enables and draws the buttons for the session shown.
    void UpdateButtons();
    void PlaceTree();
    void DrawMeter(QPainter& painter, bool incoming) const;

    CDMDoc& m_doc;
    ManagerExtensions& m_extensions;
    QTreeWidget* m_tree = nullptr;
    std::array<QTreeWidgetItem*, PortStatusLines::LineCount> m_lines{};
    QTimer* m_timer = nullptr;
    std::array<QToolButton*, ButtonCount> m_buttons{};
    bool m_userConnected = false;
    std::string m_server;
    std::string m_port;
    std::string m_account; // domain\user of the session the lines show
    std::string m_userName;
    MeterRates m_rates;
    bool m_error = false;
    int m_rewrites = 0;
};

} // namespace dm
