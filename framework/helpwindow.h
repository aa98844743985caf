#pragma once
// The help window: opens the pages of docs/help by the system's context
// numbers. Topic contexts open in one shared window with back and forward
// and, beside the page, the index of every page with a search field that
// filters it; pop-up contexts become "What's This" texts on controls.
//
// A window gives itself help with SetWindowHelp: F1 anywhere in it opens
// its page, and its Help button (when it has one) calls ShowWindowHelp.

#include "framework/helpindex.h"
#include "framework/helpmap.h"

#include <QMainWindow>
#include <QPointer>

class QKeyEvent;
class QLineEdit;
class QListWidget;
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
    QLineEdit* SearchField() const { return m_search; }
    QListWidget* PageList() const { return m_pages; }
    // The page file shown, relative to the help directory ("history.html").
    QString CurrentPage() const;
    // Opens a page of the index by its file name; false when unknown.
    bool OpenPage(const QString& file);

    // The program-wide map, loaded from HelpMap::DefaultDirectory once.
    static const HelpMap& SharedMap();
    // Opens a context in the shared window, creating it on first use.
    static bool ShowContext(int context, QWidget* parent = nullptr);
    // The shared window, or null before the first ShowContext.
    static CHelpWindow* SharedWindow();
    // Opens the shared window at the index with the search field focused.
    static void ShowIndex(QWidget* parent = nullptr);
    // Gives a control the text of a pop-up context as its What's This help;
    // false when the context is unknown or not a pop-up.
    static bool InstallWhatsThis(QWidget* control, int context);
    // F1 anywhere in window opens the topic context; the context is kept on
    // the window for its Help button and for tests.
    static void SetWindowHelp(QWidget* window, int context);
    // The topic a window set, 0 when none.
    static int WindowHelp(const QWidget* window);
    static bool ShowWindowHelp(QWidget* window);

protected:
    // Esc closes the window.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAnchorClicked(const QUrl& url);
    void FollowModalDialog();
    void FilterPages(const QString& query);
    void OpenListedPage();
    void MarkCurrentPage();

    const HelpMap& m_map;
    HelpIndex m_index;
    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_search = nullptr;
    QListWidget* m_pages = nullptr;
    int m_context = 0;
};

} // namespace dm
