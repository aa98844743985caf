#include "manager/ui/dialogs/greetingsdialog.h"
#include "manager/ui/frame/helptopics.h"

#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"
#include "manager/core/greetingpreview.h"
#include "manager/ui/dialogs/rulechecklist.h"
#include "manager/ui/dialogs/variablebutton.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dm {

namespace {

// The check list's labels, in rule order; each begins with a blank.
const char* const kRuleLabels[3] = {" General welcome message sent to everyone", " To accounts with time limits",
                                    " When connecting on port with time limit"};

} // namespace

CGreetingsDialog::CGreetingsDialog(CDMDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle(QStringLiteral("Greeting Messages"));
    CHelpWindow::SetWindowHelp(this, helptopic::Greetings);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);

    auto* intro = new QLabel(QStringLiteral("A user who connects receives the active rules that apply to the "
                                            "connection, joined into one message."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* rulesLabel = new QLabel(QStringLiteral("&Rules:"), this);
    m_list = new CRuleCheckList(this);
    rulesLabel->setBuddy(m_list);
    layout->addWidget(rulesLabel);
    layout->addWidget(m_list);

    auto* textLabel = new QLabel(QStringLiteral("Rule &text:"), this);
    m_text = new QLineEdit(this);
    m_text->setMaxLength(static_cast<int>(GreetingRule::TextCapacity) - 1);
    m_text->installEventFilter(this);
    textLabel->setBuddy(m_text);
    m_insert = new CVariableButton(this);
    // The rule text keeps the focus and the caret while a variable is chosen.
    m_insert->setFocusPolicy(Qt::NoFocus);
    m_insert->setEnabled(false);
    auto* textRow = new QGridLayout;
    textRow->addWidget(textLabel, 0, 0, 1, 2);
    textRow->addWidget(m_text, 1, 0);
    textRow->addWidget(m_insert, 1, 1);
    textRow->setColumnStretch(0, 1);
    layout->addLayout(textRow);

    m_menu = new QMenu(this);
    m_menuStyle = new CVariableMenuStyle;
    m_menuStyle->setParent(m_menu);
    m_menu->setStyle(m_menuStyle);
    for (const GreetingVariable& variable : kGreetingVariables) {
        const QString name = QString::fromLatin1(variable.name);
        QAction* action =
            m_menu->addAction(QString::fromLatin1(variable.menuText), this, [this, name] { InsertVariable(name); });
        // The description again where a screen reader or the status bar looks.
        action->setStatusTip(CVariableMenuStyle::DrawnText(action->text()));
    }

    auto* previewLabel = new QLabel(QStringLiteral("Preview for a sample user:"), this);
    m_preview = new QPlainTextEdit(this);
    m_preview->setReadOnly(true);
    m_preview->setMinimumHeight(90);
    m_preview->setPlaceholderText(QStringLiteral("The merged message appears here."));
    m_previewButton = new QPushButton(QStringLiteral("Click to &preview full message"), this);
    m_previewButton->setAutoDefault(false);
    layout->addWidget(previewLabel);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_previewButton, 0, Qt::AlignLeft);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_help = buttons->addButton(QDialogButtonBox::Help);
    layout->addWidget(buttons);

    connect(m_list, &CRuleCheckList::ruleSelected, this, &CGreetingsDialog::OnRuleSelected);
    connect(m_insert, &QPushButton::clicked, this, &CGreetingsDialog::ShowVariableMenu);
    connect(m_previewButton, &QPushButton::clicked, this, &CGreetingsDialog::Preview);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGreetingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_help, &QPushButton::clicked, this, [this] { CHelpWindow::ShowWindowHelp(this); });

    // The working copy; rule 0 is selected and shown.
    m_doc.Hardware().Refresh();
    m_opened = m_doc.Greetings();
    const GreetingRules& rules = m_opened;
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        m_rules[i] = rules.rules[i];
        m_list->AddRule(QString::fromLatin1(kRuleLabels[i]), m_rules[i].active);
    }
    {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(0);
    }
    m_text->setText(DisplayText(m_rules[0].text));
    resize(560, 480);
}

void CGreetingsDialog::StoreShownRule()
{
    m_rules[static_cast<size_t>(m_shown)].text = EditedText(m_rules[static_cast<size_t>(m_shown)].text, m_text->text());
    // Every rule's box counts, also of rules switched without selecting them.
    for (int i = 0; i < static_cast<int>(m_rules.size()); ++i)
        m_rules[static_cast<size_t>(i)].active = m_list->IsChecked(i);
}

const std::array<GreetingRule, 3>& CGreetingsDialog::WorkingRules()
{
    StoreShownRule();
    return m_rules;
}

void CGreetingsDialog::OnRuleSelected(int, int current)
{
    if (current < 0 || current >= static_cast<int>(m_rules.size()))
        return;
    StoreShownRule();
    m_shown = current;
    m_text->setText(DisplayText(m_rules[static_cast<size_t>(current)].text));
}

bool CGreetingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text) {
        if (event->type() == QEvent::FocusIn) {
            m_insert->setEnabled(true);
        } else if (event->type() == QEvent::FocusOut) {
            StoreShownRule();
            m_insert->setText(QString::fromLatin1(CVariableButton::kCaption));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CGreetingsDialog::ShowVariableMenu()
{
    m_menu->popup(m_insert->mapToGlobal(m_insert->rect().bottomLeft()));
}

void CGreetingsDialog::InsertVariable(const QString& name)
{
    m_text->setFocus(Qt::OtherFocusReason);
    // As if typed: the field's length limit applies to each character.
    for (const QChar c : name + QLatin1Char(' '))
        m_text->insert(QString(c));
}

void CGreetingsDialog::Preview()
{
    StoreShownRule();
    GreetingRules rules;
    rules.rules = m_rules;
    const GreetingPreview preview = PreviewGreeting(rules, SampleGreetingValues());
    m_preview->setPlainText(DisplayText(preview.text));
    if (!preview.anyRuleActive)
        m_doc.Interaction().Beep(200, 100);
}

void CGreetingsDialog::accept()
{
    StoreShownRule();
    GreetingRules edited = m_opened;
    edited.rules = m_rules;
    if (!m_doc.Hardware().SaveGreetingChanges(m_opened, edited)) {
        ReportSaveFailure(m_doc, m_doc.Hardware().File());
        return;
    }
    QDialog::accept();
}

} // namespace dm
