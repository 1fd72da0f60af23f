// The findings window.
#include "shell/check/CheckFindingsDlg.h"

#include "document/NameTables.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace stepvane {

namespace {

enum Column { SeverityColumn, PlaceColumn, FieldColumn, MessageColumn };

} // namespace

CheckFindingsDlg::CheckFindingsDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CheckFindingsDlg"));
    setWindowTitle(QStringLiteral("Check wizard"));
    setModal(false);

    m_tally = new QLabel(this);
    m_tally->setObjectName(QStringLiteral("tally"));
    m_tally->setWordWrap(true);

    m_send = new QLabel(this);
    m_send->setObjectName(QStringLiteral("sendEstimate"));
    m_send->setWordWrap(true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("findings"));
    m_list->setRootIsDecorated(false);
    // Long sentences wrap onto more lines of their row rather than being cut.
    m_list->setUniformRowHeights(false);
    m_list->setWordWrap(true);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHeaderLabels(
        {QString(), QStringLiteral("Where"), QStringLiteral("Field"), QStringLiteral("Finding")});
    m_list->header()->setSectionResizeMode(SeverityColumn, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(PlaceColumn, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(FieldColumn, QHeaderView::ResizeToContents);
    connect(m_list, &QTreeWidget::itemClicked, this, &CheckFindingsDlg::rowClicked);

    m_again = new QPushButton(QStringLiteral("Check again"), this);
    m_again->setObjectName(QStringLiteral("checkAgain"));
    m_again->setAutoDefault(false);
    connect(m_again, &QPushButton::clicked, this, &CheckFindingsDlg::checkAgainRequested);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_again);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tally);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_send);
    layout->addLayout(buttons);
    resize(1040, 400);
}

void CheckFindingsDlg::showFindings(const std::vector<Finding> &findings, const WizardDocument &doc,
                                    int model)
{
    m_findings = findings;
    m_list->clear();
    if (findings.empty())
        m_tally->setText(QStringLiteral("No errors or warnings for the %1.").arg(modelName(model)));
    else
        m_tally->setText(
            QStringLiteral("For the %1: %2.").arg(modelName(model), findingsTally(findings)));

    QStyle *style = QApplication::style();
    const QIcon errorIcon = style->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style->standardIcon(QStyle::SP_MessageBoxWarning);
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding &f = findings[i];
        const bool error = f.severity == Severity::Error;
        auto *item = new QTreeWidgetItem(m_list);
        item->setIcon(SeverityColumn, error ? errorIcon : warningIcon);
        item->setToolTip(SeverityColumn,
                         error ? QStringLiteral("Error") : QStringLiteral("Warning"));
        QString place = findingPlace(f, doc);
        place[0] = place[0].toUpper();
        item->setText(PlaceColumn, place);
        item->setText(FieldColumn, findingFieldLabel(f, doc));
        item->setToolTip(FieldColumn, f.field); // the name in the file, for the curious
        item->setText(MessageColumn, f.message);
        item->setToolTip(MessageColumn, f.message);
        item->setData(SeverityColumn, Qt::UserRole, int(i));
    }
}

void CheckFindingsDlg::showSendEstimate(const SendEstimate &estimate)
{
    m_send->setText(sendEstimateText(estimate));
    m_send->setVisible(estimate.known());
}

const Finding *CheckFindingsDlg::findingAt(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item)
        return nullptr;
    const int index = item->data(SeverityColumn, Qt::UserRole).toInt();
    return index >= 0 && size_t(index) < m_findings.size() ? &m_findings[size_t(index)] : nullptr;
}

void CheckFindingsDlg::rowClicked(QTreeWidgetItem *item)
{
    const Finding *f = findingAt(m_list->indexOfTopLevelItem(item));
    if (f && f->sequence >= 0)
        emit findingChosen(f->sequence, f->step);
}

} // namespace stepvane
