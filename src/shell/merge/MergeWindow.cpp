// The merge window: the conflicts of a merge and the takes that resolve them.
#include "shell/merge/MergeWindow.h"

#include "shell/main/CStepvaneDlg.h"
#include "shell/merge/MergeSession.h"
#include "shell/sequences/CVXTestList_View.h"
#include "widgets/UserInterface.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace stepvane {

namespace {

enum Column { WhereColumn, BaseColumn, OursColumn, TheirsColumn, StateColumn };
constexpr int kPictureSize = 48;

// The working copy of a picture slot ("ImageNum_2") of a record, if any.
QString picturePath(const TaskRecord &record, const QString &field)
{
    static const QString prefix = QStringLiteral("ImageNum_");
    if (!field.startsWith(prefix))
        return {};
    bool ok = false;
    const int slot = field.mid(prefix.size()).toInt(&ok);
    QString path;
    std::visit(
        [&](const auto &r) {
            if constexpr (requires { r.images; })
                if (ok && slot >= 0 && size_t(slot) < r.images.size())
                    path = r.images[size_t(slot)].TransImageName;
        },
        record);
    return path;
}

void showPicture(QTreeWidgetItem *item, int column, const QString &path)
{
    const QPixmap picture(path);
    if (!picture.isNull())
        item->setIcon(column, QIcon(picture.scaled(kPictureSize, kPictureSize, Qt::KeepAspectRatio,
                                                   Qt::SmoothTransformation)));
}

} // namespace

MergeWindow::MergeWindow(CStepvaneDlg &main, const MergeSession &session, UserInterface &ui)
    : QWidget(&main, Qt::Window), m_main(main), m_session(session), m_ui(ui)
{
    setObjectName(QStringLiteral("mergeWindow"));
    setWindowTitle(QStringLiteral("Merge - %1").arg(QFileInfo(session.files().merged).fileName()));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Where the two sides disagree the merged wizard holds ours' value."), this));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("conflicts"));
    m_list->setHeaderLabels({QStringLiteral("Where"), QStringLiteral("Base"),
                             QStringLiteral("Ours"), QStringLiteral("Theirs"),
                             QStringLiteral("State")});
    m_list->setRootIsDecorated(false);
    m_list->setIconSize(QSize(kPictureSize, kPictureSize));
    layout->addWidget(m_list, 1);

    auto *buttons = new QHBoxLayout;
    auto button = [&](const QString &text, const QString &name, void (MergeWindow::*slot)()) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    m_oursButton =
        button(QStringLiteral("Take ours"), QStringLiteral("takeOurs"), &MergeWindow::takeOurs);
    m_theirsButton = button(QStringLiteral("Take theirs"), QStringLiteral("takeTheirs"),
                            &MergeWindow::takeTheirs);
    button(QStringLiteral("Take ours for all"), QStringLiteral("takeOursForAll"),
           &MergeWindow::takeOursForAll);
    button(QStringLiteral("Take theirs for all"), QStringLiteral("takeTheirsForAll"),
           &MergeWindow::takeTheirsForAll);
    layout->addLayout(buttons);

    buildRows();
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { showSelectedStep(); });
    connect(&m_main.history(), &DocumentHistory::changed, this, &MergeWindow::refreshStates);
    // Save and undo keys work here as in the main window.
    m_main.shareDocumentKeys(this);
    m_main.installEventFilter(this);
    refreshStates();
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    sizeColumns();
}

void MergeWindow::sizeColumns()
{
    // The three sides stay in view: a long value is cut at a sixth of the
    // screen and the place gives way to them, each whole in its tip.
    QHeaderView *header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(WhereColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(StateColumn, QHeaderView::ResizeToContents);
    const QScreen *shown = m_main.screen() ? m_main.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = shown ? shown->availableGeometry().width() : 1280;
    const int mostForValue = std::max(160, screenWidth / 6);
    // (The tree hides the view's public measure of a column.)
    const QAbstractItemView *view = m_list;
    const auto wantedFor = [&](int column) {
        return std::max(view->sizeHintForColumn(column), header->sectionSizeHint(column));
    };
    int wanted = wantedFor(WhereColumn) + wantedFor(StateColumn);
    for (const int column : {BaseColumn, OursColumn, TheirsColumn}) {
        const int width = std::min(wantedFor(column), mostForValue);
        header->resizeSection(column, width);
        wanted += width;
    }
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        for (const int column : {WhereColumn, BaseColumn, OursColumn, TheirsColumn})
            if (item->toolTip(column).isEmpty())
                item->setToolTip(column, item->text(column));
    }
    const QMargins margins = layout()->contentsMargins();
    wanted += 2 * m_list->frameWidth() + margins.left() + margins.right() +
              m_list->verticalScrollBar()->sizeHint().width();
    resize(std::clamp(wanted, 640, std::max(640, screenWidth * 9 / 10)), 360);
}

