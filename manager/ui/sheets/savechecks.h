#pragma once
// What every editor's Apply does before and after it saves: refuse a value
// its key cannot hold (with a message, the focus on the field, nothing
// written) and tell a save that failed, so that the sheet stays open with
// what the person typed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;
class QWidget;

namespace dm {

class CDMDoc;

// Shows message as a warning and gives field the focus; always false, for
// an Apply to return.
bool RefuseField(CDMDoc& doc, QWidget* field, const std::string& message);
// The field's amount (0 when the field is empty), or a refusal that names
// caption and the largest value the key holds.
std::optional<std::int32_t> CheckedAmount(CDMDoc& doc, QLineEdit* field, std::string_view caption);
// "The changes could not be saved: <file> could not be written."; false.
bool ReportSaveFailure(CDMDoc& doc, std::string_view file);

} // namespace dm
