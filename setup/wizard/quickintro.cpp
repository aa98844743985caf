#include "setup/wizard/quickintro.h"

#include "framework/helpwindow.h"

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
    auto* window = new CHelpWindow(map, parent);
    window->setWindowTitle("Dialminder Quick Introduction");
    window->Browser()->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    window->show();
    return true;
}

} // namespace dm
