#pragma once
// The "History View" page of the Options sheet: how session lengths are
// shown, which columns the history shows and how many days it loads.

#include "framework/propertypage.h"

#include <array>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace dm {

class CDMDoc;

class COptionsHistoryView : public CPropertyPage {
    Q_OBJECT
public:
    static constexpr int kColumns = 10;

    explicit COptionsHistoryView(CDMDoc& doc, QWidget* parent = nullptr);

    QCheckBox* ColumnBox(int bit) const { return m_columns.at(static_cast<size_t>(bit)); }
    QRadioButton* SecondsButton() const { return m_seconds; }
    QRadioButton* ClockButton() const { return m_clock; }
    QComboBox* ScopeBox() const { return m_scope; }
    // The column mask the boxes stand for (bit 1, "Time", always set).
    int ColumnMask() const;

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    CDMDoc& m_doc;
    QRadioButton* m_clock = nullptr;
    QRadioButton* m_seconds = nullptr;
    std::array<QCheckBox*, kColumns> m_columns{};
    QComboBox* m_scope = nullptr;
};

} // namespace dm
