// The walk-through window.
#include "shell/walkthrough/WalkthroughWindow.h"

#include "print/PictureProbe.h"
#include "review/check/CheckedWalkthrough.h"
#include "shell/walkthrough/WalkCardView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace stepvane {

namespace {

QString listText(const WalkCard &card)
{
    QString text = QStringLiteral("%1. %2").arg(card.step + 1).arg(card.label);
    if (!card.description.isEmpty())
        text += QStringLiteral(" (%1)").arg(card.description);
    return text;
}

QPushButton *navButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

WalkthroughWindow::WalkthroughWindow(const WizardDocument &doc, int model, QWidget *parent)
    : QWidget(parent, Qt::Window), m_doc(doc), m_model(model)
{
    setObjectName(QStringLiteral("walkthroughWindow"));
    setWindowTitle(QStringLiteral("Walk through"));
    setFocusPolicy(Qt::StrongFocus);
    resize(900, 640);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("walkthroughSteps"));
    m_list->setHeaderHidden(true);
    m_list->setFocusPolicy(Qt::NoFocus);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        const QVariant place = item->data(0, Qt::UserRole);
        if (place.isValid())
            goTo(place.toPoint().x(), place.toPoint().y());
    });

    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_back = navButton(QStringLiteral("< Back"), QStringLiteral("backButton"), this);
    m_forward = navButton(QStringLiteral("Next >"), QStringLiteral("forwardButton"), this);
    m_edit = navButton(QStringLiteral("Edit this step"), QStringLiteral("editStepButton"), this);
    connect(m_back, &QPushButton::clicked, this, &WalkthroughWindow::back);
    connect(m_forward, &QPushButton::clicked, this, &WalkthroughWindow::next);
    connect(m_edit, &QPushButton::clicked, this, [this] {
        if (m_step >= 0)
            emit editStepRequested(m_sequence, m_step);
    });

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_scroll, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch(1);
    buttons->addWidget(m_edit);
    rightLayout->addLayout(buttons);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_list);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 620});
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    refresh();
}

std::vector<std::pair<int, int>> WalkthroughWindow::places() const
{
    std::vector<std::pair<int, int>> all;
    for (size_t s = 0; s < m_walk.sequences.size(); ++s)
        for (size_t t = 0; t < m_walk.sequences[s].cards.size(); ++t)
            all.emplace_back(int(s), int(t));
    all.emplace_back(int(m_walk.sequences.size()) - 1, -1);
    return all;
}

int WalkthroughWindow::placeIndex() const
{
    const auto all = places();
    for (size_t i = 0; i < all.size(); ++i)
        if ((m_step < 0 && all[i].second < 0) ||
            (all[i].first == m_sequence && all[i].second == m_step))
            return int(i);
    return int(all.size()) - 1;
}

const WalkCard &WalkthroughWindow::currentCard() const
{
    if (m_step < 0 || size_t(m_sequence) >= m_walk.sequences.size() ||
        size_t(m_step) >= m_walk.sequences[size_t(m_sequence)].cards.size())
        return m_walk.end;
    return m_walk.sequences[size_t(m_sequence)].cards[size_t(m_step)];
}

void WalkthroughWindow::refresh()
{
    CheckOptions options;
    options.model = m_model;
    options.pictures = decodePicture;
    m_walk = buildWalkthrough(m_doc, m_model, checkWizard(m_doc, options));

    // The step shown before, wherever it is now; else the same place, or the
    // nearest one that is left.
    int sequence = m_sequence;
    int step = m_step;
    bool found = false;
    for (int s = 0; s < m_doc.sequenceCount() && m_stepRecord && !found; ++s)
        for (int t = 0; t < m_doc.sequence(s)->stepCount(); ++t)
            if (m_doc.sequence(s)->step(t) == m_stepRecord) {
                sequence = s;
                step = t;
                found = true;
                break;
            }
    if (!found && step >= 0) {
        sequence = std::clamp(sequence, 0, std::max(0, m_doc.sequenceCount() - 1));
        const TestingSequence *seq = m_doc.sequence(sequence);
        step = seq && seq->stepCount() > 0 ? std::min(step, seq->stepCount() - 1) : -1;
    }
    fillList();
    goTo(sequence, step);
}

void WalkthroughWindow::fillList()
{
    m_list->clear();
    for (const WalkSequence &ws : m_walk.sequences) {
        auto *top = new QTreeWidgetItem(
            m_list, {QStringLiteral("%1. %2").arg(m_list->topLevelItemCount() + 1).arg(ws.title)});
        if (!ws.cards.empty())
            top->setData(0, Qt::UserRole, QPoint(ws.cards.front().sequence, 0));
        for (const WalkCard &card : ws.cards) {
            auto *item = new QTreeWidgetItem(top, {listText(card)});
            item->setData(0, Qt::UserRole, QPoint(card.sequence, card.step));
            if (!card.findings.empty() || !card.warnings.isEmpty())
                item->setForeground(0, QColor(0xb0, 0x20, 0x20));
        }
    }
    auto *end = new QTreeWidgetItem(m_list, {QStringLiteral("End")});
    end->setData(0, Qt::UserRole, QPoint(0, -1));
    m_list->expandAll();
}