MergeWindow::~MergeWindow()
{
    m_main.removeEventFilter(this);
}

void MergeWindow::buildRows()
{
    for (const MergeConflict &c : m_session.conflicts()) {
        Row row;
        row.conflict = c;
        row.take = theirsTake(c, m_session.theirsModel());
        auto *item = new QTreeWidgetItem(m_list, {c.where, c.base, c.ours, c.theirs, QString()});
        if (row.take.action == MergeTake::None)
            item->setToolTip(WhereColumn,
                             QStringLiteral("%1\n%2: the merged wizard holds ours' side; "
                                            "theirs' is made by hand if wanted.")
                                 .arg(c.where, conflictKindName(c.kind)));
        placeRow(row);
        if (c.kind == MergeConflict::Field && c.step >= 0 && row.present) {
            showPicture(item, OursColumn, picturePath(row.ours, c.field));
            if (const TestingSequence *t = m_session.theirs().sequence(c.theirsSequence))
                if (const TaskStep *ts = t->step(c.theirsStep))
                    showPicture(item, TheirsColumn, picturePath(ts->record, c.field));
        }
        m_rows.push_back(std::move(row));
    }
}

void MergeWindow::placeRow(Row &row)
{
    WizardDocument &doc = m_main.document();
    const MergeTake &take = row.take;
    row.oursHeader = WizardHeader::of(doc);
    if (take.action == MergeTake::CopyField) {
        row.owner = doc.sequence(take.sequence >= 0 ? take.sequence : take.at);
        if (TaskStep *step = take.sequence >= 0 && row.owner ? row.owner->step(take.at) : nullptr) {
            row.present = step;
            row.ours = step->record;
        } else if (row.owner) {
            row.oursText = row.owner->Title;
        }
        return;
    }
    if (take.action == MergeTake::None) {
        // Nothing to take from theirs; selecting it still shows where it is.
        const MergeConflict &c = row.conflict;
        row.owner = c.step >= 0 ? doc.sequence(c.sequence) : nullptr;
        row.present = row.owner ? static_cast<void *>(row.owner->step(c.step))
                                : static_cast<void *>(doc.sequence(c.sequence));
        return;
    }
    if (take.action == MergeTake::Model || take.action == MergeTake::Password)
        return;
    row.owner = take.sequence >= 0 ? doc.sequence(take.sequence) : nullptr;
    if (take.sequence >= 0 && !row.owner)
        return;
    const std::vector<void *> items = itemsOf(row.owner);
    auto itemAt = [&](int k) {
        return k >= 0 && k < int(items.size()) ? items[size_t(k)] : nullptr;
    };
    row.anchor = itemAt(take.at - 1);
    if (take.action == MergeTake::Remove) {
        row.present = itemAt(take.at);
        if (row.owner && row.present)
            row.ours = static_cast<TaskStep *>(row.present)->record;
        else if (row.present)
            row.oursSequence = static_cast<TestingSequence *>(row.present)->clone();
    } else if (take.action == MergeTake::Move) {
        row.present = itemAt(take.at);
        row.oursAnchor = row.anchor;
        row.anchor = itemAt(take.behind);
    } else if (take.action == MergeTake::PutFirst) {
        for (int k = take.at - take.ahead; k < take.at; ++k)
            row.oursRun.push_back(itemAt(k));
        for (int k = take.at; k < take.at + take.count; ++k)
            row.theirsRun.push_back(itemAt(k));
    }
}

std::vector<void *> MergeWindow::itemsOf(const TestingSequence *owner) const
{
    std::vector<void *> items;
    if (owner) {
        for (const auto &step : owner->steps)
            items.push_back(step.get());
    } else {
        for (const auto &seq : m_main.document().sequences)
            items.push_back(seq.get());
    }
    return items;
}

bool MergeWindow::ownerStands(const Row &row) const
{
    const auto &all = m_main.document().sequences;
    return !row.owner || std::any_of(all.begin(), all.end(),
                                     [&](const auto &seq) { return seq.get() == row.owner; });
}

