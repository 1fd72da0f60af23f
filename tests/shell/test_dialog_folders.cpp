// Where the file dialogs start and what Save As proposes, through the real Qt
// dialogs; and the notice that names what was written, with its folder.
#include "test_main_window_support.h"

#include "shell/dialogs/DialogFolders.h"

namespace stepvane::test {
namespace {

// Answers the next file dialog: notes the folder it starts in and the name it
// proposes, then chooses `answer` (or cancels when it is empty).
struct DialogAnswer {
    QString startedIn, proposedName;
    explicit DialogAnswer(const QString &answer)
    {
        QTimer::singleShot(0, [this, answer] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            startedIn = dialog->directory().absolutePath();
            auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
            proposedName = name ? name->text() : QString();
            if (answer.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(answer);
            static_cast<QDialog *>(dialog)->accept(); // as the dialog's own button does
        });
    }
};

void forgetFolders()
{
    programSettings().remove("DialogFolders");
    setDialogWizardPath(QString());
}

// Remembered folders forgotten before and after; a site and a pictures folder.
class DialogFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        forgetFolders();
        QDir().mkpath(site);
        QDir().mkpath(photos);
    }
    void TearDown() override { forgetFolders(); }
    QTemporaryDir dir;
    const QString site = dir.filePath("site"), photos = dir.filePath("photos");
};

} // namespace

TEST_F(DialogFolders, KindsAndSafeNames)
{
    const struct {
        const char *filter, *suffix, *title, *kind;
    } kinds[] = {
        {"Image All support Files(*.jpg,*.jpeg,*.png)|*.jpg;*.jpeg;*.png|", "png", "", "jpg"},
        {"Stepvane files|*.wzd|", "wzd", "Save As", "wzd"},
        {"CSV file(*.csv)|*.csv|", "csv", "", "csv"},
        {"", "TUF", "", "tuf"},
        {"Web page folder (*)", "", "Export as web page", "export-as-web-page"},
    };
    for (const auto &k : kinds)
        EXPECT_EQ(dialogFileKind(k.filter, k.suffix, k.title), k.kind) << k.filter;

    const struct {
        const char *text, *name;
    } names[] = {
        {"Tower 3", "Tower 3"},           {"Site 3/North: feeders?", "Site 3_North_ feeders_"},
        {"  ..hidden. ", "hidden"},       {"a\\b<c>|\"d\"*", "a_b_c___d__"},
        {"line\nbreak\t", "line_break_"}, {"...", ""},
    };
    for (const auto &n : names)
        EXPECT_EQ(fileNameFromText(QString::fromUtf8(n.text)), n.name) << n.text;
    EXPECT_EQ(fileNameFromText(QString(300, u'x')).size(), 120);

    EXPECT_EQ(proposedWizardPath("Tower", QString()), "Tower.wzd");
    EXPECT_EQ(proposedWizardPath("Tower.WZD", QString()), "Tower.wzd");
    EXPECT_EQ(proposedWizardPath("Tower", "/site/old.wzd"), "/site/Tower.wzd");
    EXPECT_EQ(proposedWizardPath("", "/site/old.wzd"), "/site/old.wzd");
    EXPECT_EQ(proposedWizardPath("/", QString()), "_.wzd");
}

// Start folders: the kind's own, the wizard's, the last wizard folder, home;
// a folder that has gone is passed over. Wizards follow the open wizard.
TEST_F(DialogFolders, StartWhereTheWorkIs)
{
    EXPECT_EQ(dialogStartFolder("jpg"), QDir::homePath());

    setDialogWizardPath(site + "/tower.wzd");
    EXPECT_EQ(dialogStartFolder("jpg"), site);
    rememberDialogFolder("jpg", photos + "/mast.jpg");
    EXPECT_EQ(dialogStartFolder("jpg"), photos);
    EXPECT_EQ(dialogStartFolder("csv"), site);
    rememberDialogFolder("wzd", photos + "/other.wzd");
    EXPECT_EQ(dialogStartFolder("wzd"), site);

    setDialogWizardPath(QString()); // New: no wizard file, its folder stays known
    EXPECT_EQ(dialogStartFolder("csv"), photos);
    QDir(photos).removeRecursively();
    EXPECT_EQ(dialogStartFolder("jpg"), QDir::homePath());
}

// The real dialogs: never the working directory; the next dialog of a kind
// starts where the last one ended.
TEST_F(DialogFolders, RealDialogsStartInTheKindsFolder)
{
    ASSERT_TRUE(writeAll(photos + "/mast.png", QByteArray("x")));
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path()); // a working directory that must not be used
    setDialogWizardPath(site + "/tower.wzd");

    QtUserInterface ui;
    const QString filter = "PNG(*.png)|*.png|";
    DialogAnswer first(photos + "/mast.png");
    EXPECT_EQ(ui.openFile(nullptr, "Attach file", filter, "png"), photos + "/mast.png");
    EXPECT_EQ(first.startedIn, site);
    DialogAnswer second{QString()};
    EXPECT_EQ(ui.openFile(nullptr, "Attach file", filter, "png"), QString());
    EXPECT_EQ(second.startedIn, photos);

    // A bare proposed name is filled in, in the kind's folder.
    DialogAnswer save{QString()};
    ui.saveFile(nullptr, "Save report", "CSV file(*.csv)|*.csv|", "csv", "fleet-report.csv", false);
    EXPECT_EQ(save.startedIn, site);
    EXPECT_EQ(save.proposedName, "fleet-report.csv");

    DialogAnswer open{QString()};
    ui.openWizardFile(nullptr);
    EXPECT_EQ(open.startedIn, site);
    QDir::setCurrent(before);
}

// Save As proposes the title as the file name, beside the bound file.
TEST_F(MainWindowTest, SaveAsProposesTheTitle)
{
    window->titleEdit()->setText("Site 3/North");
    doc().Title = "Site 3/North";
    window->saveWizardAs();
    ASSERT_EQ(ui.saveSuggestions.size(), 1);
    EXPECT_EQ(ui.saveSuggestions[0], "Site 3_North.wzd");

    const QString file = wizardFile("old name.wzd", {"A"});
    window->openWizardPath(file);
    EXPECT_EQ(dialogWizardPath(), file);
    window->saveWizardAs();
    ASSERT_EQ(ui.saveSuggestions.size(), 2);
    EXPECT_EQ(ui.saveSuggestions[1], QDir(dir.path()).filePath("Site survey.wzd"));
    window->newWizard();
    EXPECT_EQ(dialogWizardPath(), QString());
}

// Export as web page ends with a notice naming the page; its button opens
// the folder, its close button hides it.
TEST_F(MainWindowTest, ExportNamesThePageWritten)
{
    addSequences(1, 2);
    const QString folder = path("tower-web");
    ui.saveAs(folder);
    window->show();
    window->action("actionExportWebPage")->trigger();
    auto *notice = window->findChild<StatusNotice *>();
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(),
              "Web page written: " + QDir::toNativeSeparators(folder + "/index.html"));
    EXPECT_TRUE(QFile::exists(folder + "/index.html"));
    QTest::mouseClick(notice->openFolderButton(), Qt::LeftButton);
    EXPECT_EQ(ui.openedDocuments, QStringList{folder});
    QTest::mouseClick(notice->findChild<QPushButton *>("closeNoticeButton"), Qt::LeftButton);
    EXPECT_FALSE(notice->isVisible());
}

} // namespace stepvane::test
