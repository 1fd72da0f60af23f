// The cable list dialog.
#include "editors/dialogs/CCableListDlg.h"

#include "widgets/ControlOrder.h"
#include "widgets/TextFieldRules.h"

#include "common/NumberText.h"
#include "document/ModelTables.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace stepvane {

namespace {
constexpr int kColumnWidths[] = {120, 100, 100, 100};
} // namespace

QString CCableListDlg::shownLoss1GHz(const CableEntry &cable, int unit)
{
    if (unit == 0)
        return cable.loss1GHz;
    return formatDecimal(parseDecimalText(cable.loss1GHz) / kFeetPerMetre, kCableDecimals);
}

CCableListDlg::CCableListDlg(std::vector<CableEntry> cables, int unit, QWidget *parent)
    : QDialog(parent), m_cables(std::move(cables)), m_list(new QTableWidget(this))
{
    setWindowTitle(QStringLiteral("Cable List"));
    m_list->setObjectName(QStringLiteral("cableList"));
    m_list->setColumnCount(4);
    m_list->setHorizontalHeaderLabels({QStringLiteral("Cable Name"), QStringLiteral("Velocity"),
                                       QStringLiteral("Loss @ 1Ghz"),
                                       QStringLiteral("Loss @ 2Ghz")});
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, kColumnWidths[column]);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    m_list->horizontalHeader()->setStretchLastSection(true);
    fill(unit);

    connect(m_list, &QTableWidget::cellClicked, this, [this](int row, int column) {
        m_row = row;
        m_column = column;
    });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        m_row = row;
        m_column = column;
        accept();
    });

    auto *apply = new QPushButton(QStringLiteral("Apply"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    apply->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CCableListDlg::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    m_list->setAccessibleName(QStringLiteral("Cable list"));
    arrangeControls(this);
    keepWizardTextIn(this);
    resize(460, 320);
}

void CCableListDlg::fill(int unit)
{
    m_list->setRowCount(int(m_cables.size()));
    for (int row = 0; row < int(m_cables.size()); ++row) {
        const CableEntry &cable = m_cables[size_t(row)];
        const QString cells[] = {cable.name, cable.velocity, shownLoss1GHz(cable, unit),
                                 cable.loss2GHz};
        for (int column = 0; column < 4; ++column)
            m_list->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

const CableEntry *CCableListDlg::chosenCable() const
{
    if (m_row < 0 || m_row >= int(m_cables.size()))
        return nullptr;
    return &m_cables[size_t(m_row)];
}

void CCableListDlg::reject()
{
    m_row = -1;
    m_column = 0;
    QDialog::reject();
}

} // namespace stepvane
