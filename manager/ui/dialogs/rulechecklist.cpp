#include "manager/ui/dialogs/rulechecklist.h"

#include <QKeyEvent>

namespace dm {

CRuleCheckList::CRuleCheckList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setSpacing(2);
    connect(this, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current, QListWidgetItem* previous) {
                if (current != nullptr)
                    Q_EMIT ruleSelected(previous ? row(previous) : -1, row(current));
            });
}

void CRuleCheckList::AddRule(const QString& label, bool checked)
{
    auto* item = new QListWidgetItem(label, this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool CRuleCheckList::IsChecked(int rule) const
{
    const QListWidgetItem* it = item(rule);
    return it != nullptr && it->checkState() == Qt::Checked;
}

void CRuleCheckList::SetChecked(int rule, bool checked)
{
    if (QListWidgetItem* it = item(rule))
        it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CRuleCheckList::keyPressEvent(QKeyEvent* event)
{
    // The space bar switches the selected rule, as in any check list.
    if (event->key() == Qt::Key_Space && currentItem() != nullptr) {
        SetChecked(currentRow(), !IsChecked(currentRow()));
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace dm
