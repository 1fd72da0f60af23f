// Task palettes: entries, double click and drag.
#include "shell/taskeditor/CVXCommandItems_View.h"

#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "widgets/CVXCMDItemStatic.h"
#include "widgets/ControlLook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace stepvane {

std::vector<PaletteEntry> paletteEntries(int group, int modelIndex)
{
    switch (group) {
    case 0:
        return {{"Load", TaskLoad},
                {"Save", TaskSave},
                {"Prompt", TaskPrompt},
                {"Consolidated report", TaskReport},
                {"Calibration", TaskCalibration}};
    case 1: {
        std::vector<PaletteEntry> entries = {{"Measure mode", TaskMeasureMode},
                                             {"Frequency/Distance", TaskFrequencyDistance},
                                             {"Amplitude", TaskAmplitude},
                                             {"Data point", TaskDataPoint},
                                             {"General", TaskGeneral},
                                             {"Cable", TaskDtf},
                                             {"Windowing", TaskWindowing},
                                             {"RF Power", TaskRfPower},
                                             {"Optical Power", TaskOpticalPower},
                                             {"Fiber Inspection", TaskFiber}};
        if (const ModelFacts *model = findModelFacts(modelIndex); model && model->biasTee)
            entries.push_back({"Bias Tee", TaskBiasTee});
        return entries;
    }
    case 2:
        return {{"Marker/Peak", TaskMarkerPeak},
                {"Limit", TaskLimit},
                {"Zoom zones", TaskZoomZones},
                {"Hold", TaskHold},
                {"Auto scale", TaskAutoScale}};
    default:
        return {};
    }
}

namespace {

TaskGroup paletteGroup(int group)
{
    static const TaskGroup groups[3] = {TaskGroup::Procedure, TaskGroup::Setting,
                                        TaskGroup::Analysis};
    return group >= 0 && group < 3 ? groups[group] : TaskGroup::None;
}

} // namespace

CVXCommandItems_View::CVXCommandItems_View(int group, int modelIndex, QWidget *parent)
    : QWidget(parent), m_group(group)
{
    const GroupColors colors = groupColors(paletteGroup(group));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto *header = new QLabel(groupTitle(paletteGroup(group)), this);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    header->setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; border-radius: 4px;"
                                         " padding: 3px 8px; }")
                              .arg(colors.accent.name(), colors.accentText.name()));
    layout->addWidget(header);
    fillEntries(modelIndex);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(groupTitle(paletteGroup(group)));
}

void CVXCommandItems_View::fillEntries(int modelIndex)
{
    const GroupColors colors = groupColors(paletteGroup(m_group));
    m_entries = paletteEntries(m_group, modelIndex);
    for (int i = 0; i < int(m_entries.size()); ++i) {
        auto *entry = new CVXCMDItemStatic(m_entries[i].label, i, this);
        entry->setColors(colors.text, colors.background, colors.accent, colors.accentText);
        layout()->addWidget(entry);
        m_widgets.push_back(entry);
    }
    m_current = std::clamp(m_current, 0, std::max(0, int(m_entries.size()) - 1));
    showCurrent();
}

void CVXCommandItems_View::setModel(int modelIndex)
{
    clearEntries();
    fillEntries(modelIndex);
}

void CVXCommandItems_View::setCurrentEntry(int index)
{
    if (index < 0 || index >= int(m_entries.size()))
        return;
    m_current = index;
    showCurrent();
}

void CVXCommandItems_View::showCurrent()
{
    for (int i = 0; i < int(m_widgets.size()); ++i)
        m_widgets[size_t(i)]->setSelected(hasFocus() && i == m_current);
}

