// The main window and the task editor show the same place: a sequence's own
// check finding brings the editor to that sequence, and a wizard made for
// another model opens once the user lets the editor switch to that model.
#include "test_main_window_support.h"

#include "shell/check/CheckFindingsDlg.h"
#include "shell/check/WizardCheckCommand.h"
#include "shell/taskeditor/CVXCommandItems_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"

#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace stepvane;
using namespace stepvane::test;

namespace {

void doubleClickRow(CVXTestList_View &pane, int row)
{
    QTest::mouseDClick(pane.rowArea(), Qt::LeftButton, {}, pane.rowRect(row).center());
    QCoreApplication::processEvents();
}

bool paletteOffersBiasTee(CVXMeasurementEditDlg &editor)
{
    for (const PaletteEntry &entry : editor.palette(1)->entries())
        if (entry.kind == TaskBiasTee)
            return true;
    return false;
}

void drop(QWidget &target, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

} // namespace

TEST_F(MainWindowTest, ASequencesOwnFindingBringsTheTaskEditorToIt)
{
    TestingSequence *first = doc().appendSequence();
    first->Title = QStringLiteral("Sweep");
    first->insertStep(-1, HoldTask{});
    doc().appendSequence()->Title = QStringLiteral("Empty"); // a finding of its own
    pane().refreshRows();
    window->show();
    doubleClickRow(pane(), 0);
    CVXMeasurementEditDlg *editor = pane().taskEditor();
    ASSERT_EQ(editor->sequence(), first);

    window->action(QStringLiteral("actionCheck"))->trigger();
    CheckFindingsDlg *findings = window->findChild<WizardCheckCommand *>()->findingsWindow();
    ASSERT_TRUE(findings);
    int row = -1;
    for (int i = 0; i < findings->list()->topLevelItemCount(); ++i)
        if (findings->findingAt(i)->sequence == 1 && findings->findingAt(i)->step < 0)
            row = i;
    ASSERT_GE(row, 0) << "no finding of the empty sequence";
    QTreeWidget *list = findings->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(row)).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(pane().selectedIndex(), 1);
    EXPECT_EQ(editor->sequence(), doc().sequence(1)) << "the editor stays on another sequence";
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(MainWindowTest, AWizardOfAnotherModelOpensAfterSwitchingTheModel)
{
    const QString vx310 = path(QStringLiteral("vx310.wzd"));
    const QString vx340 = path(QStringLiteral("vx340.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("Old")}, 1), 0, vx310));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A"), QStringLiteral("B")}), 3, vx340));
    window->show();

    // Open button, VX330A session, a VX310A file: asked, switched, opened.
    ui.openPaths = {vx310};
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("openButton")),
                      Qt::LeftButton);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_EQ(window->modelLabel()->text(), "VX310A");
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Old")});
    doubleClickRow(pane(), 0);
    EXPECT_FALSE(paletteOffersBiasTee(*pane().taskEditor())) << "the palette is VX330A's";
    window->action(QStringLiteral("actionCheck"))->trigger();
    EXPECT_TRUE(
        window->findChild<WizardCheckCommand *>()->findingsWindow()->tally()->text().contains(
            QStringLiteral("VX310A")));

    // Declined (a drop): refused, the open wizard stays as it was.
    ui.answers = {false, true};
    drop(*window, vx340);
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP")});
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Old")});
    EXPECT_EQ(window->filePath(), vx310);
    drop(*window, vx340); // accepted
    EXPECT_EQ(state.CurrentModelIndex, 3);
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_TRUE(paletteOffersBiasTee(*pane().taskEditor()));

    // The command line asks the same way.
    window->openCommandLineFile(vx310);
    EXPECT_EQ(ui.questions.size(), 4u);
    EXPECT_EQ(window->modelLabel()->text(), "VX310A");
}
