// The editor's Save when the wizard holds a text a wizard file cannot hold
// (pasted control characters): the save fails with the place named, "The file
// has been saved." is never shown, and the file on disk is left as it was.
#include "test_main_window_support.h"

namespace stepvane::test {
namespace {

TEST_F(MainWindowTest, SaveOfATitleWithAControlCharacterFailsAndKeepsTheFile)
{
    addSequences(1);
    const QString file = path("kept.wzd");
    ui.saveAs(file);
    window->saveWizard();
    const QByteArray before = readAll(file);
    ASSERT_FALSE(before.isEmpty());

    for (const QString &bad : {QStringLiteral("A\x01"
                                              "B"),
                               QStringLiteral("A") + QChar(0xD800)}) {
        ui.reports.clear();
        doc().Title = bad;
        window->saveWizard();
        ASSERT_EQ(ui.reportIds(), QStringList{"IDS_SAVE_FAIL"});
        EXPECT_TRUE(ui.reports.front().detail.contains(QLatin1String("Information/Title")))
            << ui.reports.front().detail.toStdString();
        EXPECT_EQ(readAll(file), before);
    }
}

} // namespace
} // namespace stepvane::test
