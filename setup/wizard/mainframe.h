#pragma once
// The setup program's frame: no menu, covering the screen, showing the
// background view. A tenth of a second after it first shows, the wizard
// runs; when the wizard ends, by Finish or Cancel, the frame closes.

#include "setup/setupdoc.h"

#include <QMainWindow>

#include <filesystem>
#include <functional>

namespace dm {

class CSetupView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CSetupDoc& doc, UserInteraction& ui, std::filesystem::path sourceDir,
               QWidget* parent = nullptr);

    CSetupView* View() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RunWizard();

    CSetupDoc& m_doc;
    UserInteraction& m_ui;
    std::filesystem::path m_sourceDir;
    CSetupView* m_view = nullptr;
    bool m_started = false;
};

} // namespace dm
