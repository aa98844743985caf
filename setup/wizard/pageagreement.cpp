#include "setup/wizard/pageagreement.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace dm {

namespace {

const char* const kAgreement =
    "DIALMINDER FOR WINDOWS NT - SOFTWARE LICENSE AGREEMENT\n\n"
    "Please read this agreement carefully before installing the software. By installing the "
    "software you agree to be bound by its terms.\n\n"
    "1. GRANT OF LICENSE. Osterhall Software grants you the right to install the Dialminder "
    "Server Component on the number of RAS servers for which you have acquired licenses, and "
    "the Dialminder Manager on any number of computers used to administer them.\n\n"
    "2. COPYRIGHT. The software is owned by Osterhall Software and is protected by copyright "
    "laws and international treaty provisions. You may make one copy of the software solely "
    "for backup or archival purposes.\n\n"
    "3. OTHER RESTRICTIONS. You may not rent or lease the software. You may not reverse "
    "engineer, decompile or disassemble the software, except to the extent that applicable "
    "law expressly permits it.\n\n"
    "4. LIMITED WARRANTY. Osterhall Software warrants that the software will perform "
    "substantially in accordance with the accompanying documentation for a period of ninety "
    "(90) days from the date of receipt. Any implied warranties are limited to ninety (90) "
    "days.\n\n"
    "5. NO LIABILITY FOR CONSEQUENTIAL DAMAGES. In no event shall Osterhall Software be liable "
    "for any damages whatsoever (including damages for loss of business profits, business "
    "interruption or loss of business information) arising out of the use of or inability to "
    "use this product.\n";

} // namespace

CPageAgreement::CPageAgreement(WizardFlow& flow, QWidget* parent) : CSetupPage(flow, parent)
{
    // Filled once, when the page is created.
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("agreementText");
    m_text->setReadOnly(true);
    m_text->setPlainText(kAgreement);
    Content()->addWidget(m_text, 1);
}

} // namespace dm