void WalkthroughWindow::goTo(int sequence, int step)
{
    const TestingSequence *seq = m_doc.sequence(sequence);
    if (step >= 0 && (!seq || !seq->step(step)))
        step = -1;
    m_sequence = step >= 0 ? sequence : std::max(0, m_doc.sequenceCount() - 1);
    m_step = step;
    m_stepRecord = step >= 0 ? seq->step(step) : nullptr;
    showCard();
}

void WalkthroughWindow::showCard()
{
    // The current place marked in the list.
    for (QTreeWidgetItemIterator it(m_list); *it; ++it) {
        const QVariant place = (*it)->data(0, Qt::UserRole);
        const bool current = (*it)->childCount() == 0 && place.isValid() &&
                             ((m_step < 0 && place.toPoint().y() < 0) ||
                              (m_step >= 0 && place.toPoint() == QPoint(m_sequence, m_step)));
        QFont font = (*it)->font(0);
        font.setBold(current);
        (*it)->setFont(0, font);
        if (current)
            m_list->setCurrentItem(*it);
    }

    const WalkCard &card = currentCard();
    QString heading;
    if (card.isEnd()) {
        heading = QStringLiteral("End of the wizard");
    } else {
        const WalkSequence &ws = m_walk.sequences[size_t(m_sequence)];
        heading = QStringLiteral("Sequence %1 \"%2\", step %3 of %4: %5")
                      .arg(m_sequence + 1)
                      .arg(ws.title)
                      .arg(m_step + 1)
                      .arg(ws.cards.size())
                      .arg(card.label);
    }
    m_card = new WalkCardView(card, heading, m_tickMs);
    m_card->setObjectName(QStringLiteral("walkCard"));
    connect(m_card, &WalkCardView::advanceRequested, this, &WalkthroughWindow::next,
            Qt::QueuedConnection);
    connect(m_card, &WalkCardView::pictureRequested, this, &WalkthroughWindow::showPicture);
    m_scroll->setWidget(m_card); // deletes the card shown before
    const int index = placeIndex();
    m_back->setEnabled(index > 0);
    m_forward->setEnabled(index + 1 < int(places().size()));
    m_edit->setEnabled(!card.isEnd());
}

void WalkthroughWindow::next()
{
    const auto all = places();
    const int index = placeIndex();
    if (index + 1 < int(all.size()))
        goTo(all[size_t(index) + 1].first, all[size_t(index) + 1].second);
}

void WalkthroughWindow::back()
{
    const auto all = places();
    const int index = placeIndex();
    if (index > 0)
        goTo(all[size_t(index) - 1].first, all[size_t(index) - 1].second);
}

void WalkthroughWindow::nextSequence()
{
    if (m_step < 0)
        return;
    for (int s = m_sequence + 1; s < m_doc.sequenceCount(); ++s)
        if (m_doc.sequence(s)->stepCount() > 0)
            return goTo(s, 0);
    goTo(m_sequence, -1);
}

void WalkthroughWindow::previousSequence()
{
    const int from = m_step < 0 ? m_doc.sequenceCount() : m_sequence;
    for (int s = from - 1; s >= 0; --s)
        if (m_doc.sequence(s)->stepCount() > 0)
            return goTo(s, 0);
}

void WalkthroughWindow::first()
{
    const auto all = places();
    goTo(all.front().first, all.front().second);
}

void WalkthroughWindow::last()
{
    goTo(m_sequence, -1);
}

void WalkthroughWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        next();
        break;
    case Qt::Key_Left:
        back();
        break;
    case Qt::Key_PageDown:
        nextSequence();
        break;
    case Qt::Key_PageUp:
        previousSequence();
        break;
    case Qt::Key_Home:
        first();
        break;
    case Qt::Key_End:
        last();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void WalkthroughWindow::showPicture(const QString &path, const QString &name)
{
    if (!m_picture) {
        auto *window = new QScrollArea(this);
        window->setWindowFlag(Qt::Window);
        window->setObjectName(QStringLiteral("pictureWindow"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWidget(new QLabel(window));
        m_picture = window;
    }
    auto *window = static_cast<QScrollArea *>(m_picture.data());
    auto *label = static_cast<QLabel *>(window->widget());
    label->setPixmap(QPixmap(path));
    label->adjustSize();
    window->setWindowTitle(name);
    window->resize(std::min(label->width() + 24, 1200), std::min(label->height() + 24, 900));
    window->show();
    window->raise();
}

} // namespace stepvane
