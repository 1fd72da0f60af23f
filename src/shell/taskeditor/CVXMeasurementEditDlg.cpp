// The task editor window: layout, key handling and the palette drops.
#include "shell/taskeditor/CVXMeasurementEditDlg.h"

#include "shell/app/Icons.h"
#include "shell/history/DocumentHistory.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXetailItemView.h"
#include "widgets/CVXEdit.h"
#include "widgets/ControlLook.h"

#include <QAbstractSpinBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace stepvane {

namespace {

bool isTextEntry(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QTextEdit *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w);
}

} // namespace

CVXMeasurementEditDlg::CVXMeasurementEditDlg(AppState &state, UserInterface &ui,
                                             WizardDocument &doc, TestingSequence *sequence,
                                             QWidget *parent, DocumentHistory *history)
    : QDialog(parent), m_state(state), m_ui(ui), m_doc(doc),
      m_ownHistory(history ? nullptr : std::make_unique<DocumentHistory>(doc)),
      m_history(history ? history : m_ownHistory.get()), m_context{state, ui, {}, m_history}
{
    m_context.redrawTaskList = [this] { redrawTaskList(); };
    setWindowTitle(QStringLiteral("Task Editor"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    buildWindow();
    setMinimumSize(kLeastWidth, kLeastHeight);
    resize(kMinimumWidth, kMinimumHeight);

    // Step copy and paste. A text field that has the focus claims these keys
    // for its own copy and paste before a window shortcut sees them.
    auto *copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, &CVXMeasurementEditDlg::copyStep);
    auto *paste = new QShortcut(QKeySequence::Paste, this);
    connect(paste, &QShortcut::activated, this, &CVXMeasurementEditDlg::pasteStep);

    connect(m_history, &DocumentHistory::aboutToRestore, this,
            &CVXMeasurementEditDlg::commitPendingEdit);
    connect(m_history, &DocumentHistory::changed, this,
            &CVXMeasurementEditDlg::updateHistoryControls);
    updateHistoryControls();

    showSequence(sequence);
}

CVXMeasurementEditDlg::~CVXMeasurementEditDlg()
{
    // Let go of the document before any child goes: no page may commit into
    // a record while the window is being taken apart.
    clearPalettesAndRows();
    m_title->setHandler({});
}

void CVXMeasurementEditDlg::buildWindow()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(10, 8, 10, 8);
    root->setSpacing(8);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Title"), this));
    m_title = new CVXEdit(this);
    m_title->setObjectName(QStringLiteral("sequenceTitle"));
    m_title->configure(0, [this](int, const QString &text, bool) {
        if (!m_sequence)
            return;
        m_history->changeSequenceTitle(*m_sequence, text, {m_title, 0});
        emit sequenceTitleChanged();
    });
    top->addWidget(m_title, 1);
    top->addSpacing(20);
    buildHistoryControls(top);
    root->addLayout(top);

    auto *main = new QHBoxLayout;
    main->setSpacing(6);
    root->addLayout(main, 1);

    // The palettes scroll when the window is lower than they are.
    auto *paletteScroll = new QScrollArea(this);
    paletteScroll->setObjectName(QStringLiteral("paletteScroll"));
    paletteScroll->setFrameShape(QFrame::NoFrame);
    paletteScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paletteScroll->setWidgetResizable(true);
    paletteScroll->setFocusPolicy(Qt::NoFocus);
    auto *paletteColumn = new QWidget(paletteScroll);
    auto *left = new QVBoxLayout(paletteColumn);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(6);
    for (int group = 0; group < 3; ++group) {
        auto *palette = new CVXCommandItems_View(group, m_state.CurrentModelIndex, paletteColumn);
        palette->setFixedWidth(148);
        palette->setDropTarget([this](TaskKind kind, const QPoint &pos, DragPhase phase) {
            return paletteDrop(kind, pos, phase);
        });
        connect(palette, &CVXCommandItems_View::entryActivated, this,
                [this](TaskKind kind) { addFromPalette(kind, -1, true); });
        connect(palette, &CVXCommandItems_View::entryChosenByKey, this, [this](TaskKind kind) {
            const int selected = m_list->selectedIndex();
            addFromPalette(kind, selected < 0 ? -1 : selected + 1, false);
        });
        connect(palette, &CVXCommandItems_View::leftByArrow, this, [this, group](int direction) {
            CVXCommandItems_View *next = this->palette(group + direction);
            if (!next || next->entries().empty())
                return;
            next->setCurrentEntry(direction > 0 ? 0 : int(next->entries().size()) - 1);
            next->setFocus(Qt::OtherFocusReason);
        });
        left->addWidget(palette);
        m_palettes[group] = palette;
    }
    left->addStretch(1);
    paletteScroll->setWidget(paletteColumn);
    paletteScroll->setFixedWidth(148 + paletteScroll->verticalScrollBar()->sizeHint().width());
    main->addWidget(paletteScroll);

    auto *middle = new QVBoxLayout;
    middle->setSpacing(6);
    m_list = new CVXMeasureList_View(m_state, m_ui, this);
    // Narrower than its rows when the window shares a small screen: it scrolls.
    m_list->setMinimumWidth(kLeastListWidth);
    m_list->setShowStep([this](TaskStep *step) { showStep(step); });
    m_list->setHistory(m_history);
    middle->addWidget(m_list, 1);
    m_clear =
        new QPushButton(controlIcon(ControlIcon::ClearAll), QStringLiteral("Clear all"), this);
    m_clear->setAutoDefault(false); // Enter never presses a button here
    m_clear->setToolTip(QStringLiteral("Delete every task step of this testing sequence"));
    connect(m_clear, &QPushButton::clicked, this, [this] { m_list->clearAll(); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_clear);
    middle->addLayout(buttons);
    main->addLayout(middle);

    m_detail = new CVXetailItemView(m_context, builtinPageRegistry(), this);
    main->addWidget(m_detail, 1);
}

void CVXMeasurementEditDlg::buildHistoryControls(QLayout *row)
{
    const auto makeButton = [this](AppIcon icon, const QString &name) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(appIcon(icon));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_undo = makeButton(AppIcon::Undo, QStringLiteral("undoButton"));
    m_redo = makeButton(AppIcon::Redo, QStringLiteral("redoButton"));
    connect(m_undo, &QToolButton::clicked, m_history, &DocumentHistory::undo);
    connect(m_redo, &QToolButton::clicked, m_history, &DocumentHistory::redo);
    row->addWidget(m_undo);
    row->addWidget(m_redo);

    // Outside text fields; a text field keeps these keys for its own undo.
    const auto addKey = [this](const QKeySequence &key, bool undo) {
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this, undo] {
            if (focusInTextField())
                return;
            if (undo)
                m_history->undo();
            else
                m_history->redo();
        });
    };
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Z), true);
    addKey(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false);
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Y), false);
}

