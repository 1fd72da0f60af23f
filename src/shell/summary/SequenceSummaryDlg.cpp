// The sequence summary dialog: read-only title, one list line per step.
#include "shell/summary/SequenceSummaryDlg.h"

#include "summary/SummaryRows.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace stepvane {

SequenceSummaryDlg::SequenceSummaryDlg(const TestingSequence &sequence, QWidget *parent)
    : QDialog(parent), m_title(new QLineEdit(this)), m_steps(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Testing  summary"));
    setModal(true);

    m_title->setReadOnly(true);
    m_title->setText(sequence.Title);
    m_title->setCursorPosition(0);
    m_steps->addItems(sequenceSummaryLines(sequence));
    m_steps->setSelectionMode(QAbstractItemView::NoSelection);
    m_steps->setFocusPolicy(Qt::NoFocus);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_steps, 1);
    layout->addWidget(buttons);
    resize(420, 360);
}

void SequenceSummaryDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        placeBesideParent();
    }
}

void SequenceSummaryDlg::placeBesideParent()
{
    // Beside the parent's window, whatever widget inside it asked for the
    // dialog: left edge at its right edge, top kTopOffset below its top.
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    const QRect frame = owner->frameGeometry();
    move(frame.x() + frame.width(), frame.y() + kTopOffset);
}

void ShowSequenceSummary(QWidget *parent, const TestingSequence &sequence)
{
    SequenceSummaryDlg dialog(sequence, parent);
    dialog.exec();
}

} // namespace stepvane
