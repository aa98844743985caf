// The port status panel's header band: title, meters and the four tool
// buttons with their actions.

#include "common/userinteraction.h"
#include "framework/displaytext.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/dialogs/sendmessagedialog.h"

#include <QPainter>
#include <QToolButton>

namespace dm {

namespace {
const char* const kButtonNames[] = {"Disconnect Session", "Send Message", "View User Properties",
                                    "Reset Statistics"};
constexpr int kButtonSize = 40;
constexpr int kButtonsLeft = 236;
constexpr int kButtonsTop = 50;
constexpr int kMeterWidth = 190;
constexpr int kMeterHeight = 16;
} // namespace

QRect CNewPort::ButtonRect(int button) const
{
    return {kButtonsLeft + button * (kButtonSize + 8), kButtonsTop, kButtonSize, kButtonSize};
}

QRect CNewPort::MeterRect(bool incoming) const
{
    return {14, incoming ? 53 : 73, kMeterWidth, kMeterHeight};
}

void CNewPort::CreateButtons()
{
    // The texts carry the mnemonics; the buttons show their icons only.
    const char* const texts[] = {"&Disconnect Session", "Send &Message", "View &User Properties", "&Reset Statistics"};
    const char* const keys[] = {"Alt+D", "Alt+M", "Alt+U", "Alt+R"};
    for (int b = 0; b < ButtonCount; ++b) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(kButtonNames[b]));
        button->setText(QString::fromLatin1(texts[b]));
        button->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kButtonNames[b]),
                                                         QString::fromLatin1(keys[b])));
        button->setAccessibleName(QString::fromLatin1(kButtonNames[b]));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setIconSize(QSize(26, 26));
        button->setGeometry(ButtonRect(b));
        connect(button, &QToolButton::clicked, this, [this, b] { RunAction(b); });
        m_buttons[static_cast<size_t>(b)] = button;
    }
    UpdateButtons();
}

void CNewPort::UpdateButtons()
{
    for (int b = 0; b < ButtonCount; ++b) {
        QToolButton* button = m_buttons[static_cast<size_t>(b)];
        if (!button)
            continue;
        // Without a user only Reset Statistics acts; the others look inactive.
        const bool active = m_userConnected || b == ResetStatistics;
        button->setIcon(Icons::ToolButton(static_cast<Icons::Tool>(b), active));
        button->setEnabled(active);
    }
}

std::string CNewPort::DisconnectQuestion() const
{
    // Names the session that Yes ends, so that the person sees which one it is.
    return "Are you sure you want to disconnect the current user?\n\n" + m_account + " on " + m_port + " (" +
           m_server + ")";
}

void CNewPort::RunAction(int button)
{
    // The buttons act on the port whose lines the panel shows.
    const std::string server = m_server;
    const std::string port = m_port;
    UserInteraction& ui = m_doc.Interaction();
    switch (button) {
    case Disconnect:
        if (ui.ShowMessage(DisconnectQuestion(), kMessageCaption, Buttons::YesNo, Icon::Question) == Answer::Yes) {
            m_doc.DisconnectPort(server, port);
            Refresh();
        }
        break;
    case SendMessage: {
        // The addressee is the calling computer, else the user's name.
        const QString computerLine = LineText(PortStatusLines::ComputerName);
        QString addressee = computerLine.mid(16);
        if (addressee.isEmpty())
            addressee = DisplayText(m_userName);
        CSendMessageDialog dialog(addressee, m_doc.Interaction(), window());
        dialog.exec();
        break;
    }
    case UserProperties: {
        if (m_doc.DatabaseDirectory().empty() || !m_extensions.userProperties)
            break;
        // The account as the port gave it, not the shown line turned back.
        const std::string account = m_account;
        if (m_extensions.userProperties(window(), account))
            m_doc.SaveUserSettings();
        break;
    }
    case ResetStatistics:
        if (ui.ShowMessage("Are you sure you want to reset the statistic counters for this port?", kMessageCaption,
                           Buttons::YesNo, Icon::Question) == Answer::Yes)
        {
            m_doc.ClearPortStatistics(server, port);
            Refresh();
        }
        break;
    default: return;
    }
    Q_EMIT actionRan(button);
}

void CNewPort::DrawMeter(QPainter& painter, bool incoming) const
{
    QRect r = MeterRect(incoming);
    // A sunken edge, then the black well.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    r.adjust(1, 1, -1, -1);
    painter.fillRect(r, Qt::black);
    QFont small = font();
    small.setPixelSize(10);
    small.setBold(true);
    painter.setFont(small);
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(QRect(r.left() + 4, r.top() + 1, 30, r.height() - 2), Qt::AlignVCenter | Qt::AlignLeft,
                     incoming ? QStringLiteral("IN") : QStringLiteral("OUT"));
    const int rate = MeterRates::Shown(incoming ? m_rates.InRate() : m_rates.OutRate());
    const int x0 = r.left() + 35;
    const int lit = MeterRates::LitLength(rate, r.width() - 45);
    const QPen bright(QColor(0, 255, 0));
    const QPen dark(QColor(0, 128, 0));
    for (int x = x0; x < r.right() - 4; x += 4) {
        painter.setPen(x < x0 + lit && rate != 0 ? bright : dark);
        for (int dx = 0; dx < 3; ++dx)
            painter.drawLine(x + dx, r.top() + 2, x + dx, r.bottom() - 2);
    }
}

void CNewPort::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect band(0, 0, width(), kBandHeight);
    painter.fillRect(band, palette().color(QPalette::Base));
    Icons::Card(m_error ? Icons::PortCard::Fault
                        : m_userConnected ? Icons::PortCard::Session : Icons::PortCard::Idle)
        .paint(&painter, QRect(14, 8, 32, 32));
    QFont title = font();
    title.setPointSize(13);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(56, 8, width() - 60, 32), Qt::AlignVCenter | Qt::AlignLeft, Title());
    // The separators: one across the band, three between its parts.
    painter.setPen(QPen(palette().color(QPalette::Midlight), 1));
    painter.drawLine(0, 46, width(), 46);
    painter.drawLine(kButtonsLeft - 14, 50, kButtonsLeft - 14, kBandHeight - 4);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawLine(0, kBandHeight, width(), kBandHeight);
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawMeter(painter, true);
    DrawMeter(painter, false);
}

} // namespace dm
