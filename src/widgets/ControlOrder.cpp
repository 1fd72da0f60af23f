// Keyboard order and names from the layouts.
#include "widgets/ControlOrder.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

#include <algorithm>

namespace stepvane {

namespace {

// Marks a name this code gave, so it follows a label whose text changes.
constexpr char kGivenName[] = "stepvaneGivenName";

bool takesTab(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

// Controls whose children are their own business (a list's viewport, a
// combo box's line edit).
bool isLeaf(const QWidget *w)
{
    return qobject_cast<const QAbstractScrollArea *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QAbstractButton *>(w);
}

// The text a label-like widget shows, without a closing colon: a label, or
// a check button leading a row ("Start frequency" before its field).
QString labelText(const QWidget *w)
{
    QString text;
    if (const auto *label = qobject_cast<const QLabel *>(w))
        text = label->text();
    else if (const auto *button = qobject_cast<const QAbstractButton *>(w);
             button && button->isCheckable())
        text = button->text().remove(u'&');
    text = text.trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

class Walker {
public:
    std::vector<LaidOutControl> found;

    void widget(QWidget *w, const QString &label)
    {
        if (!w || w->isWindow())
            return;
        if (takesTab(w))
            found.push_back({w, label});
        if (!isLeaf(w) && w->layout())
            layout(w->layout(), label);
    }

    void item(QLayoutItem *item, const QString &label)
    {
        if (!item)
            return;
        if (QWidget *w = item->widget())
            widget(w, label);
        else if (QLayout *l = item->layout())
            layout(l, label);
    }

    void layout(QLayout *l, const QString &label)
    {
        if (auto *form = qobject_cast<QFormLayout *>(l))
            formLayout(form, label);
        else if (auto *grid = qobject_cast<QGridLayout *>(l))
            gridLayout(grid, label);
        else if (auto *box = qobject_cast<QBoxLayout *>(l))
            boxLayout(box, label);
        else
            for (int i = 0; i < l->count(); ++i)
                item(l->itemAt(i), label);
    }

private:
    void formLayout(QFormLayout *form, const QString &label)
    {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem *lead = form->itemAt(row, QFormLayout::LabelRole);
            const QString rowLabel = lead ? labelText(lead->widget()) : QString();
            item(lead, label);
            item(form->itemAt(row, QFormLayout::FieldRole), rowLabel.isEmpty() ? label : rowLabel);
            item(form->itemAt(row, QFormLayout::SpanningRole), label);
        }
    }

    struct Cell {
        QLayoutItem *item;
        int row, column, columnSpan;
    };

    void gridLayout(QGridLayout *grid, const QString &label)
    {
        std::vector<Cell> cells;
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            cells.push_back({grid->itemAt(i), row, column, columnSpan});
        }
        std::stable_sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        for (const Cell &cell : cells) {
            QString own = leftLabel(cells, cell);
            if (own.isEmpty())
                own = columnHeading(cells, cell);
            item(cell.item, own.isEmpty() ? label : own);
        }
    }

    // The nearest label to the left in the same row.
    static QString leftLabel(const std::vector<Cell> &cells, const Cell &of)
    {
        QString text;
        int best = -1;
        for (const Cell &cell : cells)
            if (cell.row == of.row && cell.column < of.column && cell.column > best)
                if (const QString t = labelText(cell.item->widget()); !t.isEmpty()) {
                    text = t;
                    best = cell.column;
                }
        return text;
    }

    // The heading over the cell, from the grid's first row when that row
    // holds labels only: a table's column heading with the row's number
    // under it ("Type 2"), or a section heading across the grid.
    static QString columnHeading(const std::vector<Cell> &cells, const Cell &of)
    {
        if (of.row == 0)
            return {};
        for (const Cell &cell : cells)
            if (cell.row == 0 && !qobject_cast<QLabel *>(cell.item->widget()))
                return {};
        for (const Cell &cell : cells) {
            if (cell.row != 0 || of.column < cell.column ||
                of.column >= cell.column + cell.columnSpan)
                continue;
            const QString text = labelText(cell.item->widget());
            if (text.isEmpty())
                return {};
            return cell.columnSpan == 1 ? QStringLiteral("%1 %2").arg(text).arg(of.row) : text;
        }
        return {};
    }

    void boxLayout(QBoxLayout *box, const QString &label)
    {
        const bool reversed = box->direction() == QBoxLayout::RightToLeft ||
                              box->direction() == QBoxLayout::BottomToTop;
        const bool across = box->direction() == QBoxLayout::LeftToRight ||
                            box->direction() == QBoxLayout::RightToLeft;
        QString lastLabel;
        for (int k = 0; k < box->count(); ++k) {
            QLayoutItem *it = box->itemAt(reversed ? box->count() - 1 - k : k);
            // Across a line, a label names what follows it.
            if (const auto *l = qobject_cast<QLabel *>(it->widget()); across && l) {
                lastLabel = labelText(l);
                continue;
            }
            item(it, lastLabel.isEmpty() ? label : lastLabel);
        }
    }
};

} // namespace

std::vector<LaidOutControl> laidOutControls(QWidget *root)
{
    Walker walker;
    if (root && root->layout())
        walker.layout(root->layout(), QString());
    return std::move(walker.found);
}

namespace {

bool insideLeaf(const QWidget *w, const QWidget *root)
{
    for (const QWidget *p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (isLeaf(p))
            return true;
    return false;
}

// Enter on a focused button presses it, as Space does; a button that is not
// focused is never pressed by Enter (a form has no default button).
class EnterPresses final : public QObject {
public:
    static EnterPresses &instance()
    {
        static EnterPresses filter;
        return filter;
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *button = static_cast<QAbstractButton *>(watched);
        if (button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void arrangeControls(QWidget *root)
{
    // Every button of a form is on the Tab path (without taking the focus
    // from a click) and takes Enter.
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (insideLeaf(button, root))
            continue; // a table's corner button is the table's business
        if (!(button->focusPolicy() & Qt::TabFocus))
            button->setFocusPolicy(Qt::TabFocus);
        button->removeEventFilter(&EnterPresses::instance());
        button->installEventFilter(&EnterPresses::instance());
    }
    const std::vector<LaidOutControl> controls = laidOutControls(root);
    for (size_t i = 0; i < controls.size(); ++i) {
        QWidget *w = controls[i].widget;
        if (i > 0)
            QWidget::setTabOrder(controls[i - 1].widget, w);
        if (!w->accessibleName().isEmpty() && !w->property(kGivenName).toBool())
            continue; // named by its maker
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        if (button && !button->text().isEmpty())
            continue; // a button is read by its own text
        const QString name = !controls[i].label.isEmpty() ? controls[i].label : w->toolTip();
        if (name.isEmpty())
            continue;
        w->setAccessibleName(name);
        w->setProperty(kGivenName, true);
    }
}

} // namespace stepvane
