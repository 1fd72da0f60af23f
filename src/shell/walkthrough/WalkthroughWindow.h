// The walk-through window: the wizard as the technician will meet it, one
// step at a time. Left, the sequences and their steps with the current one
// marked; right, the current step's card. Right, Space or Enter go on, Left
// goes back, Page Up/Down go to the previous/next sequence, Home and End to
// the start and the end, Esc closes. It reads the document again whenever it
// changes (refresh), keeping the place while its step still exists.
#pragma once

#include "document/WizardDocument.h"
#include "summary/walkthrough/WalkCards.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QTreeWidget;
class QTreeWidgetItem;

namespace stepvane {

class WalkCardView;

class WalkthroughWindow : public QWidget {
    Q_OBJECT
public:
    WalkthroughWindow(const WizardDocument &doc, int model, QWidget *parent = nullptr);

    // Reads the document again (an edit, an undo, another wizard opened).
    void refresh();
    // step -1 is the end of the wizard.
    void goTo(int sequence, int step);
    void next();
    void back();
    void nextSequence();
    void previousSequence();
    void first();
    void last();

    int currentSequence() const { return m_sequence; }
    int currentStep() const { return m_step; } // -1 at the end
    const WalkCard &currentCard() const;
    WalkCardView *cardView() const { return m_card; }
    QTreeWidget *stepList() const { return m_list; }
    QPushButton *editButton() const { return m_edit; }
    QWidget *pictureWindow() const { return m_picture; }
    // The length of one countdown second; tests make it short.
    void setCountdownTick(int ms) { m_tickMs = ms; }

signals:
    void editStepRequested(int sequence, int step);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The places in walking order: every step, then the end (step -1).
    std::vector<std::pair<int, int>> places() const;
    int placeIndex() const;
    void fillList();
    void showCard();
    void showPicture(const QString &path, const QString &name);

    const WizardDocument &m_doc;
    int m_model = 0;
    Walkthrough m_walk;
    int m_sequence = 0;
    int m_step = -1;
    const TaskStep *m_stepRecord = nullptr; // finds the step again after an edit
    int m_tickMs = 1000;
    QTreeWidget *m_list = nullptr;
    QScrollArea *m_scroll = nullptr;
    WalkCardView *m_card = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
    QPushButton *m_edit = nullptr;
    QPointer<QWidget> m_picture;
};

} // namespace stepvane
