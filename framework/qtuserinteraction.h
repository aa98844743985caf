#pragma once
// The user-interaction interface on real widgets: modal message boxes with the
// program's caption, standard buttons and icons; the wait cursor; the beep;
// progress texts in the frame's status bar.

#include "common/userinteraction.h"

#include <QPointer>
#include <QString>

class QMessageBox;
class QStatusBar;
class QWidget;

namespace dm {

class QtUserInteraction : public UserInteraction {
public:
    // Message boxes are centred on `parent` when it is set, else on the
    // application's active window.
    explicit QtUserInteraction(QWidget* parent = nullptr);

    Answer ShowMessage(const std::string& text, const std::string& caption,
                       Buttons buttons = Buttons::Ok, Icon icon = Icon::None) override;
    void Beep(unsigned frequency, unsigned durationMs) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void ShowProgress(const std::string& text) override;

    void SetParent(QWidget* parent) { m_parent = parent; }
    // The progress window; none means progress texts are dropped.
    void SetProgressWindow(QStatusBar* statusBar);
    QStatusBar* ProgressWindow() const;
    int WaitDepth() const { return m_waitDepth; }

    // Builds the box ShowMessage runs; kept apart so that its look can be
    // checked without running it.
    static QMessageBox* CreateMessageBox(const std::string& text, const std::string& caption,
                                         Buttons buttons, Icon icon, QWidget* parent);
    // The caption a box gets when the caller passes none: the program's name.
    static QString DefaultCaption();

private:
    QPointer<QWidget> m_parent;
    QPointer<QStatusBar> m_statusBar;
    int m_waitDepth = 0;
};

} // namespace dm
