#include "setup/wizard/quickintro.h"

#include "framework/helpwindow.h"

#include <QApplication>
#include <QTextBrowser>
#include <QUrl>

#include <filesystem>

namespace dm {

bool OpenQuickIntro(QWidget* parent)
{
    const HelpMap& map = CHelpWindow::SharedMap();
    const std::filesystem::path page = map.Directory() / "quickintro.html";
    std::error_code ec;
    if (!std::filesystem::exists(page, ec))
        return false;
    // While the wizard runs modally, a window of any other owner is blocked
    // (it can be neither scrolled nor closed) and lies under the full-screen
    // background: the introduction belongs to the modal window, in front of it.
    QWidget* owner = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget() : parent;
    auto* window = new CHelpWindow(map, owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle("Dialminder Quick Introduction");
    window->Browser()->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

} // namespace dm
