#include "manager/ui/sheets/optionssheet.h"
#include "manager/ui/frame/helptopics.h"

#include "framework/propertysheet.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/sheets/optionsdisplay.h"
#include "manager/ui/sheets/optionshistoryview.h"

namespace dm {

CPropertySheet* CreateOptionsSheet(CDMDoc& doc, QWidget* parent)
{
    auto* sheet = new CPropertySheet(QStringLiteral("Options"), parent);
    sheet->SetHelpContext(helptopic::Options);
    auto* display = new COptionsDisplay(doc.Interaction());
    display->m_interval = doc.Settings().interval;
    display->m_userIcons = doc.Settings().userIcons;
    sheet->AddPage(display);
    sheet->AddPage(new COptionsHistoryView(doc));
    sheet->resize(520, 380);
    return sheet;
}

void FinishOptionsSheet(CDMDoc& doc, CDMView& tree, CPropertySheet& sheet)
{
    auto* display = static_cast<COptionsDisplay*>(sheet.Page(0));
    ManagerSettings& settings = doc.Settings();
    const bool intervalChanged = display->m_interval != settings.interval;
    const bool iconsChanged = display->m_userIcons != settings.userIcons;
    settings.interval = display->m_interval;
    settings.userIcons = display->m_userIcons;
    // The browse scope was taken by the History View page's Apply.
    if (intervalChanged)
        tree.ArmTimer(ManagerSettings::IntervalMilliseconds(settings.interval));
    if (iconsChanged)
        doc.UpdateAllViews(nullptr, hint::AccountIconsChanged);
    // Saved at once, so that what was confirmed survives a reload of the
    // document (Add Server, Delete Server) and a crash, not only a clean exit.
    doc.SaveManagerSettings();
}

bool RunOptionsSheet(CDMDoc& doc, CDMView& tree, QWidget* parent)
{
    CPropertySheet* sheet = CreateOptionsSheet(doc, parent);
    const bool ok = sheet->exec() == QDialog::Accepted;
    if (ok)
        FinishOptionsSheet(doc, tree, *sheet);
    delete sheet;
    return ok;
}

} // namespace dm
