#pragma once
// The greeting dialog's list of the three rules, each with a check box that
// switches it on. Tells the dialog when another rule is selected, so that the
// dialog can store the rule being left before it shows the next.

#include <QListWidget>

namespace dm {

class CRuleCheckList : public QListWidget {
    Q_OBJECT
public:
    explicit CRuleCheckList(QWidget* parent = nullptr);

    // Adds a rule with its label and check state.
    void AddRule(const QString& label, bool checked);
    bool IsChecked(int rule) const;
    void SetChecked(int rule, bool checked);

Q_SIGNALS:
    // Another rule became the selected one; previous is the rule left (-1
    // when none was selected).
    void ruleSelected(int previous, int current);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace dm
