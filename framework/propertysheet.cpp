#include "framework/propertysheet.h"

#include "framework/helpwindow.h"
#include "framework/propertypage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace dm {

CPropertySheet::CPropertySheet(const QString& title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(false);
    m_box = new QDialogButtonBox(this);
    m_ok = m_box->addButton(QDialogButtonBox::Ok);
    m_cancel = m_box->addButton(QDialogButtonBox::Cancel);
    m_apply = m_box->addButton(QDialogButtonBox::Apply);
    m_help = m_box->addButton(QDialogButtonBox::Help);
    m_help->setVisible(false);
    m_apply->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_box);

    connect(m_tabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnCurrentChanged);
    connect(m_ok, &QPushButton::clicked, this, &CPropertySheet::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CPropertySheet::reject);
    connect(m_apply, &QPushButton::clicked, this, [this] { ApplyShownPages(); });
    connect(m_help, &QPushButton::clicked, this, &CPropertySheet::OnHelp);
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    page->m_sheet = this;
    m_pages.push_back(page);
    m_tabs->addTab(page, page->Title());
    connect(page, &CPropertyPage::modifiedChanged, this, &CPropertySheet::UpdateApplyButton);
    if (page->WantsContextHelp())
        SetContextHelpButton(true);
    // A sheet already on screen shows its first page at once.
    if (isVisible() && m_pages.size() == 1)
        page->EnsureInitialized();
}

int CPropertySheet::ActiveIndex() const
{
    return m_tabs->currentIndex();
}

void CPropertySheet::SetActivePage(int index)
{
    m_tabs->setCurrentIndex(index);
    // Before the sheet is shown the page is initialised by showEvent.
    if (isVisible())
        OnCurrentChanged(index);
}

void CPropertySheet::SetHelpButtonVisible(bool visible)
{
    m_help->setVisible(visible);
}

void CPropertySheet::SetHelpContext(int context)
{
    CHelpWindow::SetWindowHelp(this, context);
    m_help->setVisible(true);
}

void CPropertySheet::SetContextHelpButton(bool shown)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, shown);
}

bool CPropertySheet::HasContextHelpButton() const
{
    return windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
}

bool CPropertySheet::ApplyShownPages()
{
    // Every page's entries are checked before the first page writes.
    for (size_t i = 0; i < m_pages.size(); ++i) {
        CPropertyPage* page = m_pages[i];
        if (page->IsInitialized() && !page->Check()) {
            m_tabs->setCurrentIndex(static_cast<int>(i));
            return false;
        }
    }
    for (size_t i = 0; i < m_pages.size(); ++i) {
        CPropertyPage* page = m_pages[i];
        if (!page->IsInitialized())
            continue;
        if (!page->Apply()) {
            m_tabs->setCurrentIndex(static_cast<int>(i));
            return false;
        }
    }
    UpdateApplyButton();
    return true;
}

void CPropertySheet::accept()
{
    if (ApplyShownPages())
        QDialog::accept();
}

void CPropertySheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    OnCurrentChanged(m_tabs->currentIndex());
    // The keyboard starts on the shown page's first field.
    if (QWidget* page = m_tabs->currentWidget()) {
        for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
            if (!page->isAncestorOf(w))
                break;
            if (w->isEnabled() && w->isVisibleTo(page) && (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

void CPropertySheet::OnCurrentChanged(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    if (isVisible())
        Page(index)->EnsureInitialized();
    UpdateApplyButton();
}

void CPropertySheet::UpdateApplyButton()
{
    bool any = false;
    for (CPropertyPage* page : m_pages)
        any = any || page->IsModified();
    m_apply->setEnabled(any);
}

void CPropertySheet::OnHelp()
{
    const int index = ActiveIndex();
    if (index < 0)
        return;
    if (int topic = Page(index)->HelpTopic(); topic != 0)
        CHelpWindow::ShowContext(topic, this);
    else
        CHelpWindow::ShowWindowHelp(this);
}

} // namespace dm
