#pragma once
// The limits form of the user's Time Restrictions page, the Default Settings
// page and a group's page: a check box per limit that enables the field
// holding its amount (and gives it the focus), and the period limit with
// its "24 Hours", "Week", "Month" choice, which switching on sets to
// "24 Hours". The pages give their own captions and place the form in their
// own layout; the values are checked by the database's limits form, the one
// check `dmctl policy set` uses too.

#include "database/limitsform.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace dm {

class UserInteraction;

class CLimitsForm : public QWidget {
    Q_OBJECT
public:
    // The pages' captions for the check boxes; a form without an expiry
    // caption has no expiry row.
    struct Captions {
        QString session;
        QString total;
        QString expiry;
        QString period;
    };
    explicit CLimitsForm(const Captions& captions, QWidget* parent = nullptr);

    // Shows the values and remembers them as what the person started from.
    void Load(const FormLimits& limits);
    // The values the rows hold now, checked (see ReadLimits). On refusal the
    // refused field gets the focus with its text selected; the caller shows
    // the message and writes nothing.
    LimitsReading Read();
    // Read, and on refusal the message as a warning through ui: nothing
    // comes back then, and the page writes nothing.
    std::optional<LimitsReading> ReadOrRefuse(UserInteraction& ui);
    // The keys whose values the person changed since Load ("MaxSessionTime",
    // ..., "PeriodType"); empty while a changed field is refused.
    std::vector<std::string> ChangedKeys() const;
    // Takes the values as saved: what the person changes next counts from
    // them. The rows stay as the person left them.
    void MarkSaved(const FormLimits& limits) { m_loaded = limits; }
    const FormLimits& Loaded() const { return m_loaded; }
    // What the rows show: boxes, texts as typed, the period choice.
    LimitsEntry Entry() const;

    // "What's This" help: the contexts of each row's box and field (0 for
    // none) and of the period choice.
    struct HelpContexts {
        int box[LimitFieldCount] = {};
        int field[LimitFieldCount] = {};
        int choice = 0;
    };
    void InstallHelp(const HelpContexts& help);

    // Puts the form's controls, row by row, right after previous in the tab
    // order, for a page that shows a control of its own above the form.
    void FollowInTabOrder(QWidget* previous);

    bool HasRow(LimitField field) const { return m_boxes[field] != nullptr; }
    QCheckBox* Box(LimitField field) const { return m_boxes[field]; }
    QLineEdit* Field(LimitField field) const { return m_fields[field]; }
    QComboBox* PeriodChoice() const { return m_period; }

Q_SIGNALS:
    // Any click on a box or the choice, any text typed.
    void changed();

private:
    void AddRow(LimitField field, const QString& caption, const QString& unit, int row);
    void OnBoxClicked(LimitField field);
    void EnableRow(LimitField field);

    QCheckBox* m_boxes[LimitFieldCount] = {};
    QLineEdit* m_fields[LimitFieldCount] = {};
    QComboBox* m_period = nullptr;
    FormLimits m_loaded;
};

} // namespace dm
