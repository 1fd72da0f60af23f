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
#include <QMenu>
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
    const QString locked = path(QStringLiteral("locked.wzd"));
    const QString vx330 = path(QStringLiteral("vx330.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("Old")}, 1), 0, vx310));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A"), QStringLiteral("B")}), 3, vx340));
    ASSERT_TRUE(
        writeWizardFile(makeWizard({QStringLiteral("L")}, 0, QStringLiteral("pw")), 0, locked));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("C")}), 2, vx330));
    window->show();

    // Open button, VX330A session, a VX310A file: asked, switched, opened.
    ui.openPaths = {vx310};
    ui.answers = {true};
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("openButton")),
                      Qt::LeftButton);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.questions[0].text().contains(QStringLiteral("VX310A")));
    EXPECT_TRUE(ui.reports.empty()) << ui.reportIds().join(u',').toStdString();
    EXPECT_EQ(state.CurrentModelIndex, 0);
    EXPECT_EQ(window->modelLabel()->text(), "VX310A");
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Old")});
    EXPECT_EQ(window->filePath(), vx310);
    doubleClickRow(pane(), 0);
    EXPECT_FALSE(paletteOffersBiasTee(*pane().taskEditor())) << "the palette is VX330A's";
    window->action(QStringLiteral("actionCheck"))->trigger();
    CheckFindingsDlg *findings = window->findChild<WizardCheckCommand *>()->findingsWindow();
    EXPECT_TRUE(findings->tally()->text().contains(QStringLiteral("VX310A")));
    findings->hide();

    // Declined (a drop): refused, the open wizard stays as it was.
    ui.questions.clear();
    ui.answers = {false};
    drop(*window, vx340);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP")});
    EXPECT_EQ(state.CurrentModelIndex, 0);
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Old")});
    EXPECT_EQ(window->filePath(), vx310);

    // Accepted (a drop): the palette of the new model.
    ui.reports.clear();
    ui.answers = {true};
    drop(*window, vx340);
    EXPECT_EQ(state.CurrentModelIndex, 3);
    EXPECT_EQ(window->modelLabel()->text(), "VX340A");
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    doubleClickRow(pane(), 1);
    EXPECT_TRUE(paletteOffersBiasTee(*pane().taskEditor()));

    // A password that is not given: nothing opens and the model stays.
    ui.answers = {true};
    ui.passwords = {std::nullopt};
    drop(*window, locked);
    EXPECT_EQ(state.CurrentModelIndex, 3);
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    // A recent file and the command line ask the same way.
    ui.questions.clear();
    ui.answers = {true, true};
    window->recentFilesMenu()->aboutToShow();
    QAction *recent = nullptr;
    for (QAction *a : window->recentFilesMenu()->actions())
        if (a->text().endsWith(QStringLiteral("vx310.wzd")))
            recent = a;
    ASSERT_TRUE(recent);
    recent->trigger();
    EXPECT_EQ(state.CurrentModelIndex, 0);
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Old")});
    window->openCommandLineFile(vx330);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(state.CurrentModelIndex, 2);
    EXPECT_EQ(titles(), QStringList{QStringLiteral("C")});
    EXPECT_EQ(window->modelLabel()->text(), "VX330A");
}
