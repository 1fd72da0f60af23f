// Window places kept in the settings, and windows placed side by side.
#include "widgets/WindowPlace.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace stepvane {

namespace {

constexpr int kWindowGap = 8;

QString settingsKey(const QString &name)
{
    return QStringLiteral("WindowPlaces/") + name;
}

QRect availableArea(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 700);
}

// The frame's extra size around the client area (title bar, borders).
QSize frameExtra(const QWidget *window)
{
    return window->frameGeometry().size() - window->geometry().size();
}

// Writes the window's place when it hides or closes.
class PlaceKeeper final : public QObject {
public:
    PlaceKeeper(QWidget *window, const QString &name) : QObject(window), m_name(name)
    {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        // Only a shown window knows its frame: that is when it is made to
        // fit the screen it is on now.
        if (event->type() == QEvent::Show && window->isWindow())
            keepOnScreen(window);
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
            if (window->isWindow() && !window->isMinimized()) {
                QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
                store.setValue(settingsKey(m_name), window->saveGeometry());
            }
        }
        return false;
    }

private:
    QString m_name;
};

} // namespace

bool rememberPlace(QWidget *window, const QString &name)
{
    if (!window)
        return false;
    new PlaceKeeper(window, name);
    const QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    const QByteArray kept = store.value(settingsKey(name)).toByteArray();
    if (kept.isEmpty() || !window->restoreGeometry(kept))
        return false;
    keepOnScreen(window);
    return true;
}

void keepOnScreen(QWidget *window)
{
    if (!window || window->isMaximized() || window->isFullScreen())
        return;
    const QRect area = availableArea(window);
    const QSize extra = frameExtra(window);
    const QSize most = area.size() - extra;
    const QSize size(std::max(std::min(window->width(), most.width()), window->minimumWidth()),
                     std::max(std::min(window->height(), most.height()), window->minimumHeight()));
    if (size != window->size())
        window->resize(size);
    const QSize outer = size + extra;
    const int x = std::clamp(window->x(), area.left(),
                             std::max(area.left(), area.right() + 1 - outer.width()));
    const int y = std::clamp(window->y(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - outer.height()));
    window->move(x, y);
}

void placeBeside(QWidget *window, QWidget *anchor)
{
    if (!window || !anchor)
        return;
    const QRect area = availableArea(anchor);
    const QRect a = anchor->frameGeometry();
    const QSize outer = window->frameGeometry().size();
    const int y =
        std::clamp(a.top(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    if (a.right() + kWindowGap + outer.width() <= area.right() + 1) {
        window->move(a.right() + 1 + kWindowGap, y);
    } else if (a.left() - kWindowGap - outer.width() >= area.left()) {
        window->move(a.left() - kWindowGap - outer.width(), y);
    } else {
        // No room beside it: each gets half of the screen.
        const int half = (area.width() - kWindowGap) / 2;
        const QSize anchorExtra = frameExtra(anchor);
        const QSize windowExtra = frameExtra(window);
        anchor->move(area.topLeft());
        anchor->resize(std::max(half - anchorExtra.width(), anchor->minimumWidth()),
                       std::min(anchor->height(), area.height() - anchorExtra.height()));
        window->move(area.left() + half + kWindowGap, area.top());
        window->resize(std::max(half - windowExtra.width(), window->minimumWidth()),
                       std::min(window->height(), area.height() - windowExtra.height()));
    }
    keepOnScreen(window);
}

bool windowsOverlap(const QWidget *a, const QWidget *b)
{
    return a && b && a->frameGeometry().intersects(b->frameGeometry());
}

} // namespace stepvane
