#include "framework/csvexport.h"

#include "common/csvtext.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QFileDialog>
#include <QSaveFile>

namespace dm {

namespace {
CsvExport::FileNameProvider& Provider()
{
    static CsvExport::FileNameProvider provider;
    return provider;
}
} // namespace

std::string CsvExport::FormatRow(const Row& cells, const std::string& lineEnd, const std::string& emptyCell)
{
    return CsvLine(cells, lineEnd, emptyCell);
}

CsvExport::Row CsvExport::ModelRow(const QAbstractItemModel& model, int row, const std::vector<int>& columns)
{
    Row cells;
    cells.reserve(columns.size());
    for (int column : columns)
        cells.push_back(model.data(model.index(row, column), Qt::DisplayRole).toString().toStdString());
    return cells;
}

bool CsvExport::WriteFile(const QString& path, const std::string& header, const std::vector<Row>& rows)
{
    std::string text = header + "\n";
    for (const Row& row : rows)
        AppendCsvLine(text, row);
    return WriteText(path, text);
}

bool CsvExport::WriteText(const QString& path, const std::string& text)
{
    // Written whole or not at all: a failed export never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        return false;
    return file.commit();
}

std::string CsvExport::ClipboardText(const std::vector<Row>& rows)
{
    std::string text;
    for (const Row& row : rows)
        AppendCsvLine(text, row, "\r\n");
    return text;
}

bool CsvExport::CopyToClipboard(const std::string& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(QString::fromStdString(text));
    return true;
}

QString CsvExport::AskSaveFileName(QWidget* parent)
{
    if (Provider())
        return Provider()(parent);
    QFileDialog dialog(parent, QStringLiteral("Save Data to File"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Comma Separated File (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CsvExport::SetFileNameProvider(FileNameProvider provider)
{
    Provider() = std::move(provider);
}

} // namespace dm
