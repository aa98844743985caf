#include "manager/ui/sheets/default1.h"

#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dm {

namespace {

// The text of a radio button, wrapped over several lines; a click on it
// chooses the button, as a click on a button's own text does.
class RadioText : public QLabel {
public:
    RadioText(const QString& text, QRadioButton* button, QWidget* parent) : QLabel(text, parent), m_button(button)
    {
        setWordWrap(true);
        setBuddy(button);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        m_button->click();
    }

private:
    QRadioButton* m_button;
};

QRadioButton* WrappedRadio(const QString& text, QVBoxLayout* layout, QWidget* parent)
{
    auto* button = new QRadioButton(parent);
    auto* label = new RadioText(text, button, parent);
    auto* row = new QHBoxLayout;
    row->addWidget(button, 0, Qt::AlignTop);
    row->addWidget(label, 1);
    layout->addLayout(row);
    button->setAccessibleName(text);
    return button;
}

} // namespace

CDefault1::CDefault1(CDMDoc& doc, QWidget* parent) : CPropertyPage(QStringLiteral("Policy"), parent), m_doc(doc)
{
    SetWantsContextHelp(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(14);
    layout->addWidget(new QLabel(QStringLiteral("When a user account without settings of its own connects:"), this));
    m_allow = WrappedRadio(QStringLiteral("Allow the user to connect (provided the user passes the port settings you "
                                          "have made, in terms of group memberships), and assign the user account "
                                          "your default settings."),
                           layout, this);
    m_deny = WrappedRadio(
        QStringLiteral("Deny the user to establish a connection. Only allow pre-defined users to connect."), layout,
        this);
    layout->addStretch(1);
    auto* group = new QButtonGroup(this);
    group->addButton(m_allow);
    group->addButton(m_deny);
    connect(group, &QButtonGroup::buttonClicked, this, [this] { SetModified(); });
}

void CDefault1::OnInitPage()
{
    m_doc.Hardware().Refresh();
    m_shown = m_doc.Default();
    (m_shown.assignDefault ? m_allow : m_deny)->setChecked(true);
}

bool CDefault1::OnApply()
{
    DefaultProfile edited = m_shown;
    edited.assignDefault = m_allow->isChecked();
    if (!m_doc.Hardware().SaveDefaultChanges(m_shown, edited))
        return ReportSaveFailure(m_doc, m_doc.Hardware().File());
    m_shown = edited;
    return true;
}

} // namespace dm
