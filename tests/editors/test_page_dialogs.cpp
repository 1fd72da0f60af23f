// The page dialogs and the attachment path: pictures become working copies
// of their own (same-named files keep their bytes), a file that is no
// picture or cannot be copied changes nothing and says so, "Del" deletes no
// file, the comment limit, the closing rules of the image dialog and of the
// tag, job and company dialogs, and setup files prepared for load steps.
#include "PageScriptSupport.h"

#include "editors/dialogs/Attachments.h"
#include "editors/dialogs/CCompanyInfoDlg.h"
#include "editors/dialogs/CImageDialog.h"
#include "editors/dialogs/CJobInfoDlg.h"
#include "editors/dialogs/CTallyvaultDlg.h"
#include "editors/pages/SetupFileAttachment.h"
#include "instrument_files/SetupImageBuilder.h"
#include "support/WidgetTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace stepvane;
using namespace pagetest;
using stepvane::test::readAll;

namespace {

class DialogTest : public WorkFolderTest {};

TEST_F(DialogTest, AttachedPicturesKeepTheirOwnBytesWhateverTheirNames)
{
    // Same name in two folders, and a.jpg beside a.png: all four working
    // copies are named a.png, and each holds the bytes of its own file.
    const QStringList files = {
        picture("one/a.jpg", 3, 2, qRgb(255, 0, 0)), picture("two/a.jpg", 5, 4, qRgb(0, 255, 0)),
        picture("one/a.png", 2, 2, qRgb(0, 0, 255)), picture("two/a.png", 7, 1, qRgb(9, 9, 9))};
    QSet<QString> copies;
    for (const QString &file : files) {
        const std::optional<AttachedImage> image = attachPicture(ui, file);
        ASSERT_TRUE(image) << file.toStdString();
        EXPECT_EQ(image->ImageName, QFileInfo(file).fileName());
        EXPECT_EQ(QFileInfo(image->TransImageName).fileName(), QStringLiteral("a.png"));
        EXPECT_TRUE(image->TransImageName.startsWith(workFolder()));
        EXPECT_EQ(readAll(image->TransImageName), readAll(file)) << "copied, not converted";
        EXPECT_EQ(image->Image_filesize, Size(readAll(file).size()));
        EXPECT_EQ(QSize(image->ImageWidth, image->ImageHeight), QImage(file).size());
        copies.insert(image->TransImageName);
    }
    EXPECT_EQ(copies.size(), files.size());
    EXPECT_TRUE(ui.reports.isEmpty());
}

TEST_F(DialogTest, FilesThatAreNoJpegOrPngPictureAreRefusedWithAMessage)
{
    QImage gif(4, 4, QImage::Format_RGB32);
    gif.fill(Qt::red);
    const QString bmp = path("picture.jpg");
    ASSERT_TRUE(gif.save(bmp, "BMP")); // a BMP under a JPEG name
    const QString cut = path("cut.png");
    ASSERT_TRUE(stepvane::test::writeAll(cut, readAll(picture("whole.png", 40, 40, 0)).left(60)));
    for (const QString &file :
         {textFile("notes.png", "not a picture"), bmp, cut, path("missing.png"), scratch.path()}) {
        ui.reports.clear();
        EXPECT_FALSE(attachPicture(ui, file)) << file.toStdString();
        ASSERT_EQ(ui.reports.size(), 1);
        EXPECT_TRUE(ui.reports.front().contains(QFileInfo(file).fileName()));
    }
    EXPECT_TRUE(QDir(workFolder()).entryList(QDir::Files).isEmpty()) << "no copy was made";
}

TEST_F(DialogTest, ImageDialogAttachesThroughTheFileDialogAndKeepsItsPictureOnFailure)
{
    AttachedImage earlier;
    earlier.ImageName = QStringLiteral("old.png");
    earlier.TransImageName = picture("old.png", 2, 2, 0);
    earlier.Image_filesize = 77;
    earlier.ImageWidth = 2;
    earlier.ImageHeight = 2;
    earlier.Comment = QStringLiteral("check the seal");
    CImageDialog dialog(ui, earlier, true);
    dialog.show();

    ui.openPaths = {textFile("broken.jpg", "garbage")};
    dialog.attachButton()->click();
    EXPECT_EQ(ui.openTitles, QStringList{QStringLiteral("Attach file")});
    EXPECT_EQ(ui.openFilters.front(), kPictureFilter);
    EXPECT_EQ(dialog.image(), earlier) << "the slot is exactly as it was";
    EXPECT_EQ(ui.reports.size(), 1);

    const QString chosen = picture("new/b.jpeg", 6, 3, qRgb(1, 2, 3));
    ui.openPaths = {chosen};
    dialog.attachButton()->click();
    AttachedImage now = dialog.image();
    EXPECT_EQ(now.ImageName, QStringLiteral("b.jpeg"));
    EXPECT_EQ(dialog.imageField()->text(), QStringLiteral("b.jpeg"));
    EXPECT_EQ(readAll(now.TransImageName), readAll(chosen));
    EXPECT_EQ(now.Comment, earlier.Comment);

    // Cancelling the file dialog changes nothing either.
    dialog.attachButton()->click();
    EXPECT_EQ(dialog.image(), now);

    // "Del" drops the reference only: the working copy may be shared.
    const QString copy = now.TransImageName;
    dialog.deleteButton()->click();
    now = dialog.image();
    EXPECT_TRUE(now.ImageName.isEmpty());
    EXPECT_TRUE(now.TransImageName.isEmpty());
    EXPECT_EQ(now.Image_filesize, 0u);
    EXPECT_TRUE(dialog.imageField()->text().isEmpty());
    EXPECT_TRUE(QFile::exists(copy));
}

TEST_F(DialogTest, ImageDialogCommentIsCutAtNinetyAndTakenHoweverTheDialogCloses)
{
    CImageDialog hidden(ui, AttachedImage{}, false);
    hidden.show();
    EXPECT_FALSE(hidden.commentField()->isVisible());

    CImageDialog dialog(ui, AttachedImage{}, true);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.commentField()->setFocus();
    QTest::keyClicks(dialog.commentField(), QString(90, u'x'));
    EXPECT_TRUE(ui.reports.isEmpty());
    QTest::keyClicks(dialog.commentField(), QStringLiteral("y"));
    EXPECT_EQ(ui.reports, QStringList{QStringLiteral("IDS_ERROR_COMMENT_CHARACTERS_90_MAX")});
    EXPECT_EQ(dialog.image().Comment, QString(90, u'x'));

    QTest::keyClick(dialog.commentField(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "Escape does nothing";
    QTest::keyClick(dialog.commentField(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible()) << "Enter is OK";
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    CImageDialog boxed(ui, AttachedImage{}, true);
    boxed.show();
    boxed.commentField()->setText(QStringLiteral("seen"));
    boxed.close();
    EXPECT_FALSE(boxed.isVisible());
    EXPECT_EQ(boxed.image().Comment, QStringLiteral("seen"));
}

TEST_F(DialogTest, TagValuesAreKeptOnFocusLossAndWhenClosedWhileStillBeingEdited)
{
    TagTexts start;
    start[2] = QStringLiteral("SITE-7");
    start[6] = QString(600, u'z'); // longer than the instrument's field
    for (int closing = 0; closing < 3; ++closing) {
        CTallyvaultDlg dialog(start);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        EXPECT_EQ(dialog.list()->item(6, 1)->text().size(), kFixedText512);
        EXPECT_EQ(dialog.list()->item(3, 0)->text(), QStringLiteral("Sector"));

        // Row 1 edited and left by a click on another row.
        QTableWidget *list = dialog.list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1, 0)).center());
        ASSERT_TRUE(dialog.editField()->isVisible());
        QTest::keyClicks(dialog.editField(), QStringLiteral("WO-15"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4, 0)).center());
        EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("WO-15"));
        // Row 4 still being typed when the dialog closes.
        QTest::keyClicks(dialog.editField(), QStringLiteral("LTE"));
        if (closing == 0)
            dialog.closeButton()->click();
        else if (closing == 1)
            dialog.close(); // the close box
        else
            QTest::keyClick(dialog.editField(), Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        if (closing == 2) {
            EXPECT_EQ(dialog.result(), QDialog::Rejected) << "Escape writes nothing";
            continue;
        }
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        const TagTexts values = dialog.values();
        EXPECT_EQ(values[1], QStringLiteral("WO-15"));
        EXPECT_EQ(values[2], QStringLiteral("SITE-7"));
        EXPECT_EQ(values[4], QStringLiteral("LTE"));
        EXPECT_EQ(values[6], QString(kFixedText512, u'z'));
    }
}

