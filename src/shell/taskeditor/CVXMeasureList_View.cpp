// The task list: rows, selection, drags and the step operations.
#include "shell/taskeditor/CVXMeasureList_View.h"

#include "document/NameTables.h"
#include "editors/framework/EditorPage.h"
#include "instrument_files/LanguageInfo.h"
#include "shell/history/DocumentHistory.h"
#include "widgets/CVXSeqStatic.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace stepvane {

QString taskRowLabel(const TaskStep &step)
{
    const QString name = taskListName(step.kind());
    const QString &description = stepDescription(step);
    if (description.isEmpty())
        return name;
    return QStringLiteral("%1 (%2)").arg(name, description);
}

// The scrolled surface under the rows: the hint of an empty list and the
// insertion mark below the last row.
class TaskListCanvas : public QWidget {
public:
    using QWidget::QWidget;
    bool showHint = false;
    int endMarkY = -1; // y of the line below the last row, -1 for none

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        if (showHint) {
            p.setPen(palette().color(QPalette::PlaceholderText));
            p.drawText(rect().adjusted(0, 12, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                       GetMessageText(QStringLiteral("IDS_TASK_STEPS_DESC")));
        }
        if (endMarkY >= 0) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 3));
            p.drawLine(2, endMarkY + 1, width() - 2, endMarkY + 1);
        }
    }
};

namespace {
constexpr int kRowHeight = CVXSeqStatic::kRowHeight;
constexpr int kListWidth = 374;
} // namespace

CVXMeasureList_View::CVXMeasureList_View(AppState &state, UserInterface &ui, QWidget *parent)
    : QScrollArea(parent), m_state(state), m_ui(ui), m_canvas(new TaskListCanvas)
{
    setWidget(m_canvas);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    // The keyboard focus shows as a frame in the highlight colour (the rows
    // fill the list, so it is the list's own frame that changes).
    setObjectName(QStringLiteral("taskList"));
    setStyleSheet(QStringLiteral("#taskList:focus { border: 2px solid palette(highlight); }"));
    setMinimumWidth(kListWidth);
    setMaximumWidth(kListWidth + 2 * frameWidth() + 16);
    layoutCanvas();
}

CVXMeasureList_View::~CVXMeasureList_View() = default;

QWidget *CVXMeasureList_View::canvas() const
{
    return m_canvas;
}

CVXSeqStatic *CVXMeasureList_View::rowWidget(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)] : nullptr;
}

TaskStep *CVXMeasureList_View::selectedStep() const
{
    return m_sequence ? m_sequence->step(m_selected) : nullptr;
}

void CVXMeasureList_View::setSequence(TestingSequence *sequence)
{
    endDrag();
    m_sequence = sequence;
    m_selected = -1;
    m_insertMark = -1;
    refreshRows();
    verticalScrollBar()->setValue(0);
}

void CVXMeasureList_View::showStep(TaskStep *step)
{
    if (m_showStep)
        m_showStep(step);
}

void CVXMeasureList_View::selectRow(int row, bool showPage)
{
    m_selected = (m_sequence && row >= 0 && row < m_sequence->stepCount()) ? row : -1;
    updateLooks();
    if (showPage)
        showStep(selectedStep());
}

// ---- rows -------------------------------------------------------------

void CVXMeasureList_View::refreshRows()
{
    const int count = m_sequence ? m_sequence->stepCount() : 0;
    // Rows are positional: surplus rows go (later, as one of them may be the
    // sender of the command being handled), missing rows are added.
    while (rowCount() > count) {
        CVXSeqStatic *row = m_rows.back();
        m_rows.pop_back();
        row->hide();
        row->deleteLater();
    }
    while (rowCount() < count) {
        auto *row = new CVXSeqStatic(rowCount(), m_canvas);
        connect(row, &CVXSeqStatic::deleteRequested, this, &CVXMeasureList_View::deleteRowAsked);
        m_rows.push_back(row);
        row->show();
    }
    for (int i = 0; i < count; ++i) {
        const TaskStep &step = *m_sequence->step(i);
        m_rows[size_t(i)]->setContent(i, taskRowLabel(step), taskGroup(step.kind()));
    }
    if (m_selected >= count)
        m_selected = count - 1;
    if (m_insertMark > count)
        m_insertMark = -1;
    layoutCanvas();
    updateLooks();
}

void CVXMeasureList_View::clearRows()
{
    setSequence(nullptr);
}

void CVXMeasureList_View::layoutCanvas()
{
    const int width = viewport()->width();
    const int height = std::max(kRowHeight * rowCount(), viewport()->height());
    m_canvas->resize(width, height);
    for (int i = 0; i < rowCount(); ++i)
        m_rows[size_t(i)]->setGeometry(0, i * kRowHeight, width, kRowHeight);
    m_canvas->showHint = rowCount() == 0 && m_sequence;
    m_canvas->update();
}