void CVXCommandItems_View::keyPressEvent(QKeyEvent *event)
{
    const int count = int(m_entries.size());
    if (count == 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int next = m_current + (event->key() == Qt::Key_Down ? 1 : -1);
        if (next < 0 || next >= count)
            emit leftByArrow(next < 0 ? -1 : 1);
        else
            setCurrentEntry(next);
        break;
    }
    case Qt::Key_Home:
        setCurrentEntry(0);
        break;
    case Qt::Key_End:
        setCurrentEntry(count - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
        emit entryChosenByKey(m_entries[size_t(m_current)].kind);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CVXCommandItems_View::markUsed(TaskKind kind)
{
    for (int i = 0; i < int(m_entries.size()); ++i)
        if (m_entries[size_t(i)].kind == kind)
            m_lastUsed = i;
}

void CVXCommandItems_View::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // Tab comes back to the entry used last, not to wherever the arrows
    // stopped: a second insert by Tab and Enter repeats the first.
    const bool tabbed =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (tabbed && m_lastUsed >= 0 && m_lastUsed < int(m_entries.size()))
        m_current = m_lastUsed;
    showCurrent();
}

void CVXCommandItems_View::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    showCurrent();
}

CVXCMDItemStatic *CVXCommandItems_View::entryWidget(int index) const
{
    return index >= 0 && index < int(m_widgets.size()) ? m_widgets[index] : nullptr;
}

int CVXCommandItems_View::entryAt(const QPoint &pos) const
{
    for (int i = 0; i < int(m_widgets.size()); ++i)
        if (m_widgets[i]->geometry().contains(pos))
            return i;
    return -1;
}

void CVXCommandItems_View::mousePressEvent(QMouseEvent *event)
{
    // The palette keeps its mouse events: a click here is not a click on the
    // empty part of the window.
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = entryAt(event->position().toPoint());
    m_pressPos = event->position().toPoint();
    m_dragging = false;
}

void CVXCommandItems_View::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!(event->buttons() & Qt::LeftButton) || m_pressed < 0)
        return;
    if (!m_dragging) {
        if ((event->position().toPoint() - m_pressPos).manhattanLength() <
            QApplication::startDragDistance())
            return;
        m_dragging = true;
    }
    const TaskKind kind = m_entries[m_pressed].kind;
    const DropFeedback feedback =
        m_dropTarget ? m_dropTarget(kind, event->globalPosition().toPoint(), DragPhase::Move)
                     : DropFeedback::Outside;
    showFeedback(feedback);
}

void CVXCommandItems_View::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool dropping = m_dragging && m_pressed >= 0;
    const TaskKind kind = dropping ? m_entries[m_pressed].kind : TaskUnknown;
    m_dragging = false;
    m_pressed = -1;
    // The arrow comes back before the target acts: it may show a message.
    m_cursor.clear();
    if (dropping && m_dropTarget)
        m_dropTarget(kind, event->globalPosition().toPoint(), DragPhase::Release);
}

void CVXCommandItems_View::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const int index = entryAt(event->position().toPoint());
    if (index >= 0)
        emit entryActivated(m_entries[index].kind);
}

void CVXCommandItems_View::showFeedback(DropFeedback feedback)
{
    if (feedback == DropFeedback::NoDrop)
        m_cursor.set(QCursor(Qt::ForbiddenCursor));
    else {
        if (!m_insertCursor)
            m_insertCursor = dragCursor(DragCursor::Insert);
        m_cursor.set(*m_insertCursor);
    }
}

void CVXCommandItems_View::cancelDrag()
{
    const bool wasDragging = m_dragging;
    m_dragging = false;
    m_pressed = -1;
    m_cursor.clear();
    if (wasDragging && m_dropTarget)
        m_dropTarget(TaskUnknown, QPoint(), DragPhase::Cancel);
}

void CVXCommandItems_View::hideEvent(QHideEvent *event)
{
    cancelDrag();
    QWidget::hideEvent(event);
}

void CVXCommandItems_View::clearEntries()
{
    cancelDrag();
    for (CVXCMDItemStatic *w : m_widgets)
        delete w;
    m_widgets.clear();
    m_entries.clear();
}

} // namespace stepvane
