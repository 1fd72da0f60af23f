// The picture attachment path and the image and tag dialogs: pictures become
// working copies of their own (same-named files keep their bytes), a file
// that is no picture changes nothing and says so, "Del" deletes no file, the
// comment limit, and the closing rules of the image and tag dialogs.
#include "PageTestSupport.h"

#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include "editors/dialogs/Attachments.h"
#include "editors/dialogs/CTallyvaultDlg.h"

#include <QTableWidget>

using namespace page_test;
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
        EXPECT_EQ(QFileInfo(image->TransImageName).fileName(), "a.png");
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
    earlier.ImageName = "old.png";
    earlier.TransImageName = picture("old.png", 2, 2, 0), earlier.Image_filesize = 77;
    earlier.ImageWidth = 2, earlier.ImageHeight = 2;
    earlier.Comment = "check the seal";
    CImageDialog dialog(ui, earlier, true);
    dialog.show();

    ui.openPaths = {textFile("broken.jpg", "garbage")};
    dialog.attachButton()->click();
    EXPECT_EQ(ui.openTitles, QStringList{"Attach file"});
    EXPECT_EQ(ui.openFilters.front(), kPictureFilter);
    EXPECT_EQ(dialog.image(), earlier) << "the slot is exactly as it was";
    EXPECT_EQ(ui.reports.size(), 1);

    const QString chosen = picture("new/b.jpeg", 6, 3, qRgb(1, 2, 3));
    ui.openPaths = {chosen};
    dialog.attachButton()->click();
    AttachedImage now = dialog.image();
    EXPECT_EQ(now.ImageName, "b.jpeg");
    EXPECT_EQ(dialog.imageField()->text(), "b.jpeg");
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
    QTest::keyClicks(dialog.commentField(), "y");
    EXPECT_TRUE(ui.reports.isEmpty()) << "a note, not a message box";
    EXPECT_NE(FieldNote::of(dialog.commentField()), nullptr);
    EXPECT_EQ(dialog.image().Comment, QString(90, u'x'));

    QTest::keyClick(dialog.commentField(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "Escape does nothing";
    QTest::keyClick(dialog.commentField(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible()) << "Enter is OK";
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    CImageDialog boxed(ui, AttachedImage{}, true);
    boxed.show();
    boxed.commentField()->setText("seen");
    boxed.close();
    EXPECT_FALSE(boxed.isVisible());
    EXPECT_EQ(boxed.image().Comment, "seen");
}

TEST_F(DialogTest, TagValuesAreKeptOnFocusLossAndWhenClosedWhileStillBeingEdited)
{
    TagTexts start;
    start[2] = "SITE-7";
    start[6] = QString(600, u'z'); // longer than the instrument's field
    for (int closing = 0; closing < 3; ++closing) {
        CTallyvaultDlg dialog(start);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        EXPECT_EQ(dialog.list()->item(6, 1)->text().size(), kFixedText512);
        EXPECT_EQ(dialog.list()->item(3, 0)->text(), "Sector");

        // Row 1 edited and left by a click on another row.
        QTableWidget *list = dialog.list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1, 0)).center());
        ASSERT_TRUE(dialog.editField()->isVisible());
        QTest::keyClicks(dialog.editField(), "WO-15");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4, 0)).center());
        EXPECT_EQ(list->item(1, 1)->text(), "WO-15");
        // Row 4 still being typed when the dialog closes.
        QTest::keyClicks(dialog.editField(), "LTE");
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
        EXPECT_EQ(values[1], "WO-15");
        EXPECT_EQ(values[2], "SITE-7");
        EXPECT_EQ(values[4], "LTE");
        EXPECT_EQ(values[6], QString(kFixedText512, u'z'));
    }
}

} // namespace
