// The merge window: the conflicts of a merge and the takes that resolve them.
#include "shell/merge/MergeWindow.h"

#include "review/merge/TakeSide.h"
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
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

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
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
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
    resize(640, 360);
}

MergeWindow::~MergeWindow()
{
    m_main.removeEventFilter(this);
}

void MergeWindow::buildRows()
{
    WizardDocument &doc = m_main.document();
    for (const MergeConflict &c : m_session.conflicts()) {
        Row row{c, {}, {}, 0, {}};
        auto *item = new QTreeWidgetItem(m_list, {c.where, c.base, c.ours, c.theirs, QString()});
        if (c.kind != MergeConflict::Field)
            item->setToolTip(WhereColumn, QStringLiteral("%1: the merged wizard holds ours' side; "
                                                         "theirs' is made by hand if wanted.")
                                              .arg(conflictKindName(c.kind)));
        const TestingSequence *seq = doc.sequence(c.sequence);
        if (const TaskStep *step = seq && c.step >= 0 ? seq->step(c.step) : nullptr) {
            row.ours = step->record;
            showPicture(item, OursColumn, picturePath(step->record, c.field));
            if (const TestingSequence *t = m_session.theirs().sequence(c.theirsSequence))
                if (const TaskStep *ts = t->step(c.theirsStep))
                    showPicture(item, TheirsColumn, picturePath(ts->record, c.field));
        } else if (seq) {
            row.oursText = seq->Title;
        } else {
            row.oursText = doc.Title;
            row.oursNumber = doc.SeqEndOption;
        }
        m_rows.push_back(std::move(row));
    }
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

bool MergeWindow::apply(Row &row, int index, bool theirs)
{
    switch (row.conflict.kind) {
    case MergeConflict::Field:
        return row.conflict.step >= 0 ? applyStepField(row, index, theirs)
                                      : applyHeaderOrTitle(row, theirs);
    default:
        return false;
    }
}

bool MergeWindow::takable(int index, bool theirs) const
{
    // Theirs' structure, model or password is made by hand in the editor:
    // such a row is never marked as taken from theirs when it was not.
    return !theirs || m_rows[size_t(index)].conflict.kind == MergeConflict::Field;
}

bool MergeWindow::applyStepField(Row &row, int index, bool theirs)
{
    const MergeConflict &c = row.conflict;
    TestingSequence *seq = m_main.document().sequence(c.sequence);
    TaskStep *step = seq ? seq->step(c.step) : nullptr;
    if (!step)
        return false;
    const TestingSequence *theirsSeq = m_session.theirs().sequence(c.theirsSequence);
    const TaskStep *theirsStep = theirsSeq ? theirsSeq->step(c.theirsStep) : nullptr;
    if (theirs && !theirsStep)
        return false;
    TaskRecord next = step->record;
    if (!copyRecordField(next, theirs ? theirsStep->record : row.ours, c.field) ||
        next == step->record)
        return false;
    TaskRecord before = std::exchange(step->record, std::move(next));
    const EditRecorder::Key key{this, index + 1};
    m_main.history().recordChanged(*step, std::move(before), key);
    m_main.history().endEdit(key);
    m_main.pane()->followDocument({HistoryFocus::Area::Record, seq, step});
    return true;
}

bool MergeWindow::applyHeaderOrTitle(Row &row, bool theirs)
{
    const MergeConflict &c = row.conflict;
    const WizardDocument &other = m_session.theirs();
    if (TestingSequence *seq = m_main.document().sequence(c.sequence)) {
        const TestingSequence *theirsSeq = other.sequence(c.theirsSequence);
        if (theirs && !theirsSeq)
            return false;
        const QString title = theirs ? theirsSeq->Title : row.oursText;
        if (title == seq->Title)
            return false;
        const EditRecorder::Key key{this, -1};
        m_main.history().changeSequenceTitle(*seq, title, key);
        m_main.history().closeOpenEdit();
        m_main.pane()->followDocument({HistoryFocus::Area::SequenceTitle, seq, nullptr});
        return true;
    }
    WizardHeader header = WizardHeader::of(m_main.document());
    if (c.field == QLatin1String("Title"))
        header.Title = theirs ? other.Title : row.oursText;
    else if (c.field == QLatin1String("SeqEndOption"))
        header.SeqEndOption = theirs ? other.SeqEndOption : row.oursNumber;
    if (header == WizardHeader::of(m_main.document()))
        return false;
    m_main.history().changeHeader(header, QStringLiteral("Merge"));
    m_main.titleEdit()->setText(m_main.document().Title);
    m_main.pane()->followDocument({});
    return true;
}

void MergeWindow::showSelectedStep()
{
    const int index = m_list->indexOfTopLevelItem(m_list->currentItem());
    const bool field = index >= 0 && m_rows[size_t(index)].conflict.kind == MergeConflict::Field;
    m_theirsButton->setEnabled(field);
    m_oursButton->setEnabled(index >= 0);
    if (index < 0)
        return;
    const MergeConflict &c = m_rows[size_t(index)].conflict;
    if (c.sequence < 0 || c.sequence >= m_main.document().sequenceCount())
        return;
    m_main.pane()->setSelectedIndex(c.sequence);
    m_main.pane()->openTaskEditor(c.sequence, c.step);
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
