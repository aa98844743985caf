#include "setup/wizard/2_directory.h"

#include "platform/files/pathresolver.h"
#include "setup/setupchecks.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dm {

namespace {

QLabel* Note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setContentsMargins(24, 0, 0, 6);
    return label;
}

} // namespace

C2_DIRECTORY::C2_DIRECTORY(WizardFlow& flow, FolderBrowser browseFolder, QWidget* parent)
    : CSetupPage(flow, parent), m_browseFolder(std::move(browseFolder))
{
    AddText("1. Which components of Dialminder do you want to install?");
    m_server = new QCheckBox("The RAS Server Component", this);
    m_server->setObjectName("serverBox");
    Content()->addWidget(m_server);
    Content()->addWidget(
        Note("Requires Windows NT\u00ae V4.0 or higher, and RAS to be present.", this));
    m_manager = new QCheckBox("Dialminder Manager", this);
    m_manager->setObjectName("managerBox");
    Content()->addWidget(m_manager);
    Content()->addWidget(Note("This is the management station that is used\nto manage your "
                              "installed Dialminder Server components.",
                              this));
    AddText("2. Where do you want to install the files?");
    auto* row = new QHBoxLayout;
    m_directory = new QLineEdit(this);
    m_directory->setObjectName("directoryField");
    m_directory->setMaxLength(500);
    m_browse = new QPushButton("...", this);
    m_browse->setObjectName("browseButton");
    m_browse->setFixedWidth(32);
    row->addWidget(m_directory, 1);
    row->addWidget(m_browse);
    Content()->addLayout(row);
    Content()->addStretch(1);

    auto boxClicked = [this] {
        m_flow.Choices().installServer = m_server->isChecked();
        m_flow.Choices().installManager = m_manager->isChecked();
        emit Changed();
    };
    connect(m_server, &QCheckBox::clicked, this, boxClicked);
    connect(m_manager, &QCheckBox::clicked, this, boxClicked);
    connect(m_browse, &QPushButton::clicked, this, &C2_DIRECTORY::OnBrowse);
}

void C2_DIRECTORY::Load()
{
    m_directory->setText(QString::fromStdString(m_flow.m_directoryField));
    m_server->setChecked(m_flow.Choices().installServer);
    m_manager->setChecked(m_flow.Choices().installManager);
}

void C2_DIRECTORY::Store()
{
    m_flow.m_directoryField = m_directory->text().toStdString();
    m_flow.Choices().installServer = m_server->isChecked();
    m_flow.Choices().installManager = m_manager->isChecked();
}

void C2_DIRECTORY::OnBrowse()
{
    if (!m_browseFolder)
        return;
    if (const auto folder = m_browseFolder(this))
        m_directory->setText(QString::fromStdString(TargetFromBrowsedFolder(*folder)));
}

std::optional<std::string> C2_DIRECTORY::BrowseWithDialog(QWidget* parent)
{
    const QString start = QString::fromStdString(ResolvePathOrEmpty("C:\\").string());
    const QString folder = QFileDialog::getExistingDirectory(
        parent, "Select Target Directory", start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

} // namespace dm