TEST_F(DialogTest, JobAndCompanyDialogsReturnWhatWasTypedAndTheChosenLogo)
{
    JobInfo job;
    job.names[3] = QStringLiteral("pass");
    job.checks[3] = 1;
    CJobInfoDlg jobs(job);
    jobs.show();
    QTest::keyClicks(jobs.nameField(0), QStringLiteral("R. Ortiz"));
    jobs.checkBox(0)->click();
    jobs.checkBox(3)->click();
    JobInfo expected = job;
    expected.names[0] = QStringLiteral("R. Ortiz");
    expected.checks = {1, 0, 0, 0, 0};
    EXPECT_EQ(jobs.values(), expected);

    CompanyInfo company;
    company.name = QStringLiteral("Vexmar");
    CCompanyInfoDlg dialog(ui, company, nullptr);
    dialog.show();
    ui.openPaths = {textFile("logo.png", "no picture")};
    dialog.logoButton()->click();
    EXPECT_EQ(dialog.values(), company) << "a failed logo changes nothing";
    const QString logo = picture("brand/logo.jpg", 8, 4, qRgb(200, 10, 10));
    ui.openPaths = {logo};
    dialog.logoButton()->click();
    EXPECT_EQ(ui.openSuffixes.back(), QStringLiteral("jpg"));
    QTest::keyClicks(dialog.addressField(), QStringLiteral("Pier 4"));
    dialog.addressCheck()->click();
    const CompanyInfo values = dialog.values();
    EXPECT_EQ(values.name, QStringLiteral("Vexmar"));
    EXPECT_EQ(values.address, QStringLiteral("Pier 4"));
    EXPECT_EQ(values.addressCheck, 1);
    EXPECT_EQ(values.logo.ImageName, QStringLiteral("logo.jpg"));
    EXPECT_EQ(dialog.logoField()->text(), QStringLiteral("logo.jpg"));
    EXPECT_EQ(readAll(values.logo.TransImageName), readAll(logo));
    EXPECT_EQ(QSize(values.logo.ImageWidth, values.logo.ImageHeight), QSize(8, 4));
}