void CVXMeasureList_View::updateLooks()
{
    for (int i = 0; i < rowCount(); ++i) {
        CVXSeqStatic *row = m_rows[size_t(i)];
        CVXSeqStatic::Look look =
            i == m_selected ? CVXSeqStatic::Look::Selected : CVXSeqStatic::Look::Normal;
        CVXSeqStatic::Mark mark = CVXSeqStatic::Mark::None;
        if (m_dragging && i == m_dragSource && m_dragSide != 0)
            look = m_dragSide < 0 ? CVXSeqStatic::Look::MovingUp : CVXSeqStatic::Look::MovingDown;
        if (m_dragging && i == m_dragTarget && i != m_dragSource)
            mark = CVXSeqStatic::Mark::MoveTarget;
        if (i == m_insertMark)
            mark = CVXSeqStatic::Mark::InsertAbove;
        row->setLook(look);
        row->setMark(mark);
    }
    const int endMark =
        m_insertMark >= 0 && m_insertMark == rowCount() ? rowCount() * kRowHeight : -1;
    if (endMark != m_canvas->endMarkY) {
        m_canvas->endMarkY = endMark;
        m_canvas->update();
    }
}

void CVXMeasureList_View::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    layoutCanvas();
}

void CVXMeasureList_View::scrollToRow(int row)
{
    if (row >= rowCount() - 1)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    else if (row >= 0)
        ensureVisible(0, row * kRowHeight + kRowHeight / 2, 0, kRowHeight / 2);
}

// ---- hit-testing --------------------------------------------------------

int CVXMeasureList_View::rowAt(const QPoint &canvasPos) const
{
    if (canvasPos.x() < 0 || canvasPos.x() >= m_canvas->width() || canvasPos.y() < 0)
        return -1;
    const int row = canvasPos.y() / kRowHeight;
    return row < rowCount() ? row : -1;
}

QPoint CVXMeasureList_View::toCanvas(const QPoint &viewportPos) const
{
    return m_canvas->mapFrom(viewport(), viewportPos);
}

bool CVXMeasureList_View::overViewport(const QPoint &viewportPos) const
{
    return viewport()->rect().contains(viewportPos);
}

bool CVXMeasureList_View::containsGlobal(const QPoint &globalPos) const
{
    return isVisible() && rect().contains(mapFromGlobal(globalPos));
}

int CVXMeasureList_View::insertionIndexAt(const QPoint &globalPos) const
{
    if (!containsGlobal(globalPos))
        return -1;
    const int row = rowAt(m_canvas->mapFromGlobal(globalPos));
    return row >= 0 ? row : rowCount();
}

void CVXMeasureList_View::setInsertMark(int index)
{
    m_insertMark = (index >= 0 && index <= rowCount()) ? index : -1;
    updateLooks();
}

// ---- mouse and keys ---------------------------------------------------------

void CVXMeasureList_View::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const int row = overViewport(pos) ? rowAt(toCanvas(pos)) : -1;
    selectRow(row, true);
    m_dragSource = m_selected;
    m_dragging = false;
    m_dragTarget = -1;
    m_dragSide = 0;
    m_pressPos = pos;
}

void CVXMeasureList_View::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!(event->buttons() & Qt::LeftButton) || m_dragSource < 0)
        return;
    const QPoint pos = event->position().toPoint();
    if (!m_dragging) {
        if ((pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragging = true;
    }
    const bool inside = overViewport(pos);
    std::optional<QCursor> &cursor = m_moveCursors[inside ? 0 : 1];
    if (!cursor)
        cursor = dragCursor(inside ? DragCursor::Move : DragCursor::MoveOutside);
    m_cursor.set(*cursor);
    const QPoint canvasPos = toCanvas(pos);
    const int target = inside ? rowAt(canvasPos) : -1;
    const int top = m_dragSource * kRowHeight;
    const int side = canvasPos.y() < top ? -1 : (canvasPos.y() >= top + kRowHeight ? 1 : 0);
    if (target != m_dragTarget || side != m_dragSide) {
        m_dragTarget = target;
        m_dragSide = side;
        updateLooks();
    }
}

void CVXMeasureList_View::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint pos = event->position().toPoint();
    const int row = overViewport(pos) ? rowAt(toCanvas(pos)) : -1;
    if (event->button() == Qt::RightButton) {
        // The highlighted row and the page shown are always the same step:
        // a right click on a row selects it with its page, elsewhere it
        // leaves both alone.
        if (row >= 0 && row != m_selected)
            selectRow(row, true);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int source = m_dragSource;
    const bool dragged = m_dragging;
    endDrag();
    if (source < 0 || !m_sequence)
        return;
    if (dragged && row >= 0 && row != source && m_history &&
        m_history->moveStep(*m_sequence, source, row)) {
        m_selected = row;
        refreshRows();
        showStep(selectedStep());
        return;
    }
    // Nothing moved; the selection follows the pointer (none off the rows).
    if (row != m_selected)
        selectRow(row, true);
    else
        updateLooks();
}

void CVXMeasureList_View::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is a press as far as the list is concerned.
    mousePressEvent(event);
}

