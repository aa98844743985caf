// The port status panel's header band: title, meters and the four tool
// buttons with their hover states and actions.

#include "common/userinteraction.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/dialogs/sendmessagedialog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

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

bool CNewPort::ButtonInert(int button) const
{
    return !m_userConnected && button != ResetStatistics;
}

void CNewPort::OnCursorAt(const QPoint& pos)
{
    bool overAny = false;
    for (int b = 0; b < ButtonCount; ++b) {
        ButtonState& state = m_buttonStates[static_cast<size_t>(b)];
        if (ButtonRect(b).contains(pos)) {
            overAny = true;
            const QString name = QString::fromLatin1(kButtonNames[b]);
            if (m_toolTip != name)
                m_toolTip = name;
            if (!m_toolTipActive || QToolTip::text() != name) {
                m_toolTipActive = true;
                if (isVisible())
                    QToolTip::showText(mapToGlobal(ButtonRect(b).bottomLeft()), name, this, ButtonRect(b));
            }
            // Without a user only Reset Statistics reacts.
            if (ButtonInert(b))
                continue;
            if (state == Flat) {
                state = Raised;
                update(ButtonRect(b).adjusted(-2, -2, 2, 2));
            } else if (state == Pressed) {
                update(ButtonRect(b).adjusted(-2, -2, 2, 2));
                RunAction(b);
            }
        } else if (state != Flat) {
            state = Flat;
            update(ButtonRect(b).adjusted(-2, -2, 2, 2));
        }
    }
    if (!overAny && m_toolTipActive) {
        m_toolTipActive = false;
        QToolTip::hideText();
    }
}

void CNewPort::OnLeftDown(const QPoint& pos)
{
    for (ButtonState& state : m_buttonStates)
        if (state == Raised)
            state = Pressed;
    OnCursorAt(pos);
}

void CNewPort::OnLeftUp(const QPoint& pos)
{
    for (ButtonState& state : m_buttonStates)
        if (state == Pressed)
            state = Flat;
    OnCursorAt(pos);
}

void CNewPort::mouseMoveEvent(QMouseEvent* event)
{
    OnCursorAt(event->position().toPoint());
}

void CNewPort::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLeftDown(event->position().toPoint());
}

void CNewPort::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLeftUp(event->position().toPoint());
}

void CNewPort::leaveEvent(QEvent* event)
{
    OnCursorAt(QPoint(-1, -1));
    QWidget::leaveEvent(event);
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
            addressee = QString::fromStdString(m_userName);
        CSendMessageDialog dialog(addressee, m_doc.Interaction(), window());
        dialog.exec();
        break;
    }
    case UserProperties: {
        if (m_doc.DatabaseDirectory().empty() || !m_extensions.userProperties)
            break;
        const std::string account = LineText(PortStatusLines::UserAccount).mid(12).toStdString();
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
    // The button is released by the dialog's mouse grab; it is flat again.
    m_buttonStates[static_cast<size_t>(button)] = Flat;
    update();
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

void CNewPort::DrawButton(QPainter& painter, int button) const
{
    const QRect r = ButtonRect(button);
    const ButtonState state = m_buttonStates[static_cast<size_t>(button)];
    if (state != Flat) {
        QColor fill = palette().color(QPalette::Highlight);
        fill.setAlpha(state == Pressed ? 70 : 30);
        QColor line = palette().color(QPalette::Highlight);
        line.setAlpha(state == Pressed ? 220 : 130);
        painter.setPen(QPen(line, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(r).adjusted(-0.5, -0.5, 0.5, 0.5), 6, 6);
    }
    // Reset Statistics keeps its active look; the others follow the user.
    const bool active = m_userConnected || button == ResetStatistics;
    const QIcon icon = Icons::ToolButton(static_cast<Icons::Tool>(button), active);
    QRect iconRect(0, 0, 26, 26);
    iconRect.moveCenter(r.center());
    if (state == Pressed)
        iconRect.translate(1, 1);
    icon.paint(&painter, iconRect);
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
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int b = 0; b < ButtonCount; ++b)
        DrawButton(painter, b);
}

} // namespace dm
