// The row blocks of the editor pages.
#include "editors/framework/PageGrid.h"

#include "widgets/CVXEdit.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace stepvane {

namespace {
constexpr int kLeadColumn = 0;
constexpr int kFieldColumn = 1;
constexpr int kUnitColumn = 2;
constexpr int kColumns = 4; // the last one takes the spare width
constexpr int kNumberWidth = 96;
} // namespace

std::vector<QWidget *> PageGrid::Row::widgets() const
{
    std::vector<QWidget *> all;
    for (QWidget *w : {lead, field, static_cast<QWidget *>(unit), static_cast<QWidget *>(hint)})
        if (w)
            all.push_back(w);
    return all;
}

PageGrid::PageGrid(const QString &heading, QWidget *parent)
    : QWidget(parent), m_grid(new QGridLayout(this))
{
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(kLeadGap);
    m_grid->setVerticalSpacing(4);
    m_grid->setColumnMinimumWidth(kLeadColumn, kLeadWidth);
    m_grid->setColumnStretch(kColumns - 1, 1);
    if (!heading.isEmpty()) {
        m_heading = new QLabel(heading, this);
        QFont bold = m_heading->font();
        bold.setBold(true);
        m_heading->setFont(bold);
        m_grid->addWidget(m_heading, m_rows++, 0, 1, kColumns);
    }
}

PageGrid::Row PageGrid::addRow(QWidget *lead, QWidget *field, const QString &unit,
                               const QString &hint)
{
    Row row;
    row.lead = lead;
    row.field = field;
    if (lead)
        m_grid->addWidget(lead, m_rows, kLeadColumn);
    if (auto *edit = qobject_cast<CVXEdit *>(field); edit && edit->inputClass() != 0)
        edit->setFixedWidth(kNumberWidth);
    // A field without a unit (a list, a radio pair) may take the unit's
    // place too, so it never pushes the units of the other rows aside.
    if (field)
        m_grid->addWidget(field, m_rows, kFieldColumn, 1,
                          unit.isEmpty() ? kColumns - kFieldColumn : 1);
    if (!unit.isEmpty()) {
        row.unit = new QLabel(unit, this);
        m_grid->addWidget(row.unit, m_rows, kUnitColumn);
    }
    ++m_rows;
    if (!hint.isEmpty()) {
        row.hint = new QLabel(hint, this);
        styleHint(row.hint);
        // Under a check button the hint lines up with the button's text.
        row.hint->setIndent(qobject_cast<QAbstractButton *>(lead) ? 22 : 0);
        m_grid->addWidget(row.hint, m_rows++, 0, 1, kColumns);
    }
    return row;
}

PageGrid::Row PageGrid::addRow(const QString &label, QWidget *field, const QString &unit,
                               const QString &hint)
{
    return addRow(label.isEmpty() ? nullptr : new QLabel(label, this), field, unit, hint);
}

void PageGrid::addWide(QWidget *widget)
{
    m_grid->addWidget(widget, m_rows++, 0, 1, kColumns);
}

QLabel *PageGrid::addNote(const QString &text)
{
    auto *note = new QLabel(text, this);
    styleHint(note);
    note->setWordWrap(true);
    addWide(note);
    return note;
}

QWidget *PageGrid::inLine(std::initializer_list<QWidget *> widgets, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    for (QWidget *w : widgets)
        layout->addWidget(w);
    layout->addStretch(1);
    return box;
}

void PageGrid::styleHint(QLabel *label)
{
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    label->setPalette(palette);
}

} // namespace stepvane
