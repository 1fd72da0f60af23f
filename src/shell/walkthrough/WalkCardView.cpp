// The widgets of one walk-through card.
#include "shell/walkthrough/WalkCardView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace stepvane {

namespace {

constexpr int kPictureWidth = 360;
constexpr int kPictureHeight = 240;

QLabel *textLabel(const QString &text, QWidget *parent, const char *style = nullptr)
{
    // Plain text: a wizard's texts are never read as markup.
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    if (style)
        label->setStyleSheet(QString::fromLatin1(style));
    return label;
}

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    // The walk-through window keeps the keys (Space, Enter) for itself.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

WalkCardView::WalkCardView(const WalkCard &card, const QString &heading, int tickMs,
                           QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    QLabel *title = textLabel(heading, this, "font-size: 14pt; font-weight: bold;");
    title->setObjectName(QStringLiteral("cardHeading"));
    layout->addWidget(title);
    if (!card.description.isEmpty())
        layout->addWidget(textLabel(card.description, this, "font-style: italic;"));

    for (const WalkLine &line : card.lines)
        addLine(layout, line, false);
    for (const QString &what : card.what)
        layout->addWidget(textLabel(what, this));
    if (!card.files.isEmpty()) {
        layout->addWidget(textLabel(QStringLiteral("Files:"), this, "font-weight: bold;"));
        for (const QString &file : card.files)
            layout->addWidget(textLabel(QStringLiteral("    ") + file, this));
    }
    for (const QString &warning : card.warnings) {
        QLabel *w = textLabel(QStringLiteral("Warning: ") + warning, this, "color: #8a5a00;");
        w->setObjectName(QStringLiteral("duplicateWarning"));
        layout->addWidget(w);
    }
    if (card.passFail)
        addPassFail(layout, card);
    for (const WalkFinding &f : card.findings) {
        QLabel *label = textLabel(
            (f.error ? QStringLiteral("Error: ") : QStringLiteral("Warning: ")) + f.message, this,
            f.error ? "color: #b02020;" : "color: #8a5a00;");
        label->setObjectName(QStringLiteral("finding"));
        layout->addWidget(label);
    }
    addAdvance(layout, card);
    layout->addStretch(1);

    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &WalkCardView::tick);
    if (card.advance == WalkAdvance::Auto)
        m_timer.start();
}

void WalkCardView::addLine(QVBoxLayout *layout, const WalkLine &line, bool entry)
{
    auto *box = new QWidget(this);
    auto *row = new QVBoxLayout(box);
    row->setContentsMargins(entry ? 16 : 0, 4, 0, 4);
    row->addWidget(textLabel(line.text.isEmpty() ? QStringLiteral("(no text)") : line.text, box));
    if (line.hasPicture()) {
        QPixmap pixmap(line.picturePath);
        QLabel *picture = nullptr;
        if (pixmap.isNull()) {
            picture = textLabel(QStringLiteral("Picture %1 cannot be shown.").arg(line.pictureName),
                                box, "color: #b02020;");
        } else {
            picture = new QLabel(box);
            if (pixmap.width() > kPictureWidth || pixmap.height() > kPictureHeight)
                pixmap = pixmap.scaled(kPictureWidth, kPictureHeight, Qt::KeepAspectRatio,
                                       Qt::SmoothTransformation);
            picture->setPixmap(pixmap);
            picture->setCursor(Qt::PointingHandCursor);
            picture->setToolTip(line.pictureName);
            picture->setProperty("picturePath", line.picturePath);
            picture->setProperty("pictureName", line.pictureName);
            picture->installEventFilter(this);
        }
        picture->setObjectName(QStringLiteral("picture"));
        row->addWidget(picture);
    } else if (entry) {
        row->addWidget(textLabel(QStringLiteral("(no picture)"), box, "color: #8a5a00;"));
    }
    layout->addWidget(box);
}

void WalkCardView::addPassFail(QVBoxLayout *layout, const WalkCard &card)
{
    if (!card.condition.isEmpty())
        layout->addWidget(textLabel(card.condition, this, "font-weight: bold;"));
    auto *buttons = new QHBoxLayout;
    m_passes = button(QStringLiteral("Passes"), QStringLiteral("passesButton"), this);
    m_fails = button(QStringLiteral("Fails"), QStringLiteral("failsButton"), this);
    buttons->addWidget(m_passes);
    buttons->addWidget(m_fails);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_result = textLabel(QString(), this);
    m_result->setObjectName(QStringLiteral("passFailResult"));
    layout->addWidget(m_result);
    m_failPanel = new QWidget(this);
    m_failPanel->setObjectName(QStringLiteral("failPanel"));
    auto *entries = new QVBoxLayout(m_failPanel);
    entries->setContentsMargins(0, 0, 0, 0);
    for (const WalkLine &entry : card.failEntries)
        addLine(entries, entry, true);
    m_failPanel->hide();
    layout->addWidget(m_failPanel);
    const bool anyEntry = !card.failEntries.empty();
    connect(m_passes, &QPushButton::clicked, this, [this] {
        m_result->setText(QStringLiteral("Passes: the wizard goes on with the next step."));
        m_failPanel->hide();
    });
    connect(m_fails, &QPushButton::clicked, this, [this, anyEntry] {
        m_result->setText(anyEntry
                              ? QStringLiteral("Fails: the technician is shown:")
                              : QStringLiteral("Fails: the instrument shows the result only."));
        m_failPanel->setVisible(anyEntry);
    });
}

void WalkCardView::addAdvance(QVBoxLayout *layout, const WalkCard &card)
{
    if (card.advance == WalkAdvance::Auto) {
        m_left = card.delaySeconds;
        auto *row = new QHBoxLayout;
        m_countdown = textLabel(QString(), this, "color: #3a6ea5; font-weight: bold;");
        m_countdown->setObjectName(QStringLiteral("countdown"));
        m_pause = button(QStringLiteral("Pause"), QStringLiteral("pauseButton"), this);
        connect(m_pause, &QPushButton::clicked, this, &WalkCardView::togglePause);
        row->addWidget(m_countdown, 1);
        row->addWidget(m_pause);
        layout->addLayout(row);
        showCountdown();
    } else if (card.advance == WalkAdvance::Manual) {
        auto *row = new QHBoxLayout;
        row->addWidget(textLabel(QStringLiteral("Moves on when the technician presses Next."), this,
                                 "color: #3a6ea5;"),
                       1);
        m_next = button(QStringLiteral("Next"), QStringLiteral("cardNextButton"), this);
        connect(m_next, &QPushButton::clicked, this, &WalkCardView::advanceRequested);
        row->addWidget(m_next);
        layout->addLayout(row);
    }
}

void WalkCardView::togglePause()
{
    if (!m_countdown)
        return;
    m_paused = !m_paused;
    m_pause->setText(m_paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    if (m_paused)
        m_timer.stop();
    else
        m_timer.start();
    showCountdown();
}

void WalkCardView::tick()
{
    if (m_left > 0)
        --m_left;
    showCountdown();
    if (m_left <= 0) {
        m_timer.stop();
        emit advanceRequested();
    }
}

void WalkCardView::showCountdown()
{
    m_countdown->setText(m_paused
                             ? QStringLiteral("Paused: moves on %1 s after resuming.").arg(m_left)
                             : QStringLiteral("Moves on by itself in %1 s.").arg(m_left));
}

bool WalkCardView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const QString path = watched->property("picturePath").toString();
        if (!path.isEmpty()) {
            emit pictureRequested(path, watched->property("pictureName").toString());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace stepvane