bool MergeWindow::isResolved(int row) const
{
    const int at = m_main.history().stack().index();
    const std::vector<int> &takes = m_rows[size_t(row)].takes;
    return !takes.empty() && takes.back() <= at;
}

int MergeWindow::unresolvedCount() const
{
    int count = 0;
    for (int i = 0; i < int(m_rows.size()); ++i)
        count += isResolved(i) ? 0 : 1;
    return count;
}

void MergeWindow::refreshStates()
{
    const QUndoStack &stack = m_main.history().stack();
    for (int i = 0; i < int(m_rows.size()); ++i) {
        // Takes undone and then replaced by other edits are gone for good.
        std::vector<int> &takes = m_rows[size_t(i)].takes;
        while (!takes.empty() && takes.back() > stack.count())
            takes.pop_back();
        m_list->topLevelItem(i)->setText(StateColumn, isResolved(i) ? QStringLiteral("resolved")
                                                                    : QStringLiteral("open"));
    }
}

void MergeWindow::takeSelected(bool theirs)
{
    const int index = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (index < 0 || !takable(index, theirs))
        return;
    const int before = m_main.history().stack().index();
    apply(m_rows[size_t(index)], index, theirs);
    recordTake(m_rows[size_t(index)], before);
    refreshStates();
}

void MergeWindow::takeAll(bool theirs)
{
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (isResolved(i) || !takable(i, theirs))
            continue;
        const int before = m_main.history().stack().index();
        apply(m_rows[size_t(i)], i, theirs);
        recordTake(m_rows[size_t(i)], before);
    }
    refreshStates();
}

void MergeWindow::recordTake(Row &row, int before)
{
    // A take that changed nothing (ours' value is already there) resolves
    // the row where the history stands.
    const int at = m_main.history().stack().index();
    for (Row &other : m_rows)
        while (at > before && !other.takes.empty() && other.takes.back() >= at)
            other.takes.pop_back();
    row.takes.push_back(at);
}

void MergeWindow::showSelectedStep()
{
    const int index = m_list->indexOfTopLevelItem(m_list->currentItem());
    m_theirsButton->setEnabled(index >= 0 && takable(index, true));
    m_oursButton->setEnabled(index >= 0);
    if (index < 0)
        return;
    const Row &row = m_rows[size_t(index)];
    // The row's sequence, and its step where the row is about one.
    void *item =
        row.present ? row.present : (!row.theirsRun.empty() ? row.theirsRun.front() : row.anchor);
    const std::vector<void *> sequences = itemsOf(nullptr);
    const void *sequence = row.owner ? row.owner : item;
    const auto at = std::find(sequences.begin(), sequences.end(), sequence);
    if (!sequence || at == sequences.end())
        return;
    int step = -1;
    if (row.owner) {
        const std::vector<void *> steps = itemsOf(row.owner);
        step = int(std::find(steps.begin(), steps.end(), item) - steps.begin());
        step = step < int(steps.size()) ? step : -1;
    }
    const int seq = int(at - sequences.begin());
    m_main.pane()->setSelectedIndex(seq);
    m_main.pane()->openTaskEditor(seq, step);
}

void MergeWindow::placeBesideMain()
{
    const QRect main = m_main.frameGeometry();
    QPoint at(main.right() + 8, main.top());
    if (const QScreen *screen = m_main.screen()) {
        const QRect area = screen->availableGeometry();
        if (at.x() + width() > area.right())
            at.setX(std::max(area.left(), area.right() - width()));
    }
    move(at);
}

bool MergeWindow::mayClose()
{
    const int open = unresolvedCount();
    if (open == 0)
        return true;
    UserInterface::Question question;
    question.message = Message::fromText(
        QStringLiteral("%s conflict(s) of the merge are not resolved yet; the merged wizard holds "
                       "ours' value at each.\nClose anyway?"),
        {QString::number(open)}, MessageIcon::Question);
    // Enter and Escape keep the window and the work in it.
    question.answers = {QStringLiteral("Keep merging"), QStringLiteral("Close")};
    question.defaultAnswer = 0;
    question.escapeAnswer = 0;
    return m_ui.choose(this, question) == 1;
}

void MergeWindow::closeEvent(QCloseEvent *event)
{
    if (mayClose())
        event->accept();
    else
        event->ignore();
}

bool MergeWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The main window closing with rows open asks first too.
    if (watched == &m_main && event->type() == QEvent::Close && isVisible() && !mayClose()) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace stepvane
