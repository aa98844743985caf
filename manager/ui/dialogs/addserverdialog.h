#pragma once
// "Add Server": type a server name or pick one in the network tree, and
// "Add" enters it into the monitored servers (a key under the server list in
// the local registry). A worker thread fills the network tree and signals the
// named event "EnumNetDone" when it ends; only the GUI thread touches widgets.

#include <QDialog>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dm {

class NamedEvent;
struct NetworkNode;
class UserInteraction;

class CAddServerDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStartDelayMs = 300;

    CAddServerDialog(UserInteraction& ui, std::string serverListKey, QWidget* parent = nullptr);
    ~CAddServerDialog() override;

    bool ServerAdded() const { return m_added; }
    QLineEdit* ServerField() const { return m_server; }
    QTreeWidget* NetworkTree() const { return m_tree; }
    QPushButton* AddButton() const { return m_add; }
    bool EnumerationRunning() const { return m_running; }

    // Starts the network walk at once (the dialog does so 300 ms after it opens).
    void StartEnumeration();
    // Creates the key of the named server and reports the result.
    void AddServer();

Q_SIGNALS:
    void enumerationFinished();

public Q_SLOTS:
    void reject() override;

private:
    void InsertNode(int depth, const std::string& name, int picture);
    void FinishEnumeration();
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void StopWorker();

    UserInteraction& m_ui;
    std::string m_serverListKey;
    QLineEdit* m_server = nullptr;
    // The stored name of the server last chosen in the tree; the field shows
    // its DisplayText.
    std::string m_chosenName;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_add = nullptr;
    std::vector<QTreeWidgetItem*> m_lastAtDepth;
    bool m_added = false;
    bool m_running = false;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<NamedEvent> m_done;
    std::thread m_worker;
};

} // namespace dm
