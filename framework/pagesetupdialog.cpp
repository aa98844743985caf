#include "framework/pagesetupdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinter>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace dm {

namespace {

const QPageSize::PageSizeId kPaperSizes[] = {QPageSize::A4,     QPageSize::Letter, QPageSize::Legal,
                                             QPageSize::A3,     QPageSize::A5,     QPageSize::B5,
                                             QPageSize::Executive};

} // namespace

CPageSetupDialog::CPageSetupDialog(QPrinter* printer, QWidget* parent)
    : QDialog(parent), m_printer(printer)
{
    setWindowTitle(QStringLiteral("Print Setup"));
    const QPageLayout current = printer->pageLayout();

    auto* paperBox = new QGroupBox(QStringLiteral("Paper"), this);
    m_paper = new QComboBox(paperBox);
    for (QPageSize::PageSizeId id : kPaperSizes)
        m_paper->addItem(QPageSize::name(id), static_cast<int>(id));
    const int found = m_paper->findData(static_cast<int>(current.pageSize().id()));
    if (found >= 0) {
        m_paper->setCurrentIndex(found);
    } else {
        // A size of the printer's own keeps its place in the list.
        m_paper->addItem(current.pageSize().name(), static_cast<int>(current.pageSize().id()));
        m_paper->setCurrentIndex(m_paper->count() - 1);
    }
    auto* paperForm = new QFormLayout(paperBox);
    paperForm->addRow(QStringLiteral("Si&ze:"), m_paper);

    auto* orientationBox = new QGroupBox(QStringLiteral("Orientation"), this);
    m_portrait = new QRadioButton(QStringLiteral("P&ortrait"), orientationBox);
    m_landscape = new QRadioButton(QStringLiteral("&Landscape"), orientationBox);
    (current.orientation() == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);
    auto* orientationLayout = new QHBoxLayout(orientationBox);
    orientationLayout->addWidget(m_portrait);
    orientationLayout->addWidget(m_landscape);

    auto* marginBox = new QGroupBox(QStringLiteral("Margins (millimeters)"), this);
    auto* marginForm = new QFormLayout(marginBox);
    const QMarginsF margins = current.margins(QPageLayout::Millimeter);
    const double values[4] = {margins.left(), margins.top(), margins.right(), margins.bottom()};
    const char* labels[4] = {"Le&ft:", "&Top:", "&Right:", "&Bottom:"};
    for (int side = 0; side < 4; ++side) {
        m_margins[side] = new QDoubleSpinBox(marginBox);
        m_margins[side]->setRange(0.0, 100.0);
        m_margins[side]->setDecimals(1);
        m_margins[side]->setValue(values[side]);
        marginForm->addRow(QString::fromLatin1(labels[side]), m_margins[side]);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPageSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(paperBox);
    layout->addWidget(orientationBox);
    layout->addWidget(marginBox);
    layout->addWidget(buttons);
}

QPageLayout CPageSetupDialog::Layout() const
{
    const QPageSize size(static_cast<QPageSize::PageSizeId>(m_paper->currentData().toInt()));
    const QMarginsF margins(m_margins[0]->value(), m_margins[1]->value(), m_margins[2]->value(),
                            m_margins[3]->value());
    QPageLayout layout(size, m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Millimeter);
    // Margins wider than the page allows are cut to what fits.
    const QMarginsF most = layout.maximumMargins();
    layout.setMargins(QMarginsF(std::min(margins.left(), most.left()), std::min(margins.top(), most.top()),
                                std::min(margins.right(), most.right()),
                                std::min(margins.bottom(), most.bottom())));
    return layout;
}

void CPageSetupDialog::accept()
{
    m_printer->setPageLayout(Layout());
    QDialog::accept();
}

} // namespace dm