void CVXMeasurementEditDlg::updateHistoryControls()
{
    m_undo->setEnabled(m_history->canUndo());
    m_redo->setEnabled(m_history->canRedo());
    m_undo->setToolTip(m_history->canUndo()
                           ? QStringLiteral("Undo %1 (Ctrl+Z)").arg(m_history->undoText())
                           : QStringLiteral("Nothing to undo"));
    m_redo->setToolTip(m_history->canRedo()
                           ? QStringLiteral("Redo %1 (Ctrl+Shift+Z)").arg(m_history->redoText())
                           : QStringLiteral("Nothing to redo"));
}

void CVXMeasurementEditDlg::commitPendingEdit()
{
    // The field commits as it loses the focus, into the record its page
    // still shows; the list is a safe place for the focus meanwhile.
    QWidget *focus = focusWidget();
    if (focus && focus->hasFocus() && (m_detail->isAncestorOf(focus) || focus == m_title))
        m_list->setFocus(Qt::OtherFocusReason);
}

void CVXMeasurementEditDlg::followDocument(TaskStep *focusStep)
{
    if (!m_sequence)
        return;
    if (m_title->text() != m_sequence->Title)
        m_title->setText(m_sequence->Title);
    m_list->refreshRows();
    int row = m_list->selectedIndex();
    for (int i = 0; focusStep && i < m_sequence->stepCount(); ++i)
        if (m_sequence->step(i) == focusStep)
            row = i;
    // Shown again even when it stays selected: its record may have changed.
    m_list->selectRow(row, true);
}

