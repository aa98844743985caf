#include "manager/ui/sheets/savechecks.h"

#include "common/userinteraction.h"
#include "database/policyform.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"

#include <QLineEdit>

namespace dm {

bool RefuseField(CDMDoc& doc, QWidget* field, const std::string& message)
{
    doc.Interaction().ShowMessage(message, kMessageCaption, Buttons::Ok, Icon::Warning);
    if (field != nullptr) {
        field->setFocus(Qt::OtherFocusReason);
        if (auto* line = qobject_cast<QLineEdit*>(field))
            line->selectAll();
    }
    return false;
}

std::optional<std::int32_t> CheckedAmount(CDMDoc& doc, QLineEdit* field, std::string_view caption)
{
    const std::string text = field->text().trimmed().toStdString();
    if (text.empty())
        return 0;
    if (const auto value = ParseAmount(text))
        return static_cast<std::int32_t>(*value);
    RefuseField(doc, field, AmountMessage(caption));
    return std::nullopt;
}

bool ReportSaveFailure(CDMDoc& doc, std::string_view file)
{
    doc.Interaction().ShowMessage("The changes could not be saved: " + std::string(file) + " could not be written.",
                                  kMessageCaption, Buttons::Ok, Icon::Error);
    return false;
}

} // namespace dm
