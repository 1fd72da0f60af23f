// The prompt page.
#include "editors/pages/CPromptView.h"

#include "editors/dialogs/CImageDialog.h"
#include "widgets/TextFieldRules.h"
#include "widgets/UserInterface.h"

#include <QGridLayout>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <algorithm>

namespace stepvane {

namespace {

constexpr int kDelayLow = int(kPromptDelayBounds.lower);
constexpr int kDelayHigh = int(kPromptDelayBounds.upper);
constexpr char kAttachedProperty[] = "attached";

// A small picture (frame, hill and sun); with a green check mark when the
// slot has a picture.
QIcon pictureIcon(bool attached)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 2));
    p.setBrush(QColor(0xe8, 0xf0, 0xfa));
    p.drawRoundedRect(QRectF(3, 6, 24, 19), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xb4, 0x28));
    p.drawEllipse(QPointF(20, 11.5), 2.5, 2.5);
    QPainterPath hill;
    hill.moveTo(4, 24);
    hill.lineTo(12, 14);
    hill.lineTo(19, 24);
    p.setBrush(QColor(0x4a, 0x8a, 0x4a));
    p.drawPath(hill);
    if (attached) {
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {{17, 24}, {22, 29}, {30, 17}};
        p.drawPolyline(tick, 3);
        p.setPen(QPen(QColor(0x1e, 0x8c, 0x2d), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(tick, 3);
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace

CPromptView::CPromptView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskPrompt, kDefaultSize, parent)
{
    buildPrompts();
    buildOperation();
}

void CPromptView::buildPrompts()
{
    // Numbers, comments and picture buttons in a grid of their own: the
    // numbers need no label column.
    auto *prompts = new QWidget(this);
    auto *grid = new QGridLayout(prompts);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    auto *heading = new QLabel(QStringLiteral("Prompt"), prompts);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, 0, 1, 3);
    const QIcon plain = pictureIcon(false);
    const QIcon attached = pictureIcon(true);
    for (int slot = 0; slot < kPromptImageSlots; ++slot) {
        CVXEdit *comment = makeComment(slot);
        comment->setParent(prompts);
        auto *button = new CKiteButton(slot, prompts);
        button->setObjectName(QStringLiteral("image%1").arg(slot + 1));
        button->setToolTip(QStringLiteral("Picture"));
        button->setIconSize(QSize(20, 20));
        button->setFixedSize(26, 26);
        connect(button, &CKiteButton::command, this, &CPromptView::editImage);
        onFill([button, slot, plain, attached](PromptTask &r) {
            const bool has = r.images[size_t(slot)].Image_filesize != 0;
            button->setIcon(has ? attached : plain);
            button->setProperty(kAttachedProperty, has);
        });
        auto *number = new QLabel(QString::number(slot + 1), prompts);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(number, slot + 1, 0);
        grid->addWidget(comment, slot + 1, 1);
        grid->addWidget(button, slot + 1, 2);
        m_comments[size_t(slot)] = comment;
        m_imageButtons[size_t(slot)] = button;
    }
    body()->addWidget(prompts);
}

CVXEdit *CPromptView::makeComment(int slot)
{
    const auto comment = [slot](PromptTask &r) -> QString & {
        return r.images[size_t(slot)].Comment;
    };
    CVXEdit *edit = bindEdit(
        CVXEdit::FreeText, [comment](PromptTask &r) { return comment(r); },
        [this, comment, slot](PromptTask &r, const QString &text, bool) {
            // The field stops at the limit; a longer text can only come
            // from elsewhere and is cut as the file's reader would.
            comment(r) = text.left(kMaxCommentLength);
        });
    edit->setObjectName(QStringLiteral("comment%1").arg(slot + 1));
    limitLength(edit, kMaxCommentLength);
    return edit;
}

void CPromptView::buildOperation()
{
    PageGrid *operation = addGrid(QStringLiteral("Manual operation on instrument"));
    m_enable = newRadioButton(QStringLiteral("Enable"), operation, "enable");
    m_disable = newRadioButton(QStringLiteral("Disable"), operation, "disable");
    operation->addWide(PageGrid::inLine({m_enable, m_disable}, operation));

    PageGrid *move = addGrid(QStringLiteral("Move forward"));
    m_auto = newRadioButton(QStringLiteral("Auto"), move, "auto");
    m_manual = newRadioButton(QStringLiteral("Manual"), move, "manual");
    move->addWide(PageGrid::inLine({m_auto, m_manual}, move));
    const PageGrid::Row delay = addDelay(move);

    bindRadioPair(m_disable, m_enable, &PromptTask::Manual_operation, 0, 1);
    bindRadioPair(m_manual, m_auto, &PromptTask::Move_forward_Mode, 0, 1);
    // While the operator works the instrument, the wizard never moves on by itself.
    showWhen(std::vector<QWidget *>{move},
             [](const PromptTask &r) { return r.Manual_operation == 0; });
    showWhen(delay, [](const PromptTask &r) {
        return r.Manual_operation == 0 && r.Move_forward_Mode != 0;
    });
}

PageGrid::Row CPromptView::addDelay(PageGrid *move)
{
    m_delay = bindEdit(
        CVXEdit::Whole,
        // A stored delay outside the range shows as the nearest the
        // instrument takes; the record keeps it until the field changes.
        [](PromptTask &r) { return QString::number(std::clamp(r.DelayTime, 1, kDelayHigh)); },
        [](PromptTask &r, const QString &text, bool) {
            if (!text.isEmpty())
                r.DelayTime = std::clamp(parseWholeText(text), kDelayLow, kDelayHigh);
        });
    m_delay->setObjectName(QStringLiteral("delay"));
    m_delay->setBounds(kDelayLow, kDelayHigh);
    m_delay->setFixedWidth(56);
    m_up = new QToolButton(move);
    m_up->setObjectName(QStringLiteral("delayUp"));
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(move);
    m_down->setObjectName(QStringLiteral("delayDown"));
    m_down->setArrowType(Qt::DownArrow);
    m_up->setToolTip(QStringLiteral("One second more"));
    m_down->setToolTip(QStringLiteral("One second less"));
    for (QToolButton *spin : {m_up, m_down})
        spin->setFixedSize(20, 22);
    auto *hint = new QLabel(QStringLiteral("(5 - 600 sec)"), move);
    PageGrid::styleHint(hint);
    auto *sec = new QLabel(QStringLiteral("sec"), move);
    auto *delayLine = PageGrid::inLine({m_delay, m_up, m_down, sec, hint}, move);
    delayLine->layout()->setSpacing(4);
    connect(m_up, &QToolButton::clicked, this, [this] { stepDelay(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepDelay(-1); });
    return move->addRow(QStringLiteral("Delay"), delayLine);
}

void CPromptView::stepDelay(int by)
{
    changeRecord(kControlField, [&] {
        if (PromptTask *r = record())
            r->DelayTime = std::clamp(r->DelayTime + by, kDelayLow, kDelayHigh);
    });
}

bool CPromptView::showsAttached(int slot) const
{
    return m_imageButtons[size_t(slot)]->property(kAttachedProperty).toBool();
}

void CPromptView::editImage(int slot)
{
    TaskStep *step = boundStep();
    const PromptTask *r = record();
    if (!r || slot < 0 || slot >= kPromptImageSlots)
        return;
    CImageDialog dialog(context().ui, r->images[size_t(slot)], false, this);
    context().ui.runModal(dialog);
    if (boundStep() != step)
        return;
    // The slot takes the picture; its comment is the page's own field.
    const AttachedImage chosen = dialog.image();
    changeRecord(kControlField, [&] {
        AttachedImage &image = record()->images[size_t(slot)];
        image.ImageName = chosen.ImageName;
        image.TransImageName = chosen.TransImageName;
        image.Image_filesize = chosen.Image_filesize;
        image.ImageWidth = chosen.ImageWidth;
        image.ImageHeight = chosen.ImageHeight;
    });
}

} // namespace stepvane
