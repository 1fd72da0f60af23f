// The findings window says how long sending the wizard takes and follows
// the wizard when a large file is attached.
#include "test_main_window_support.h"

using namespace stepvane;
using stepvane::test::MainWindowTest;

TEST_F(MainWindowTest, TheCheckWindowShowsTheSendTimeOfTheWholeWizard)
{
    TestingSequence *s = doc().appendSequence();
    s->insertStep(-1, HoldTask{});
    CheckFindingsDlg *findings = runCheck();
    ASSERT_TRUE(findings);
    EXPECT_TRUE(findings->sendEstimate()->text().startsWith("Sending takes under a second ("));

    // 300000 bytes go as about 405 KB of base64: some 200 pieces of 2 KB,
    // each followed by the protocol's 20 ms pause.
    ASSERT_TRUE(stepvane::test::writeAll(path("mast.jpg"), QByteArray(300000, 'j')));
    PromptTask prompt;
    prompt.images[0] = {QString(), "mast.jpg", path("mast.jpg"), 300000, 10, 10};
    s->insertStep(-1, prompt);
    findings->checkAgainButton()->click();
    EXPECT_TRUE(findings->sendEstimate()->text().startsWith("Sending takes about 4 s ("))
        << findings->sendEstimate()->text().toStdString();
}