TEST_F(DialogTest, SetupFilesAreSummarisedByTheirFormatAndCopiedWithoutTouchingTheOriginal)
{
    const QByteArray image =
        stepvane::test::SetupImage().startStopHz(2000000000, 2500000000).traces(0).layout(0).bytes;
    const QString sta = textFile("site.sta", image);
    std::optional<SetupAttachment> binary = attachSetupFile(ui, sta, true);
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->format, 1);
    EXPECT_TRUE(binary->info.startsWith(QStringLiteral(" 1. File Name: site.sta\n")));
    EXPECT_TRUE(binary->info.contains(QStringLiteral("2000.00 MHz - 2500.00 MHz")));
    EXPECT_EQ(readAll(binary->workingCopy), image);
    EXPECT_EQ(binary->size, Size(image.size()));

    const QString xmlSource = stepvane::test::fixture(QStringLiteral("procedure/site_dtf.xml"));
    const QString xml = textFile("pc/site_dtf.xml", readAll(xmlSource));
    for (bool strip : {true, false}) {
        const std::optional<SetupAttachment> setup = attachSetupFile(ui, xml, strip);
        ASSERT_TRUE(setup);
        EXPECT_EQ(setup->format, 2);
        EXPECT_TRUE(setup->info.contains(QStringLiteral("File Name: site_dtf.xml")));
        EXPECT_EQ(QFileInfo(setup->workingCopy).fileName(), QStringLiteral("site_dtf.xml"));
        const QByteArray copy = readAll(setup->workingCopy);
        EXPECT_EQ(copy.contains("Cal_Method1"), !strip);
        EXPECT_EQ(copy.contains("Cal_Current"), !strip);
        EXPECT_TRUE(copy.contains("LoadInfo"));
        EXPECT_EQ(setup->size, Size(copy.size()));
    }
    EXPECT_EQ(readAll(xml), readAll(xmlSource)) << "the chosen file is unchanged";
    EXPECT_TRUE(ui.reports.isEmpty());

    for (const QString &bad : {textFile("empty.sta", QByteArray()), path("none.sta")}) {
        EXPECT_FALSE(attachSetupFile(ui, bad, true));
    }
    EXPECT_EQ(ui.reports, QStringList(2, QStringLiteral("IDS_UNKWON_SETUP_FORMAT")));
}

} // namespace
