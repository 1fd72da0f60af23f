// The "written" notice of a window.
#include "shell/dialogs/StatusNotice.h"

#include "widgets/UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace stepvane {

StatusNotice::StatusNotice(UserInterface &ui, QWidget *parent) : QFrame(parent), m_ui(ui)
{
    setObjectName(QStringLiteral("statusNotice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("statusNoticeText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_openFolder = new QPushButton(QStringLiteral("Open folder"), this);
    m_openFolder->setObjectName(QStringLiteral("openFolderButton"));
    m_openFolder->setAutoDefault(false);
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("closeNoticeButton"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(QStringLiteral("Close this notice"));
    m_close->setAccessibleName(QStringLiteral("Close this notice"));
    m_close->setFlat(true);
    m_close->setAutoDefault(false);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 3, 3);
    row->addWidget(m_text, 1);
    row->addWidget(m_openFolder);
    row->addWidget(m_close);
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(kShownMs);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_openFolder, &QPushButton::clicked, this, &StatusNotice::openFolder);
    hide();
}

void StatusNotice::showWritten(const QString &text, const QString &folder)
{
    m_folder = folder;
    m_text->setText(text);
    m_text->setToolTip(text);
    m_openFolder->setVisible(!folder.isEmpty());
    show();
    raise();
    m_timer->start();
}

QString StatusNotice::text() const
{
    return m_text->text();
}

void StatusNotice::openFolder()
{
    if (m_folder.isEmpty())
        return;
    if (!m_ui.openDocument(m_folder))
        m_ui.report(Message::fromText(QStringLiteral("The folder %s could not be opened."),
                                      {QDir::toNativeSeparators(m_folder)}));
}

namespace {

// A notice laid over the foot of a window that has no place for one.
class FootNotice : public StatusNotice {
public:
    FootNotice(UserInterface &ui, QWidget *window) : StatusNotice(ui, window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            place();
        return false;
    }
    void showEvent(QShowEvent *event) override
    {
        place();
        StatusNotice::showEvent(event);
    }

private:
    void place()
    {
        const QWidget *window = parentWidget();
        const int width = window->width() - 8;
        const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
        setGeometry(4, window->height() - height - 4, width, height);
    }
};

} // namespace

StatusNotice *noticeOf(UserInterface &ui, QWidget *window)
{
    if (auto *notice = window->findChild<StatusNotice *>(QString(), Qt::FindDirectChildrenOnly))
        return notice;
    if (auto *notice = window->findChild<StatusNotice *>())
        return notice;
    return new FootNotice(ui, window);
}

void showWrittenNotice(UserInterface &ui, QWidget *window, const QString &what, const QString &path)
{
    if (!window)
        return;
    const QString shown = QDir::toNativeSeparators(path);
    noticeOf(ui, window->window())
        ->showWritten(QStringLiteral("%1 written: %2").arg(what, shown),
                      QFileInfo(path).absolutePath());
}

} // namespace stepvane
