// The sequence pane: rows, selection, drag to reorder, row commands.
#include "shell/sequences/CVXTestList_View.h"

#include "document/VX_CAAXML_PARSER.h"
#include "instrument_files/LanguageInfo.h"
#include "shell/app/Icons.h"
#include "shell/history/DocumentHistory.h"
#include "shell/main/SummaryHooks.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "widgets/AppState.h"
#include "widgets/CKiteButton.h"
#include "widgets/DragCursors.h"
#include "widgets/UserInterface.h"
#include "widgets/WindowPlace.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QVBoxLayout>

namespace stepvane {

// The scrolled area the rows live on. Row widgets pass their mouse events up
// to it (with positions mapped), so hit-testing happens in one place.
class SequenceRowArea : public QWidget {
public:
    explicit SequenceRowArea(CVXTestList_View &pane) : QWidget(nullptr), m_pane(pane)
    {
        setObjectName(QStringLiteral("sequenceRows"));
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        setFocus(Qt::MouseFocusReason);
        if (event->button() == Qt::LeftButton)
            m_pane.pressAt(event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (event->buttons() & Qt::LeftButton)
            m_pane.dragTo(event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_pane.releaseAt(event->position().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_pane.doubleClickAt(event->position().toPoint());
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier &&
            (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
            m_pane.moveSelected(event->key() == Qt::Key_Up ? -1 : 1);
            return;
        }
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            switch (event->key()) {
            case Qt::Key_Delete:
                m_pane.deleteSequence(-1);
                return;
            case Qt::Key_Up:
                m_pane.moveKeySelection(-1);
                return;
            case Qt::Key_Down:
                m_pane.moveKeySelection(1);
                return;
            default:
                break;
            }
        }
        QWidget::keyPressEvent(event);
    }
    // The keyboard focus shows as a frame around the rows.
    void focusInEvent(QFocusEvent *event) override
    {
        update();
        QWidget::focusInEvent(event);
    }
    void paintEvent(QPaintEvent *) override
    {
        if (!hasFocus())
            return;
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
    void resizeEvent(QResizeEvent *) override { m_pane.refreshRows(); }
    void focusOutEvent(QFocusEvent *event) override
    {
        // A drag never outlives the mouse grab (a message box stole it, say).
        if (m_pane.isDragging() && event->reason() != Qt::PopupFocusReason)
            m_pane.endDrag();
        update();
        QWidget::focusOutEvent(event);
    }

private:
    CVXTestList_View &m_pane;
};

namespace {

QString languageText(const char *id)
{
    return GetMessageText(QLatin1String(id)).trimmed();
}

} // namespace

CVXTestList_View::CVXTestList_View(AppState &state, UserInterface &ui, WizardDocument &document,
                                   DocumentHistory &history, VX_CAAXML_PARSER &parser,
                                   QWidget *parent)
    : QFrame(parent), m_state(state), m_ui(ui), m_doc(document), m_history(history),
      m_parser(parser)
{
    setObjectName(QStringLiteral("CVXTestList_View"));
    setFrameShape(QFrame::StyledPanel);

    m_header = new QLabel(languageText("IDS_TESTING_SEQUENCE"), this);
    QFont bold = m_header->font();
    bold.setBold(true);
    m_header->setFont(bold);

    m_clearAll = new QPushButton(appIcon(AppIcon::ClearAll), QStringLiteral("Clear all"), this);
    m_clearAll->setObjectName(QStringLiteral("clearAllButton"));
    m_clearAll->setToolTip(QStringLiteral("Delete every testing sequence"));
    m_clearAll->setAutoDefault(false);
    m_clearAll->setFocusPolicy(Qt::TabFocus);
    connect(m_clearAll, &QPushButton::clicked, this, &CVXTestList_View::clearAllRequested);

    m_area = new SequenceRowArea(*this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("sequenceScroll"));
    m_scroll->setWidget(m_area);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setBackgroundRole(QPalette::Window);

    m_endOption = new CKiteToggleButton(0, CKiteToggleButton::Style::Check,
                                        languageText("IDS_END_OPTION"), this);
    m_endOption->setObjectName(QStringLiteral("endOption"));
    m_endOption->setToolTip(
        QStringLiteral("On: the operator ends each testing sequence (Manual).\n"
                       "Off: the next testing sequence starts by itself (Automation)."));
    // The toggle has flipped by the time its command arrives.
    connect(m_endOption, &CKiteToggleButton::command, this,
            [this] { setEndOption(m_endOption->state()); });

    auto *top = new QHBoxLayout;
    top->addWidget(m_header);
    top->addStretch();
    top->addWidget(m_clearAll);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_endOption);
    bottom->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(m_scroll, 1);
    layout->addLayout(bottom);

    showEndOption();
    refreshRows();

    // One task editor for the main window's whole life, hidden until needed.
    // It is a window of its own that stays with the main window.
    m_editor = new CVXMeasurementEditDlg(state, ui, document, nullptr,
                                         parent ? parent->window() : nullptr, &history);
    m_editor->setObjectName(QStringLiteral("CVXMeasurementEditDlg"));
    connect(m_editor, &CVXMeasurementEditDlg::sequenceTitleChanged, this, [this] {
        refreshRows();
        emit sequencesChanged();
    });
}

CVXTestList_View::~CVXTestList_View()
{
    if (m_overrideCursor)
        QApplication::restoreOverrideCursor();
    delete m_editor;
}

QWidget *CVXTestList_View::rowArea() const
{
    return m_area;
}

CVXTestingStatic *CVXTestList_View::row(int index) const
{
    return index >= 0 && index < rowCount() ? m_rows[size_t(index)] : nullptr;
}

QRect CVXTestList_View::rowRect(int index) const
{
    const int width = qMax(0, m_area->width() - 2 * kRowSide);
    return QRect(kRowSide, kRowTop + kRowPitch * index, width, kRowHeight);
}

int CVXTestList_View::rowAt(const QPoint &pos) const
{
    if (pos.y() < kRowTop)
        return -1;
    const int index = (pos.y() - kRowTop) / kRowPitch;
    return index < m_doc.sequenceCount() && rowRect(index).contains(pos) ? index : -1;
}

void CVXTestList_View::setSelectedIndex(int index)
{
    m_selected = (index >= 0 && index < m_doc.sequenceCount()) ? index : -1;
    refreshRows();
}

void CVXTestList_View::refreshRows()
{
    const int count = m_doc.sequenceCount();
    if (m_selected >= count)
        m_selected = count - 1;
    if (m_dragSource >= count || m_dragOver >= count)
        endDrag();
    while (rowCount() > count) {
        // Later: the row may be the sender of the command being handled.
        m_rows.back()->hide();
        m_rows.back()->deleteLater();
        m_rows.pop_back();
    }
    while (rowCount() < count) {
        auto *r = new CVXTestingStatic(rowCount(), m_area);
        connect(r, &CVXTestingStatic::summaryRequested, this, &CVXTestList_View::showSummary);
        connect(r, &CVXTestingStatic::deleteRequested, this,
                [this](int i) { deleteSequence(i < 0 ? -2 : i); });
        connect(r, &CVXTestingStatic::saveRequested, this, &CVXTestList_View::saveTestingUnit);
        r->show();
        m_rows.push_back(r);
    }
    m_area->setMinimumHeight(kRowTop + kRowPitch * count + 4);
    for (int i = 0; i < count; ++i) {
        using Look = CVXTestingStatic::Look;
        Look look = i == m_selected ? Look::Selected : Look::Normal;
        if (m_dragging && i == m_dragSource && m_dragOver >= 0 && m_dragOver != m_dragSource)
            look = m_dragOver < m_dragSource ? Look::MovingUp : Look::MovingDown;
        CVXTestingStatic *r = m_rows[size_t(i)];
        r->setGeometry(rowRect(i));
        r->setContent(i, QString::number(i + 1) + QStringLiteral(". ") + m_doc.sequence(i)->Title);
        r->setLook(look);
    }
}

void CVXTestList_View::resetPane()
{
    endDrag();
    m_selected = -1;
    refreshRows();
    m_scroll->verticalScrollBar()->setValue(0);
    m_editor->hide();
    m_editor->showSequence(nullptr);
}

void CVXTestList_View::moveKeySelection(int delta)
{
    const int count = m_doc.sequenceCount();
    if (count == 0)
        return;
    const int next = m_selected < 0 ? (delta > 0 ? 0 : count - 1) : m_selected + delta;
    if (next < 0 || next >= count)
        return;
    setSelectedIndex(next);
    m_scroll->ensureWidgetVisible(m_rows[size_t(next)], 0, kRowPitch - kRowHeight);
}

void CVXTestList_View::moveSelected(int delta)
{
    // As a drag of the row one place up or down: one step of the history.
    const int target = m_selected + delta;
    if (m_selected < 0 || target < 0 || target >= m_doc.sequenceCount() || m_dragging)
        return;
    m_history.moveSequence(m_selected, target);
    m_selected = target;
    refreshRows();
    m_scroll->ensureWidgetVisible(m_rows[size_t(target)], 0, kRowPitch - kRowHeight);
}

void CVXTestList_View::followEditor()
{
    if (std::any_of(m_doc.sequences.begin(), m_doc.sequences.end(),
                    [this](const auto &s) { return s.get() == m_editor->sequence(); }))
        return;
    TestingSequence *selected = m_editor->isVisible() ? m_doc.sequence(m_selected) : nullptr;
    if (!selected)
        m_editor->hide();
    m_editor->showSequence(selected);
}

void CVXTestList_View::followDocument(const HistoryFocus &focus)
{
    endDrag();
    for (int i = 0; focus.sequence && i < m_doc.sequenceCount(); ++i)
        if (m_doc.sequence(i) == focus.sequence)
            m_selected = i;
    refreshRows();
    showEndOption();
    const bool inDocument = m_selected >= 0 && m_doc.sequence(m_selected) == focus.sequence;
    const bool insideSequence = focus.area == HistoryFocus::Area::Steps ||
                                focus.area == HistoryFocus::Area::Record ||
                                focus.area == HistoryFocus::Area::SequenceTitle;
    if (inDocument && insideSequence) {
        // A change inside a sequence is shown where it was made.
        if (m_editor->sequence() != focus.sequence || !m_editor->isVisible())
            showTaskEditor(focus.sequence);
        m_editor->followDocument(focus.step);
        return;
    }
    followEditor();
    m_editor->followDocument(nullptr);
}

void CVXTestList_View::showEndOption()
{
    m_endOption->setState(m_doc.SeqEndOption != 1);
}

void CVXTestList_View::setEndOption(bool on)
{
    WizardHeader header = WizardHeader::of(m_doc);
    header.SeqEndOption = on ? 2 : 1;
    m_history.changeHeader(header, QStringLiteral("End option"));
}

void CVXTestList_View::pressAt(const QPoint &pos)
{
    const int index = rowAt(pos);
    m_selected = index;
    if (index >= 0) {
        m_dragging = true;
        m_dragSource = index;
        m_dragOver = index;
        QApplication::setOverrideCursor(dragCursor(DragCursor::Move));
        m_overrideCursor = true;
    }
    refreshRows();
}

void CVXTestList_View::dragTo(const QPoint &pos)
{
    if (!m_dragging)
        return;
    const bool insidePane = rect().contains(m_area->mapTo(this, pos));
    QApplication::changeOverrideCursor(
        dragCursor(insidePane ? DragCursor::Move : DragCursor::MoveOutside));
    autoScroll(pos);
    const int over = rowAt(pos);
    if (over != m_dragOver) {
        m_dragOver = over;
        refreshRows();
    }
}

void CVXTestList_View::autoScroll(const QPoint &pos)
{
    // Near the top or bottom edge of the visible rows the list scrolls, so a
    // row can be carried past what is on screen.
    QScrollBar *bar = m_scroll->verticalScrollBar();
    const int y = m_area->mapTo(m_scroll->viewport(), pos).y();
    const int edge = kRowHeight / 2;
    if (y < edge)
        bar->setValue(bar->value() - kRowPitch / 3);
    else if (y > m_scroll->viewport()->height() - edge)
        bar->setValue(bar->value() + kRowPitch / 3);
}

void CVXTestList_View::releaseAt(const QPoint &pos)
{
    const int target = rowAt(pos);
    const int source = m_dragSource;
    const bool wasDragging = m_dragging;
    endDrag();
    if (wasDragging && source >= 0 && target >= 0 && target != source &&
        source < m_doc.sequenceCount() && target < m_doc.sequenceCount())
        m_history.moveSequence(source, target);
    m_selected = target;
    refreshRows();
}

void CVXTestList_View::endDrag()
{
    m_dragging = false;
    m_dragSource = -1;
    m_dragOver = -1;
    if (m_overrideCursor) {
        m_overrideCursor = false;
        QApplication::restoreOverrideCursor();
    }
}

void CVXTestList_View::doubleClickAt(const QPoint &pos)
{
    endDrag();
    const int index = rowAt(pos);
    m_selected = index;
    refreshRows();
    if (index >= 0)
        openTaskEditor(index);
    else
        m_editor->hide(); // a double click off the rows puts the editor away
}

void CVXTestList_View::openTaskEditor(int rowIndex, int stepIndex)
{
    TestingSequence *sequence = m_doc.sequence(rowIndex);
    if (!sequence)
        return;
    showTaskEditor(sequence);
    if (stepIndex >= 0 && stepIndex < sequence->stepCount())
        m_editor->taskList()->selectRow(stepIndex, true);
}

void CVXTestList_View::showTaskEditor(TestingSequence *sequence)
{
    if (!m_editor->isVisible())
        placeTaskEditor();
    m_editor->showSequence(sequence);
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void CVXTestList_View::placeTaskEditor()
{
    // Once placed it stays where the user puts it, hidden or shown; the
    // first time it goes where it was last run, or beside the main window.
    if (m_editorPlaced)
        return;
    m_editorPlaced = true;
    if (rememberPlace(m_editor, QStringLiteral("TaskEditor")))
        return;
    // Never larger than the screen, and beside the main window where there
    // is room; otherwise over it, offset, but on the screen.
    keepOnScreen(m_editor);
    const QRect frame = window()->frameGeometry();
    m_editor->move(frame.right() + 9, frame.top());
    if (windowsOverlap(m_editor, window()) ||
        m_editor->frameGeometry().right() > m_editor->screen()->availableGeometry().right())
        m_editor->move(frame.topLeft() + QPoint(100, 105));
    keepOnScreen(m_editor);
}

bool CVXTestList_View::deleteSequence(int rowIndex)
{
    // rowIndex -1 is the Delete key (acts on the selection); a row button gives
    // its own index.
    if (m_doc.sequenceCount() == 0 || rowIndex < -1 || rowIndex >= m_doc.sequenceCount())
        return false;
    if (rowIndex == -1 && m_selected < 0)
        return false; // nothing selected: no question that could not delete anything
    if (!m_ui.ask(
            Message::fromId(QStringLiteral("IDS_DELETE_SEQUENCE_ITEM"), {}, MessageIcon::Question)))
        return false;
    if (rowIndex >= 0)
        m_selected = rowIndex;
    if (m_selected < 0 || m_selected >= m_doc.sequenceCount())
        return false;
    endDrag();
    m_history.removeSequence(m_selected);
    const int left = m_doc.sequenceCount();
    m_selected = left == 0 ? -1 : left == 1 ? 0 : qMin(m_selected, left - 1);
    refreshRows();
    followEditor();
    m_area->setFocus(Qt::OtherFocusReason);
    emit sequencesChanged();
    return true;
}

void CVXTestList_View::showSummary(int rowIndex)
{
    if (const TestingSequence *sequence = m_doc.sequence(rowIndex))
        showSequenceSummary(m_ui, *sequence, m_state.CurrentModelIndex, window());
}

bool CVXTestList_View::saveTestingUnit(int rowIndex)
{
    if (!m_doc.sequence(rowIndex))
        return false;
    const UserInterface::FileDialogResult chosen =
        m_ui.saveFile(window(), QStringLiteral("Save testing unit file"),
                      QStringLiteral("testing unit file(*.tuf, *.TUF)|*.tuf;*.TUF|"),
                      QStringLiteral("tuf"), QString(), false);
    if (chosen.path.isEmpty())
        return false;
    bool saved = false;
    const int model = m_state.CurrentModelIndex;
    if (model >= 0 && model <= 3) {
        m_parser.Set_Document(&m_doc);
        m_parser.Set_Model(model);
        saved = m_parser.Save_Testing_Unit(rowIndex, chosen.path);
    }
    m_ui.report(
        saved ? Message::fromId(QStringLiteral("IDS_FILE_SAVE_COMPLETE"), {},
                                MessageIcon::Information)
              : Message::fromId(QStringLiteral("IDS_SAVE_FAIL")).withDetail(m_parser.Error_Text()));
    return saved;
}

} // namespace stepvane
