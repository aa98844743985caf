#pragma once
#include "setup/wizard/setuppage.h"

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dm {

// Page 3: which components, and where. browseFolder opens the folder browser
// titled "Select Target Directory" and returns the picked folder, if any.
class C2_DIRECTORY : public CSetupPage {
    Q_OBJECT
public:
    using FolderBrowser = std::function<std::optional<std::string>(QWidget* parent)>;
    C2_DIRECTORY(WizardFlow& flow, FolderBrowser browseFolder, QWidget* parent = nullptr);

    void Load() override;
    void Store() override;

    QCheckBox* ServerBox() const { return m_server; }
    QCheckBox* ManagerBox() const { return m_manager; }
    QLineEdit* DirectoryField() const { return m_directory; }
    QPushButton* BrowseButton() const { return m_browse; }

    // The real browser: the system's folder dialog, starting on drive C: of
    // the local computer.
    static std::optional<std::string> BrowseWithDialog(QWidget* parent);

private:
    void OnBrowse();

    FolderBrowser m_browseFolder;
    QCheckBox* m_server = nullptr;
    QCheckBox* m_manager = nullptr;
    QLineEdit* m_directory = nullptr;
    QPushButton* m_browse = nullptr;
};

} // namespace dm
