// Helpers of the measurement-setting page tests: a page on a step of its own
// kind for a model and unit, and input as a user gives it (typing into a
// named field, Enter, clicking a named button, choosing in a named list).
#pragma once

#include "editors/framework/EditorPage.h"
#include "editors/framework/PageRegistry.h"
#include "support/WidgetTestSupport.h"
#include "widgets/CKiteButton.h"
#include "widgets/CVXEdit.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace page_test {

using namespace stepvane;

struct CountingHistory : EditRecorder {
    void recordChanged(TaskStep &, TaskRecord, Key) override { ++changes; }
    void endEdit(Key) override {}
    int changes = 0;
};

// The fake user interface, with modal windows run by a script.
struct PageUi : taskeditor_test::FakeUi {
    std::function<int(QDialog &)> modal;
    int runModal(QDialog &dialog) override { return modal ? modal(dialog) : 0; }
};

// A registered page of the kind, shown and bound to a new step of the kind.
struct PageUnderTest {
    AppState state;
    PageUi ui;
    CountingHistory history;
    PageContext context{state, ui, {}, &history};
    TaskStep step;
    std::unique_ptr<EditorPage> page;

    PageUnderTest(TaskKind kind, int model = 2, int unit = kDistanceMeter)
    {
        state.CurrentModelIndex = model;
        state.CurrentDistanceUnit = unit;
        step = TaskStep(makeDefaultRecord(kind, model, unit));
        const PageRegistration *pages = findPages(builtinPageRegistry(), kind);
        EXPECT_NE(pages, nullptr) << "no page for kind " << kind;
        if (!pages)
            return;
        page.reset(pages->pages.front()(context, nullptr));
        page->Bind(&step);
        page->show();
        page->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(page.get()));
    }
    ~PageUnderTest()
    {
        page.reset();
        QCoreApplication::processEvents();
    }

    template <typename Record> Record &record() { return *step.as<Record>(); }
    void rebind() { page->Bind(&step); }

    template <typename W = QWidget> W *find(const QString &name) const
    {
        W *w = page->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name.toStdString();
        return w;
    }
    CVXEdit *edit(const QString &name) const { return find<CVXEdit>(name); }
    CKiteToggleButton *button(const QString &name) const { return find<CKiteToggleButton>(name); }
    QComboBox *list(const QString &name) const { return find<QComboBox>(name); }
    QString text(const QString &name) const
    {
        const QLineEdit *field = find<QLineEdit>(name);
        return field ? field->text() : QStringLiteral("<missing>");
    }
    bool shown(const QString &name) const { return find(name)->isVisible(); }

    // Replaces the field's text keystroke by keystroke (no commit).
    void type(const QString &name, const QString &text)
    {
        CVXEdit *e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    // Types and presses Enter.
    void enter(const QString &name, const QString &text)
    {
        type(name, text);
        QTest::keyClick(edit(name), Qt::Key_Return);
    }
    void click(const QString &name)
    {
        CKiteToggleButton *b = button(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        QCoreApplication::processEvents();
    }
    void choose(const QString &name, int position) { list(name)->setCurrentIndex(position); }
    void choose(const QString &name, const QString &entry)
    {
        QComboBox *combo = list(name);
        const int position = combo->findText(entry);
        ASSERT_GE(position, 0) << entry.toStdString();
        combo->setCurrentIndex(position);
    }
};

} // namespace page_test
