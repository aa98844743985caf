#pragma once
// Comma-separated export and clipboard text shared by the list views.
//
// The views write every field followed by a comma, the last one included,
// and an empty cell as one blank, so that a reader that splits on commas
// always sees the same number of fields. The line format itself lives in
// common/csvtext.h, where dmctl shares it.

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAbstractItemModel;
class QWidget;

namespace dm {

class CsvExport {
public:
    using Row = std::vector<std::string>;

    // "a,b, ,\n": each cell (or `emptyCell` when empty) followed by a comma.
    static std::string FormatRow(const Row& cells, const std::string& lineEnd = "\n",
                                 const std::string& emptyCell = " ");
    // The display texts of one model row in the given columns.
    static Row ModelRow(const QAbstractItemModel& model, int row, const std::vector<int>& columns);
    // The header line (written as given, then "\n") and the rows; false when
    // the file cannot be written. Texts are written as UTF-8.
    static bool WriteFile(const QString& path, const std::string& header, const std::vector<Row>& rows);
    // The whole file's text, written as it is; false when it cannot be
    // written. Like WriteFile, a failed write leaves no partial file.
    static bool WriteText(const QString& path, const std::string& text);
    // Rows as the clipboard takes them: no header, lines ended by "\r\n".
    static std::string ClipboardText(const std::vector<Row>& rows);
    // Puts text on the clipboard as plain text; false (nothing copied) when
    // there is no clipboard.
    static bool CopyToClipboard(const std::string& text);

    // Asks for the file to save to: "Save Data to File", "Comma Separated File
    // (*.csv)", default extension csv, asking before overwriting. Empty when
    // cancelled. Tests replace the dialog with SetFileNameProvider.
    static QString AskSaveFileName(QWidget* parent);
    using FileNameProvider = std::function<QString(QWidget* parent)>;
    static void SetFileNameProvider(FileNameProvider provider);
};

} // namespace dm
