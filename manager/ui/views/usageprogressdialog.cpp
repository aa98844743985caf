#include "manager/ui/views/usageprogressdialog.h"
#include "framework/displaytext.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace dm {

namespace {
// The dialog is repainted at most this often while the work runs.
constexpr qint64 kRepaintMs = 40;
} // namespace

UsageProgressDialog::UsageProgressDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Calculating statistics, please wait..."));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(8);
    auto* caption = new QLabel(QStringLiteral("Processing:"), this);
    m_entry = new QLabel(this);
    m_entry->setObjectName(QStringLiteral("UsageProgressEntry"));
    m_entry->setMinimumWidth(320);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    layout->addWidget(caption);
    layout->addWidget(m_entry);
    layout->addWidget(m_bar);
}

void UsageProgressDialog::Run(const std::function<void(UsageProgressDialog&)>& work, int delayMs)
{
    QTimer::singleShot(std::max(delayMs, 0), this, [this, work] {
        work(*this);
        accept();
    });
    exec();
}

void UsageProgressDialog::ShowEntry(const std::string& label, int percent)
{
    m_entry->setText(DisplayText(label));
    m_bar->setValue(percent);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastPaint >= kRepaintMs || percent >= 100) {
        m_lastPaint = now;
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

QString UsageProgressDialog::EntryText() const
{
    return m_entry->text();
}

int UsageProgressDialog::Percent() const
{
    return m_bar->value();
}

} // namespace dm
