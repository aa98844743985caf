#pragma once
// The history scope bar below the history pane: a back arrow, the scope
// ("Records of Today", "Records from ... to ...", "All Records available are
// displayed"), a forward arrow and the record count. Each arrow moves the
// scope one day; timer 85 (every 400 ms) collapses quick clicks into one
// reload of the log. The arrows are hidden for the scope "All".

#include "manager/core/documentobserver.h"
#include "manager/core/historyscope.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QTimer;
class QToolButton;

namespace dm {

class CDMDoc;

class CHistoryBar : public QWidget, public DocumentObserver {
    Q_OBJECT
public:
    explicit CHistoryBar(CDMDoc& doc, QWidget* parent = nullptr);
    ~CHistoryBar() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;

    // As a click on an arrow: one day back (-1) or forward (+1); nothing for "All".
    void StepDays(int days);
    // What timer 85 does every 400 ms.
    void OnTimerTick();
    // Brings the texts and the arrows up to date.
    void UpdateTexts();
    // The clock that decides what "today" is (tests).
    void SetClock(std::function<std::uint32_t()> now) { m_now = std::move(now); }

    QToolButton* BackButton() const { return m_back; }
    QToolButton* ForwardButton() const { return m_forward; }
    QLabel* ScopeLabel() const { return m_scope; }
    QLabel* CountLabel() const { return m_count; }
    QTimer* Timer() const { return m_timer; }

private:
    CDMDoc& m_doc;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    QLabel* m_scope = nullptr;
    QLabel* m_count = nullptr;
    QTimer* m_timer = nullptr;
    ScopeReloadTimer m_reload;
    std::function<std::uint32_t()> m_now;
};

} // namespace dm
