#pragma once
// The ports list: every RAS port of the selected server (or of all servers
// when the servers root is selected) with its current user and the start of
// the session. A full refresh on every document update adds and removes rows;
// a quick refresh every 5 seconds (timer 33) re-reads each listed port.

#include "manager/core/documentobserver.h"

#include <QWidget>

class QTimer;
class QTreeView;

namespace dm {

class CDMDoc;
class PortsModel;
struct ManagerExtensions;

class CPortsView : public QWidget, public DocumentObserver {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 5000;

    CPortsView(CDMDoc& doc, ManagerExtensions& extensions, QWidget* parent = nullptr);
    ~CPortsView() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;

    void FullRefresh();
    void QuickRefresh();
    // The port sheet of the selected row with the highest index.
    void OpenPortProperties();

    bool IsSetUp() const { return m_setUp; }
    int TimerInterval() const;
    PortsModel* Model() const { return m_model; }
    QTreeView* List() const { return m_list; }

private:
    void SetUp();

    CDMDoc& m_doc;
    ManagerExtensions& m_extensions;
    PortsModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    QTimer* m_timer = nullptr;
    bool m_setUp = false;
};

} // namespace dm
