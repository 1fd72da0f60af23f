// Unsaved changes are never lost unasked: New, Open, a recent file, a dropped
// file and closing the window ask "Save changes to … ?" with Save, Discard
// and Cancel when the wizard has changes, and nothing when it has none.
// Cancel, and a save that fails or is cancelled, leave the wizard and its
// file exactly as they were.
#include "test_main_window_support.h"

#include "shell/main/RecentFiles.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>

#include <functional>
#include <tuple>

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
    {"New", [](CStepvaneDlg &w, FakeUi &, const QString &) { w.newWizard(); },
     [](CStepvaneDlg &w, const QString &) { return w.document().sequenceCount() == 0; }},
    {"Open",
     [](CStepvaneDlg &w, FakeUi &ui, const QString &other) {
         ui.openPaths.push_back(other);
         w.openWizard();
     },
     [](CStepvaneDlg &w, const QString &other) { return w.filePath() == other; }},
    {"RecentFile", [](CStepvaneDlg &w, FakeUi &, const QString &other) { w.openRecentFile(other); },
     [](CStepvaneDlg &w, const QString &other) { return w.filePath() == other; }},
    {"DroppedFile",
     [](CStepvaneDlg &w, FakeUi &, const QString &other) { w.openDroppedFiles({other}); },
     [](CStepvaneDlg &w, const QString &other) { return w.filePath() == other; }},
    {"CloseWindow", [](CStepvaneDlg &w, FakeUi &, const QString &) { w.close(); },
     [](CStepvaneDlg &w, const QString &) { return !w.isVisible(); }},
};

class UnsavedChanges : public MainWindowTest,
                       public ::testing::WithParamInterface<std::tuple<int, Answer>> {};

TEST_P(UnsavedChanges, AskBeforeLettingGo)
{
    const Path &p = kPaths[std::get<0>(GetParam())];
    const Answer answer = std::get<1>(GetParam());
    const QString mine = path(QStringLiteral("mine.wzd"));
    const QString other = path(QStringLiteral("other.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A")}), 2, mine));
    const WizardDocument otherWizard = makeWizard({QStringLiteral("O1"), QStringLiteral("O2")});
    ASSERT_TRUE(writeWizardFile(otherWizard, 2, other));
    window->show();
    ui.openPaths.push_back(mine);
    window->openWizard();
    ASSERT_EQ(window->filePath(), mine);

    // One change through the window: a new sequence.
    window->newSequenceEdit()->setText(QStringLiteral("Added"));
    window->addSequence();
    ASSERT_TRUE(window->isModified());
    const WizardDocument before = window->document();
    const QByteArray fileBefore = readAll(mine);
    const int openDialogsBefore = ui.wizardOpenDialogs;

    switch (answer) {
    case Answer::Cancel:
        ui.saveChoices = {Choice::Cancel};
        break;
    case Answer::Discard:
        ui.saveChoices = {Choice::Discard};
        break;
    case Answer::Save:
        ui.saveChoices = {Choice::Save};
        break;
    case Answer::SaveFails:
        ui.saveChoices = {Choice::Save};
        ASSERT_TRUE(QFile::remove(mine)); // Save never recreates a vanished file
        break;
    }
    ui.reports.clear();
    p.run(*window, ui, other);

    ASSERT_EQ(ui.saveQuestions.size(), 1);
    EXPECT_EQ(ui.saveQuestions[0], QStringLiteral("Save changes to mine.wzd ?"));
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
    }
    if (answer == Answer::Discard) {
        EXPECT_EQ(readAll(mine), fileBefore);
    }
    if (answer == Answer::SaveFails) {
        EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_SAVE_FAIL")});
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
    const QString other = path(QStringLiteral("other.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("O")}), 2, other));
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
    EXPECT_EQ(ui.saveQuestions.last(), QStringLiteral("Save changes to Untitled ?"));
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
        ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("S")}), 2, file));
        window->openWizardPath(file);
    }
    const QStringList recent = RecentFiles::paths();
    ASSERT_EQ(recent.size(), RecentFiles::kMaxFiles);
    EXPECT_EQ(recent.first(), path(QStringLiteral("w9.wzd")));
    EXPECT_EQ(recent.last(), path(QStringLiteral("w2.wzd")));
    window->openWizardPath(path(QStringLiteral("w5.wzd")));
    EXPECT_EQ(RecentFiles::paths().first(), path(QStringLiteral("w5.wzd"))) << "moved up, once";
    EXPECT_EQ(RecentFiles::paths().count(path(QStringLiteral("w5.wzd"))), 1);

    // The menu lists them; a file gone since is dropped with a message.
    window->recentFilesMenu()->aboutToShow();
    EXPECT_EQ(window->recentFilesMenu()->actions().size(), RecentFiles::kMaxFiles);
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("w9.wzd"))));
    window->openRecentFile(path(QStringLiteral("w9.wzd")));
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_TRUE(ui.reports[0].text().contains(QStringLiteral("w9.wzd")));
    EXPECT_FALSE(RecentFiles::paths().contains(path(QStringLiteral("w9.wzd"))));
    EXPECT_EQ(window->filePath(), path(QStringLiteral("w5.wzd"))) << "the open wizard stays";
}

} // namespace
} // namespace stepvane::test
