// Keys of the main window reach their commands (typed where the user types
// them, with the focus on the sequence rows), and the arrow keys move the
// selection in the sequence list.
#include "test_main_window_support.h"

namespace stepvane::test {
namespace {

struct KeyCase {
    const char *name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char *action; // the action behind the key, listed in the File menu when inMenu
    bool inMenu;
    std::function<bool(CStepvaneDlg &, FakeUi &)> reached;
};

class Shortcuts : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Shortcuts, ReachTheirCommand)
{
    const KeyCase &c = GetParam();
    const QString file = wizardFile("bound.wzd", {"A", "B"});
    window->openWizardPath(file);
    activate(window.get());
    pane().rowArea()->setFocus();
    ui.choosePrinterWith = [](QPrinter &) { return false; };

    QTest::keyClick(pane().rowArea(), c.key, c.modifiers);
    EXPECT_TRUE(c.reached(*window, ui));
    QAction *action = window->action(QString::fromLatin1(c.action));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence(c.key | c.modifiers));
    const QMenu *fileMenu = window->findChild<QToolButton *>("fileButton")->menu();
    EXPECT_EQ(fileMenu->actions().contains(action), c.inMenu) << "shown where it is offered";
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Shortcuts,
    ::testing::Values(
        KeyCase{"New", Qt::Key_N, Qt::ControlModifier, "actionNew", true,
                [](CStepvaneDlg &w, FakeUi &) { return w.document().sequenceCount() == 0; }},
        KeyCase{"Open", Qt::Key_O, Qt::ControlModifier, "actionOpen", true,
                [](CStepvaneDlg &, FakeUi &ui) { return ui.wizardOpenDialogs == 1; }},
        KeyCase{"Save", Qt::Key_S, Qt::ControlModifier, "actionSave", true,
                [](CStepvaneDlg &, FakeUi &ui) {
                    // Bound: written without a dialog.
                    return ui.saveFilters.isEmpty() &&
                           ui.reportIds() == QStringList{"IDS_FILE_SAVE_COMPLETE"};
                }},
        KeyCase{"SaveAs", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "actionSaveAs", true,
                [](CStepvaneDlg &, FakeUi &ui) { return ui.saveFilters.size() == 1; }},
        KeyCase{"Exit", Qt::Key_Q, Qt::ControlModifier, "actionExit", true,
                [](CStepvaneDlg &w, FakeUi &) { return !w.isVisible(); }},
        KeyCase{"Print", Qt::Key_P, Qt::ControlModifier, "actionPrint", false,
                [](CStepvaneDlg &, FakeUi &ui) { return ui.printDialogs == 1; }},
        KeyCase{"Help", Qt::Key_F1, Qt::NoModifier, "actionHelp", false,
                [](CStepvaneDlg &, FakeUi &ui) { return ui.openedDocuments.size() == 1; }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ArrowKeysMoveTheSequenceSelection)
{
    addSequences(3);
    window->show();
    QWidget *rows = pane().rowArea();
    rows->setFocus();
    const struct {
        Qt::Key key;
        int selected;
    } steps[] = {{Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Down, 2},
                 {Qt::Key_Up, 1},   {Qt::Key_Up, 0},   {Qt::Key_Up, 0}};
    for (const auto &s : steps) {
        QTest::keyClick(rows, s.key);
        EXPECT_EQ(pane().selectedIndex(), s.selected);
    }
    EXPECT_FALSE(window->isModified()) << "selecting is no change";
}

} // namespace
} // namespace stepvane::test
