// Unsaved changes are never lost unasked: New, Open, a recent file, a dropped
// file and closing the window ask "Save changes to … ?" with Save, Discard
// and Cancel when the wizard has changes, and nothing when it has none.
// Cancel, and a save that fails or is cancelled, leave the wizard and its
// file exactly as they were.
#include "test_main_window_support.h"

#include "shell/main/RecentFiles.h"

namespace stepvane::test {
namespace {

using Choice = UserInterface::SaveChoice;

enum class Answer { Cancel, Discard, Save, SaveFails };

struct Path {
    const char *name;
    // Runs the command that would let go of the wizard; other is a second file.
    std::function<void(CStepvaneDlg &, FakeUi &, const QString &other)> run;
    // Whether the command went through.
    std::function<bool(CStepvaneDlg &, const QString &other)> done;
};

const Path kPaths[] = {
    {"New", [](auto &w, auto &, auto &) { w.newWizard(); },
     [](auto &w, auto &) { return w.document().sequenceCount() == 0; }},
    {"Open",
     [](auto &w, auto &ui, const QString &other) {
         ui.openPaths.push_back(other);
         w.openWizard();
     },
     [](auto &w, const QString &other) { return w.filePath() == other; }},
    {"RecentFile", [](auto &w, auto &, const QString &other) { w.openRecentFile(other); },
     [](auto &w, const QString &other) { return w.filePath() == other; }},
    {"DroppedFile", [](auto &w, auto &, const QString &other) { w.openDroppedFiles({other}); },
     [](auto &w, const QString &other) { return w.filePath() == other; }},
    {"CloseWindow", [](auto &w, auto &, auto &) { w.close(); },
     [](auto &w, auto &) { return !w.isVisible(); }},
};

class UnsavedChanges : public MainWindowTest,
                       public ::testing::WithParamInterface<std::tuple<int, Answer>> {};

TEST_P(UnsavedChanges, AskBeforeLettingGo)
{
    const Path &p = kPaths[std::get<0>(GetParam())];
    const Answer answer = std::get<1>(GetParam());
    const QString mine = wizardFile("mine.wzd", {"A"});
    const QString other = wizardFile("other.wzd", {"O1", "O2"});
    window->show();
    ui.openPaths.push_back(mine);
    window->openWizard();
    ASSERT_EQ(window->filePath(), mine);

    // One change through the window: a new sequence.
    addNamedSequence("Added");
    ASSERT_TRUE(window->isModified());
    const WizardDocument before = window->document();
    const QByteArray fileBefore = readAll(mine);
    const int openDialogsBefore = ui.wizardOpenDialogs;

    const Choice choices[] = {Choice::Cancel, Choice::Discard, Choice::Save, Choice::Save};
    ui.saveChoices = {choices[int(answer)]};
    if (answer == Answer::SaveFails) {
        ASSERT_TRUE(QFile::remove(mine)); // Save never recreates a vanished file
    }
    ui.reports.clear();
    p.run(*window, ui, other);

    ASSERT_EQ(ui.saveQuestions.size(), 1);
    EXPECT_EQ(ui.saveQuestions[0], "Save changes to mine.wzd ?");
    const bool goesOn = answer == Answer::Discard || answer == Answer::Save;
    EXPECT_EQ(p.done(*window, other), goesOn);
    if (!goesOn) {
        EXPECT_TRUE(window->document() == before) << "the wizard is as it was";
        EXPECT_TRUE(window->isModified());
        EXPECT_EQ(window->filePath(), mine);
        EXPECT_EQ(readAll(mine), answer == Answer::Cancel ? fileBefore : QByteArray())
            << "the file is as it was";
        EXPECT_EQ(ui.wizardOpenDialogs, openDialogsBefore) << "asked before any file dialog";
    }
    if (answer == Answer::Save) {
        EXPECT_EQ(readWizardFile(mine, 2).sequenceCount(), 2) << "the change was saved first";
    } else if (answer == Answer::Discard) {
        EXPECT_EQ(readAll(mine), fileBefore);
    } else if (answer == Answer::SaveFails) {
        EXPECT_EQ(ui.reportIds(), QStringList{"IDS_SAVE_FAIL"});
    }
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<int, Answer>> &info)
{
    static const char *const answers[] = {"Cancel", "Discard", "Save", "SaveFails"};
    return std::string(kPaths[std::get<0>(info.param)].name) + "_" +
           answers[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EveryPathAndAnswer, UnsavedChanges,
                         ::testing::Combine(::testing::Range(0, int(std::size(kPaths))),
                                            ::testing::Values(Answer::Cancel, Answer::Discard,
                                                              Answer::Save, Answer::SaveFails)),
                         caseName);

TEST_F(MainWindowTest, NothingIsAskedWithoutChangesAndACancelledSaveDialogCancels)
{
    const QString other = wizardFile("other.wzd", {"O"});
    window->show();
    for (const Path &p : kPaths) {
        if (std::string(p.name) == "CloseWindow")
            continue;
        p.run(*window, ui, other);
        EXPECT_TRUE(p.done(*window, other)) << p.name;
    }
    EXPECT_TRUE(ui.saveQuestions.isEmpty());
    EXPECT_TRUE(ui.questions.empty()) << "not even the old question about the sequences";

    // A wizard never saved: Save asks for a path; cancelling that cancels New.
    window->newWizard();
    window->addSequence();
    ui.saveChoices = {Choice::Save};
    window->newWizard(); // the save dialog answers "cancelled"
    EXPECT_EQ(ui.saveQuestions.last(), "Save changes to Untitled ?");
    EXPECT_EQ(ui.saveFilters.size(), 1);
    EXPECT_EQ(window->document().sequenceCount(), 1);
    EXPECT_TRUE(window->isModified());

    EXPECT_TRUE(window->close() == false) << "and the window stays (Cancel)";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, RecentFilesKeepTheLastEightAndDropMissingOnes)
{
    for (int i = 0; i < 10; ++i) {
        const QString file = path(QStringLiteral("w%1.wzd").arg(i));
        ASSERT_TRUE(writeWizardFile(makeWizard({"S"}), 2, file));
        window->openWizardPath(file);
    }
    const QStringList recent = RecentFiles::paths();
    ASSERT_EQ(recent.size(), RecentFiles::kMaxFiles);
    EXPECT_EQ(recent.first(), path("w9.wzd"));
    EXPECT_EQ(recent.last(), path("w2.wzd"));
    window->openWizardPath(path("w5.wzd"));
    EXPECT_EQ(RecentFiles::paths().first(), path("w5.wzd")) << "moved up, once";
    EXPECT_EQ(RecentFiles::paths().count(path("w5.wzd")), 1);

    // The menu lists them; a file gone since is dropped with a message.
    window->recentFilesMenu()->aboutToShow();
    EXPECT_EQ(window->recentFilesMenu()->actions().size(), RecentFiles::kMaxFiles);
    ASSERT_TRUE(QFile::remove(path("w9.wzd")));
    window->openRecentFile(path("w9.wzd"));
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_TRUE(ui.reports[0].text().contains("w9.wzd"));
    EXPECT_FALSE(RecentFiles::paths().contains(path("w9.wzd")));
    EXPECT_EQ(window->filePath(), path("w5.wzd")) << "the open wizard stays";
}

} // namespace
} // namespace stepvane::test
