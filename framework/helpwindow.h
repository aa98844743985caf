#pragma once
// The help window: opens the pages of docs/help by the system's context
// numbers. Topic contexts open in one shared window with back and forward;
// pop-up contexts become "What's This" texts on controls.

#include "framework/helpmap.h"

#include <QMainWindow>
#include <QPointer>

class QKeyEvent;
class QTextBrowser;
class QUrl;

namespace dm {

class CHelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit CHelpWindow(const HelpMap& map, QWidget* parent = nullptr);

    // Opens a topic context in the window (a pop-up context is shown as a
    // What's This bubble). Returns false when the context is not mapped.
    bool OpenContext(int context);
    int CurrentContext() const { return m_context; }
    QTextBrowser* Browser() const { return m_browser; }

    // The program-wide map, loaded from HelpMap::DefaultDirectory once.
    static const HelpMap& SharedMap();
    // Opens a context in the shared window, creating it on first use.
    static bool ShowContext(int context, QWidget* parent = nullptr);
    // The shared window, or null before the first ShowContext.
    static CHelpWindow* SharedWindow();
    // Gives a control the text of a pop-up context as its What's This help;
    // false when the context is unknown or not a pop-up.
    static bool InstallWhatsThis(QWidget* control, int context);

protected:
    // Esc closes the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnAnchorClicked(const QUrl& url);

    const HelpMap& m_map;
    QTextBrowser* m_browser = nullptr;
    int m_context = 0;
};

} // namespace dm
