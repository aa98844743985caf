#pragma once
// The one way in which Qt-free code reaches the person at the screen.
//
// The core, the report engine, the platform layer and setup's engine never
// show a window themselves: they call this interface. The Qt programs
// implement it with real message boxes; tests use a recorder that keeps every
// text and answers with scripted buttons; console programs print.

#include <functional>
#include <string>
#include <utility>

namespace dm {

// Button sets and answers keep the numbers of the platform the system was
// designed for, because stored settings and messages never depend on them but
// readers of the code expect them.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Icon { None, Information, Warning, Error, Question };
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // Shows a modal message and returns the button the person chose.
    virtual Answer ShowMessage(const std::string& text, const std::string& caption,
                               Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    // A tone of the given frequency (Hz) and duration (ms).
    virtual void Beep(unsigned frequency, unsigned durationMs) = 0;
    // Nested calls stack: the cursor returns to normal after the last End.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The progress window's text (a status bar pane or a progress dialog).
    virtual void ShowProgress(const std::string& text) = 0;
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(UserInteraction& ui) : m_ui(ui) { m_ui.BeginWaitCursor(); }
    ~WaitCursor() { m_ui.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    UserInteraction& m_ui;
};

// For code that runs unattended: every message is answered with the default
// (the first button of the set), nothing is shown.
class SilentInteraction : public UserInteraction {
public:
    Answer ShowMessage(const std::string&, const std::string&, Buttons buttons, Icon) override;
    void Beep(unsigned, unsigned) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ShowProgress(const std::string&) override {}
};

// For runs without a window: every message is written to standard error as
// "PREFIX: text" and answered with the default, so that none is lost.
class ConsoleMessages : public SilentInteraction {
public:
    explicit ConsoleMessages(std::string prefix) : m_prefix(std::move(prefix)) {}
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override;
    // Whether any message was written.
    bool Said() const { return m_said; }

private:
    std::string m_prefix;
    bool m_said = false;
};

// The first button of a set, which is what Enter chooses.
Answer DefaultAnswer(Buttons buttons);

// Receives progress texts of long loads ("Processing logs from %s, please wait...").
using ProgressSink = std::function<void(const std::string&)>;

// Diagnostic trace texts ("Refresh: Read all Logs"). Writes nothing unless
// DIALMIND_TRACE names a file; kept so that the trace points stay in the code.
void Trace(const std::string& text);

} // namespace dm
