// A wizard made for another model opens once the user lets the editor switch
// to that model, and the task editor and the check follow the switch.
#include "test_main_window_support.h"

using namespace stepvane;
using namespace stepvane::test;

namespace {

bool paletteOffersBiasTee(CVXMeasurementEditDlg &editor)
{
    for (const PaletteEntry &entry : editor.palette(1)->entries())
        if (entry.kind == TaskBiasTee)
            return true;
    return false;
}

} // namespace

TEST_F(MainWindowTest, AWizardOfAnotherModelOpensAfterSwitchingTheModel)
{
    const QString vx310 = wizardFile("vx310.wzd", {"Old"}, 0, 1);
    const QString vx340 = wizardFile("vx340.wzd", {"A", "B"}, 3);
    window->show();

    // Open button, VX330A session, a VX310A file: asked, switched, opened.
    ui.openPaths = {vx310};
    QTest::mouseClick(window->findChild<QPushButton *>("openButton"), Qt::LeftButton);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.reports.empty());
    EXPECT_EQ(window->modelLabel()->text(), "VX310A");
    EXPECT_EQ(titles(), QStringList{"Old"});
    QTest::mouseDClick(pane().rowArea(), Qt::LeftButton, {}, pane().rowRect(0).center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(paletteOffersBiasTee(*pane().taskEditor())) << "the palette is VX330A's";
    EXPECT_TRUE(runCheck()->tally()->text().contains("VX310A"));

    // Declined (a drop): refused, the open wizard stays as it was.
    ui.answers = {false, true};
    dropFiles(*window, {vx340});
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_INCORRECT_WZD_FOR_EQP"});
    EXPECT_EQ(titles(), QStringList{"Old"});
    EXPECT_EQ(window->filePath(), vx310);
    dropFiles(*window, {vx340}); // accepted
    EXPECT_EQ(state.CurrentModelIndex, 3);
    EXPECT_EQ(titles(), (QStringList{"A", "B"}));
    EXPECT_TRUE(paletteOffersBiasTee(*pane().taskEditor()));

    // The command line asks the same way.
    window->openCommandLineFile(vx310);
    EXPECT_EQ(ui.questions.size(), 4u);
    EXPECT_EQ(window->modelLabel()->text(), "VX310A");
}
