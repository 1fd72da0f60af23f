// The tag-identifier dialog.
#include "editors/dialogs/CTallyvaultDlg.h"

#include "widgets/ControlOrder.h"
#include "widgets/TextFieldRules.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace stepvane {

const QStringList &CTallyvaultDlg::rowNames()
{
    static const QStringList names = {
        QStringLiteral("Work Folder"), QStringLiteral("Work Order ID"), QStringLiteral("Site-ID"),
        QStringLiteral("Sector"),      QStringLiteral("Technology"),    QStringLiteral("Test Type"),
        QStringLiteral("Termination")};
    return names;
}

CTallyvaultDlg::CTallyvaultDlg(const TagTexts &values, QWidget *parent)
    : InfoDialog(parent), m_list(new QTableWidget(kTagCount, 2, this)),
      m_edit(new QLineEdit(m_list->viewport()))
{
    setWindowTitle(QStringLiteral("Tag ID"));
    m_list->setObjectName(QStringLiteral("tags"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setColumnWidth(0, 130);
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < kTagCount; ++row) {
        m_list->setItem(row, 0, new QTableWidgetItem(rowNames().at(row)));
        m_list->setItem(row, 1, new QTableWidgetItem(fixedTagText(values[size_t(row)])));
    }
    m_list->setMinimumSize(380, m_list->horizontalHeader()->height() +
                                    kTagCount * m_list->rowHeight(0) + 2 * m_list->frameWidth());

    m_edit->setObjectName(QStringLiteral("tagValue"));
    limitLength(m_edit, kFixedText512);
    m_edit->hide();
    m_edit->installEventFilter(this);
    m_edit->setAccessibleName(QStringLiteral("Value"));
    m_list->setAccessibleName(QStringLiteral("Tag identifiers"));
    m_list->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(closeButton(), 0, Qt::AlignRight);

    connect(m_list, &QTableWidget::cellClicked, this, [this](int row, int) { editRow(row); });
    arrangeControls(this);
    keepWizardTextIn(this);
}

TagTexts CTallyvaultDlg::values() const
{
    TagTexts out;
    for (int row = 0; row < kTagCount; ++row)
        out[size_t(row)] = fixedTagText(m_list->item(row, 1)->text());
    // A value still being typed when the dialog is closed is kept.
    if (m_editRow >= 0)
        out[size_t(m_editRow)] = fixedTagText(m_edit->text());
    return out;
}

void CTallyvaultDlg::editRow(int row)
{
    if (row < 0 || row >= kTagCount)
        return;
    finishEdit();
    QTableWidgetItem *cell = m_list->item(row, 1);
    m_editRow = row;
    m_edit->setText(cell->text());
    m_edit->setGeometry(m_list->visualItemRect(cell));
    m_edit->show();
    m_edit->setFocus(Qt::MouseFocusReason);
}

void CTallyvaultDlg::finishEdit()
{
    if (m_editRow < 0)
        return;
    const int row = m_editRow;
    m_editRow = -1;
    m_list->item(row, 1)->setText(fixedTagText(m_edit->text()));
    m_edit->hide();
}

bool CTallyvaultDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::FocusOut)
        finishEdit();
    // Enter works the table, never the dialog's Close: on a row it edits the
    // value, in the value it keeps the text and goes back to the row.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_list) {
                editRow(m_list->currentRow());
                return true;
            }
            if (watched == m_edit) {
                const int row = m_editRow;
                finishEdit();
                m_list->setFocus(Qt::OtherFocusReason);
                m_list->setCurrentCell(row, 1);
                return true;
            }
        }
    }
    return InfoDialog::eventFilter(watched, event);
}

} // namespace stepvane
