#include "manager/ui/frame/historybar.h"

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "manager/core/dmdoc.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace dm {

namespace {

QFrame* Separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QToolButton* Arrow(Qt::ArrowType type, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(type);
    button->setAutoRaise(true);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

CHistoryBar::CHistoryBar(CDMDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc), m_now(NowTime)
{
    setObjectName(QStringLiteral("HistoryBar"));
    setToolTip(QString());
    m_back = Arrow(Qt::LeftArrow, QStringLiteral("Back One Day"), this);
    m_forward = Arrow(Qt::RightArrow, QStringLiteral("Forward One Day"), this);
    m_scope = new QLabel(this);
    m_scope->setMinimumWidth(300);
    m_count = new QLabel(this);
    m_count->setMinimumWidth(110);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(6);
    layout->addWidget(m_back);
    layout->addWidget(m_scope);
    layout->addWidget(m_forward);
    layout->addWidget(Separator(this));
    layout->addWidget(m_count);
    layout->addWidget(Separator(this));
    layout->addStretch(1);
    connect(m_back, &QToolButton::clicked, this, [this] { StepDays(-1); });
    connect(m_forward, &QToolButton::clicked, this, [this] { StepDays(1); });

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer85"));
    m_timer->setInterval(ScopeReloadTimer::kPeriodMs);
    connect(m_timer, &QTimer::timeout, this, &CHistoryBar::OnTimerTick);
    m_timer->start();
    m_doc.AddObserver(this);
    UpdateTexts();
}

CHistoryBar::~CHistoryBar()
{
    m_doc.RemoveObserver(this);
}

void CHistoryBar::OnDocumentUpdate(DocumentObserver*, int)
{
    UpdateTexts();
}

void CHistoryBar::StepDays(int days)
{
    if (!HistoryScopeSteps(m_doc.BrowseScope()))
        return;
    m_doc.SetHistoryDate(StepHistoryDate(m_doc.HistoryDate(), days));
    UpdateTexts();
}

void CHistoryBar::OnTimerTick()
{
    if (m_reload.Tick(m_doc.HistoryDate())) {
        m_doc.LoadActivityLog();
        m_doc.UpdateAllViews(nullptr, hint::DataChanged);
    }
    UpdateTexts();
}

void CHistoryBar::UpdateTexts()
{
    const int scope = m_doc.BrowseScope();
    m_scope->setText(QString::fromStdString(HistoryScopeText(scope, m_doc.HistoryDate(), m_now())));
    m_count->setText(QString::fromStdString(HistoryRecordCountText(m_doc.Log().Count())));
    const bool steps = HistoryScopeSteps(scope);
    m_back->setVisible(steps);
    m_forward->setVisible(steps);
}

} // namespace dm