void CVXMeasureList_View::endDrag()
{
    m_dragSource = -1;
    m_dragging = false;
    m_dragTarget = -1;
    m_dragSide = 0;
    m_cursor.clear();
}

void CVXMeasureList_View::moveSelected(int delta)
{
    // As a drag of the row one place up or down: one step of the history.
    const int target = m_selected + delta;
    if (!m_sequence || !m_history || m_selected < 0 || target < 0 ||
        target >= m_sequence->stepCount() || !m_history->moveStep(*m_sequence, m_selected, target))
        return;
    m_selected = target;
    refreshRows();
    showStep(selectedStep());
    scrollToRow(target);
}

void CVXMeasureList_View::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        moveSelected(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Delete:
        deleteSelected(true);
        event->accept();
        return;
    case Qt::Key_Up:
        if (m_selected > 0) {
            selectRow(m_selected - 1, true);
            scrollToRow(m_selected);
        }
        event->accept();
        return;
    case Qt::Key_Down:
        if (m_selected + 1 < rowCount()) {
            selectRow(m_selected + 1, true);
            scrollToRow(m_selected);
        }
        event->accept();
        return;
    default:
        QScrollArea::keyPressEvent(event);
    }
}

// ---- operations ---------------------------------------------------------------

bool CVXMeasureList_View::insertStep(TaskKind kind, int position, bool scrollToEnd)
{
    if (!m_sequence || !m_history || !isStorableKind(kind))
        return false;
    if (m_sequence->stepCount() >= kMaxSteps) {
        m_ui.report(Message::fromId(QStringLiteral("IDS_TASK_OVERFLOW")));
        return false;
    }
    if (position < 0 || position > m_sequence->stepCount())
        position = m_sequence->stepCount();
    TaskStep *step = m_history->insertStep(
        *m_sequence, position,
        makeDefaultRecord(kind, m_state.CurrentModelIndex, m_state.CurrentDistanceUnit),
        QStringLiteral("Insert step"));
    if (!step)
        return false;
    m_selected = position;
    refreshRows();
    showStep(step);
    scrollToRow(scrollToEnd ? rowCount() - 1 : position);
    return true;
}

bool CVXMeasureList_View::pasteStep()
{
    if (!m_sequence || !m_history)
        return false;
    if (m_sequence->stepCount() >= kMaxSteps) {
        m_ui.report(Message::fromId(QStringLiteral("IDS_TASK_OVERFLOW")));
        return false;
    }
    if (!m_state.TaskClipboard || !isStorableKind(m_state.TaskClipboard->kind()))
        return false;
    TaskStep copy;
    copy.copyFrom(*m_state.TaskClipboard);
    if (!m_history->insertStep(*m_sequence, -1, std::move(copy.record),
                               QStringLiteral("Paste step")))
        return false;
    // The selection and the detail pane stay as they were.
    refreshRows();
    scrollToRow(rowCount() - 1);
    return true;
}

void CVXMeasureList_View::copyStep()
{
    const TaskStep *step = selectedStep();
    if (!step)
        return;
    TaskStep copy;
    copy.copyFrom(*step);
    m_state.TaskClipboard = std::move(copy);
}

void CVXMeasureList_View::deleteSelected(bool ask)
{
    if (!selectedStep())
        return;
    if (ask && !m_ui.ask(Message::fromId(QStringLiteral("IDS_DELETE_TASK_ITEM"), {},
                                         MessageIcon::Question)))
        return;
    // The question runs an event loop of its own; look again.
    if (selectedStep())
        removeAt(m_selected);
}

void CVXMeasureList_View::deleteRowAsked(int row)
{
    if (!m_sequence || !m_sequence->step(row))
        return;
    if (!m_ui.ask(
            Message::fromId(QStringLiteral("IDS_DELETE_TASK_ITEM"), {}, MessageIcon::Question)))
        return;
    if (!m_sequence || !m_sequence->step(row))
        return;
    m_selected = row;
    removeAt(row);
}

void CVXMeasureList_View::removeAt(int index)
{
    // The detail pane lets go first: hiding a page may commit a field into
    // the record it shows, which must still exist then.
    showStep(nullptr);
    if (!m_sequence || !m_history || !m_history->removeStep(*m_sequence, index))
        return;
    const int count = m_sequence->stepCount();
    if (count == 0)
        m_selected = -1;
    else if (count == 1)
        m_selected = 0;
    else
        m_selected = std::min(index, count - 1);
    refreshRows();
    showStep(selectedStep());
}

void CVXMeasureList_View::clearAll()
{
    if (!m_sequence)
        return;
    if (m_sequence->stepCount() > 0 &&
        !m_ui.ask(
            Message::fromId(QStringLiteral("IDS_ALL_CLEAR_TASKITEM"), {}, MessageIcon::Question)))
        return;
    showStep(nullptr);
    if (!m_sequence || !m_history)
        return;
    m_history->clearSteps(*m_sequence);
    m_selected = -1;
    refreshRows();
}

} // namespace stepvane
