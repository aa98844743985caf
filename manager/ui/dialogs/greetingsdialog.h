#pragma once
// "Greeting Messages": the three greeting rules, each switched on or off in
// a check list, the text of the selected rule with a menu of variables to
// insert, and a preview of the merged message for a sample user. Only OK
// changes the document and the file.

#include "database/hardwarerecords.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QMenu;
class QStyle;
class QPlainTextEdit;
class QPushButton;

namespace dm {

class CDMDoc;
class CRuleCheckList;
class CVariableButton;

class CGreetingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CGreetingsDialog(CDMDoc& doc, QWidget* parent = nullptr);

    // Composes the preview of the working copy (the "Click to preview" button).
    void Preview();
    // Types a variable ("#UNAME") and a blank at the caret of the rule text.
    void InsertVariable(const QString& name);
    // The working copy, with the shown rule stored first.
    const std::array<GreetingRule, 3>& WorkingRules();

    CRuleCheckList* RuleList() const { return m_list; }
    QLineEdit* RuleText() const { return m_text; }
    CVariableButton* VariableButton() const { return m_insert; }
    QMenu* VariableMenu() const { return m_menu; }
    QPlainTextEdit* PreviewField() const { return m_preview; }
    QPushButton* PreviewButton() const { return m_previewButton; }
    QPushButton* HelpButton() const { return m_help; }
    int ShownRule() const { return m_shown; }

public Q_SLOTS:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StoreShownRule();
    void OnRuleSelected(int previous, int current);
    void ShowVariableMenu();

    CDMDoc& m_doc;
    std::array<GreetingRule, 3> m_rules;
    GreetingRules m_opened; // what the file held when the dialog opened
    int m_shown = 0;
    CRuleCheckList* m_list = nullptr;
    QLineEdit* m_text = nullptr;
    CVariableButton* m_insert = nullptr;
    QMenu* m_menu = nullptr;
    QStyle* m_menuStyle = nullptr;
    QPlainTextEdit* m_preview = nullptr;
    QPushButton* m_previewButton = nullptr;
    QPushButton* m_help = nullptr;
};

} // namespace dm
