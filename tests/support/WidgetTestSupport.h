// Helpers of the task editor, page and control tests: a user interface that
// answers questions from a script and keeps every message, and mouse and key
// input sent the way a user's would arrive (to the widget under the pointer,
// to the focused widget).
#pragma once

#include "widgets/UserInterface.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <deque>

namespace taskeditor_test {

class FakeUi : public stepvane::UserInterface {
public:
    void report(const stepvane::Message &message) override { reports.push_back(message.id); }
    bool ask(const stepvane::Message &message) override
    {
        questions.push_back(message.id);
        if (answers.empty())
            return defaultAnswer;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString openFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    FileDialogResult saveFile(QWidget *, const QString &, const QString &, const QString &,
                              const QString &, bool) override
    {
        return {};
    }
    bool askPassword(QWidget *, QString &) override { return false; }

    QStringList reports;
    QStringList questions;
    std::deque<bool> answers;
    bool defaultAnswer = true;
};

// The deepest visible widget at a point of the top-level window.
inline QWidget *widgetAt(QWidget *top, const QPoint &posInTop)
{
    QWidget *w = top->childAt(posInTop);
    return w ? w : top;
}

// A press, moves and a release as the window system would deliver them: the
// press goes to the widget under the pointer, which then gets every move and
// the release (the implicit grab), whatever lies under the pointer by then.
inline void drag(QWidget *top, const QPoint &from, const QPoint &to)
{
    QWidget *grabber = widgetAt(top, from);
    const auto local = [&](const QPoint &p) { return grabber->mapFrom(top, p); };
    QTest::mousePress(grabber, Qt::LeftButton, {}, local(from));
    const QPoint step = (to - from) / 4;
    for (int i = 1; i <= 3; ++i)
        QTest::mouseMove(grabber, local(from + step * i));
    QTest::mouseMove(grabber, local(to));
    QTest::mouseRelease(grabber, Qt::LeftButton, {}, local(to));
    QCoreApplication::processEvents();
}

inline void click(QWidget *top, const QPoint &at, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *w = widgetAt(top, at);
    QTest::mouseClick(w, button, {}, w->mapFrom(top, at));
    QCoreApplication::processEvents(); // posted button commands
}

inline void doubleClick(QWidget *top, const QPoint &at)
{
    QWidget *w = widgetAt(top, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, w->mapFrom(top, at));
    QCoreApplication::processEvents();
}

// A key as the user types it: to whatever has the focus.
inline void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget *target = QApplication::focusWidget();
    if (target)
        QTest::keyClick(target, key, modifiers);
    QCoreApplication::processEvents();
}

// The centre of a widget in the coordinates of its top-level window.
inline QPoint centreIn(QWidget *top, const QWidget *w)
{
    return w->mapTo(top, w->rect().center());
}

} // namespace taskeditor_test

// ---- a task editor on a document with one sequence -----------------------

#include "editors/framework/EditorPage.h"
#include "instrument_files/LanguageInfo.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "shell/taskeditor/CVXetailItemView.h"
#include "widgets/AppState.h"
#include "widgets/CVXCMDItemStatic.h"
#include "widgets/CVXSeqStatic.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace taskeditor_test {

class TaskEditorFixture : public ::testing::Test {
protected:
    void SetUp() override { stepvane::LoadLanguageInfo(); }

    void open(int model = 2)
    {
        state.CurrentModelIndex = model;
        dlg = std::make_unique<stepvane::CVXMeasurementEditDlg>(state, ui, doc, seq);
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }

    // Steps whose descriptions are "a", "b", ... in order.
    void addSteps(std::initializer_list<stepvane::TaskKind> kinds)
    {
        for (stepvane::TaskKind kind : kinds) {
            stepvane::TaskStep *step = seq->insertStep(-1, stepvane::makeDefaultRecord(kind, 2, 0));
            stepvane::stepDescription(*step) = QString(QChar(u'a' + seq->stepCount() - 1));
        }
        if (dlg)
            dlg->showSequence(seq);
    }

    QString descriptions() const
    {
        QString out;
        for (const auto &step : seq->steps)
            out += stepvane::stepDescription(*step);
        return out;
    }

    stepvane::CVXMeasureList_View *list() const { return dlg->taskList(); }
    stepvane::CVXetailItemView *pane() const { return dlg->detailPane(); }
    QWidget *top() const { return dlg.get(); }

    // A point on a row's text (away from its delete button), in the window.
    QPoint rowPoint(int row, int dy = 0) const
    {
        return list()->rowWidget(row)->mapTo(top(), QPoint(80, 20 + dy));
    }
    QPoint paletteEntry(int group, int index) const
    {
        return centreIn(top(), dlg->palette(group)->entryWidget(index));
    }
    // Every page is unbound or bound to a step the sequence still holds.
    bool pagesBoundToLiveSteps() const
    {
        for (stepvane::EditorPage *page : pane()->allPages()) {
            const stepvane::TaskStep *bound = page->boundStep();
            if (!bound)
                continue;
            bool alive = false;
            for (const auto &step : seq->steps)
                alive = alive || step.get() == bound;
            if (!alive)
                return false;
        }
        return true;
    }

    stepvane::AppState state;
    FakeUi ui;
    stepvane::WizardDocument doc;
    stepvane::TestingSequence *seq = doc.appendSequence();
    std::unique_ptr<stepvane::CVXMeasurementEditDlg> dlg; // goes before the document
};

} // namespace taskeditor_test