CVXCommandItems_View *CVXMeasurementEditDlg::palette(int group) const
{
    return group >= 0 && group < 3 ? m_palettes[group] : nullptr;
}

bool CVXMeasurementEditDlg::belongsToDocument(const TestingSequence *sequence) const
{
    for (const auto &owned : m_doc.sequences)
        if (owned.get() == sequence)
            return true;
    return false;
}

void CVXMeasurementEditDlg::showSequence(TestingSequence *sequence)
{
    if (sequence && !belongsToDocument(sequence))
        sequence = nullptr;
    m_detail->showStep(nullptr);
    m_sequence = sequence;
    m_list->setSequence(sequence);
    m_title->setText(sequence ? sequence->Title : QString());
    m_title->setEnabled(sequence != nullptr);
    for (CVXCommandItems_View *palette : m_palettes)
        if (palette)
            palette->setEnabled(sequence != nullptr);
    m_clear->setEnabled(sequence != nullptr);
    update();
}

void CVXMeasurementEditDlg::showStep(TaskStep *step)
{
    m_detail->showStep(step);
    // What is typed on the newly shown page is an edit of its own.
    m_history->closeOpenEdit();
}

void CVXMeasurementEditDlg::redrawTaskList()
{
    m_list->refreshRows();
}

void CVXMeasurementEditDlg::clearPalettesAndRows()
{
    for (CVXCommandItems_View *palette : m_palettes)
        if (palette)
            palette->clearEntries();
    m_detail->showStep(nullptr);
    m_list->clearRows();
    m_sequence = nullptr;
}

void CVXMeasurementEditDlg::followModel()
{
    for (CVXCommandItems_View *palette : m_palettes)
        if (palette)
            palette->setModel(m_state.CurrentModelIndex);
    if (m_detail->shownStep())
        m_list->selectRow(m_list->selectedIndex(), true);
}

void CVXMeasurementEditDlg::copyStep()
{
    if (!focusInTextField())
        m_list->copyStep();
}

void CVXMeasurementEditDlg::pasteStep()
{
    if (!focusInTextField())
        m_list->pasteStep();
}

bool CVXMeasurementEditDlg::focusInTextField() const
{
    const QWidget *focus = focusWidget();
    return focus && (focus == m_title || isTextEntry(focus));
}

void CVXMeasurementEditDlg::addFromPalette(TaskKind kind, int position, bool scrollToEnd)
{
    if (!m_list->insertStep(kind, position, scrollToEnd))
        return;
    for (CVXCommandItems_View *palette : m_palettes)
        palette->markUsed(kind);
    if (!m_detail->focusFirstField())
        m_list->setFocus(Qt::OtherFocusReason);
}

CVXMeasurementEditDlg::DropFeedback
CVXMeasurementEditDlg::paletteDrop(TaskKind kind, const QPoint &globalPos, DragPhase phase)
{
    if (phase == DragPhase::Cancel || !m_sequence) {
        m_list->setInsertMark(-1);
        return DropFeedback::Outside;
    }
    const int index = m_list->insertionIndexAt(globalPos);
    if (index >= 0) {
        if (phase == DragPhase::Move) {
            m_list->setInsertMark(index);
        } else {
            m_list->setInsertMark(-1);
            addFromPalette(kind, index, false);
        }
        return DropFeedback::Insert;
    }
    m_list->setInsertMark(-1);
    // Pages take no drops: the pointer says so over the detail pane.
    if (m_detail->rect().contains(m_detail->mapFromGlobal(globalPos)))
        return DropFeedback::NoDrop;
    return DropFeedback::Outside;
}

void CVXMeasurementEditDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Neither closes the window nor presses a button.
        event->accept();
        return;
    case Qt::Key_Delete:
        // Reaches the window only when the focused control left it alone;
        // the task list asks first and keeps the key itself.
        if (!focusInTextField())
            m_list->deleteSelected(false);
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CVXMeasurementEditDlg::mouseReleaseEvent(QMouseEvent *event)
{
    // A release on the window's own background (no pane took it).
    if (event->button() == Qt::LeftButton)
        m_list->selectRow(-1, false);
    event->accept();
}

} // namespace stepvane
