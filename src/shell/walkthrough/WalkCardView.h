// One walk-through card as widgets: the step's heading and description,
// prompt lines with their pictures (a click shows the picture at full size),
// what the step does, the files it writes with the duplicate-name warning,
// "Passes" / "Fails" with the fail entries, the check's findings, and how the
// step moves on: an Auto countdown that advances by itself (pause/resume) or
// a Next button.
#pragma once

#include "summary/walkthrough/WalkCards.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace stepvane {

class WalkCardView : public QWidget {
    Q_OBJECT
public:
    // heading: the place of the step ("Sequence 1 "Mast", step 2 of 9").
    // tickMs: the length of one countdown second (shorter in tests).
    WalkCardView(const WalkCard &card, const QString &heading, int tickMs,
                 QWidget *parent = nullptr);

    int secondsLeft() const { return m_left; }
    bool isPaused() const { return m_paused; }
    void togglePause();
    QPushButton *passesButton() const { return m_passes; }
    QPushButton *failsButton() const { return m_fails; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *pauseButton() const { return m_pause; }
    // The fail entries, shown after a click on "Fails".
    QWidget *failPanel() const { return m_failPanel; }
    QLabel *resultLabel() const { return m_result; }

signals:
    // The countdown ran out, or the card's Next button was pressed.
    void advanceRequested();
    // A picture was clicked: show it at full size.
    void pictureRequested(const QString &path, const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addLine(QVBoxLayout *layout, const WalkLine &line, bool entry);
    void addAdvance(QVBoxLayout *layout, const WalkCard &card);
    void addPassFail(QVBoxLayout *layout, const WalkCard &card);
    void tick();
    void showCountdown();

    QTimer m_timer;
    int m_left = 0;
    bool m_paused = false;
    QLabel *m_countdown = nullptr;
    QLabel *m_result = nullptr;
    QPushButton *m_pause = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_passes = nullptr;
    QPushButton *m_fails = nullptr;
    QWidget *m_failPanel = nullptr;
};

} // namespace stepvane
