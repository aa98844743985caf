#pragma once
// "Calculating statistics, please wait...": a small modal dialog that shows
// the row being finished and how far the calculation is. It opens, waits a
// moment so that it is seen, runs the work, and closes itself.

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QProgressBar;

namespace dm {

class UsageProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit UsageProgressDialog(QWidget* parent = nullptr);

    // Shows the dialog, runs work after delayMs and closes when it returns.
    void Run(const std::function<void(UsageProgressDialog&)>& work, int delayMs);
    // The row just finished and the share done, 0 to 100.
    void ShowEntry(const std::string& label, int percent);

    QString EntryText() const;
    int Percent() const;

private:
    QLabel* m_entry = nullptr;
    QProgressBar* m_bar = nullptr;
    qint64 m_lastPaint = 0;
};

} // namespace dm
