// The prompt, save and report pages: which rows show in which mode, the
// delay and comment rules of the prompt, pictures and logos that come back
// from a saved wizard byte for byte, and the tag, job and company dialogs
// whose values reach the file (and whose Escape writes nothing).
//
// The picture attachment path and the image and tag dialogs: pictures become
// working copies of their own (same-named files keep their bytes), a file
// that is no picture changes nothing and says so, "Del" deletes no file, the
// comment limit, and the closing rules of the image and tag dialogs.
#include "PageTestSupport.h"

#include "editors/dialogs/Attachments.h"
#include "editors/dialogs/CCompanyInfoDlg.h"
#include "editors/dialogs/CJobInfoDlg.h"
#include "editors/dialogs/CTallyvaultDlg.h"
#include "editors/pages/CPromptView.h"
#include "editors/pages/CReportView.h"
#include "editors/pages/CSaveView.h"
#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include <QCheckBox>
#include <QSettings>
#include <QTableWidget>
#include <QToolButton>

using namespace page_test;
using stepvane::test::readAll;

namespace {

class ProcedurePages : public WorkFolderTest {};

TEST_F(ProcedurePages,
       PromptMoveForwardRowFollowsOperationAndModeAndTheDelayAndCommentsKeepTheirLimits)
{
    CPromptView page(context);
    const PromptTask *r = bindNew(page, TaskPrompt)->as<PromptTask>();
    const auto shown = [&] {
        return visibility({page.autoButton(), page.delayField(), page.delayUp()});
    };
    EXPECT_TRUE(page.disableButton()->state());
    EXPECT_TRUE(page.manualButton()->state());
    EXPECT_EQ(shown(), "100") << "a new step: Manual, no delay";
    page.autoButton()->click();
    EXPECT_EQ(shown(), "111");
    EXPECT_EQ(page.delayField()->text(), "5");
    page.enableButton()->click();
    EXPECT_EQ(r->Manual_operation, 1);
    EXPECT_EQ(shown(), "000") << "no Move forward row while the operator works the instrument";
    page.disableButton()->click();
    EXPECT_EQ(shown(), "111") << "restored as it was";
    page.manualButton()->click();
    EXPECT_EQ(shown(), "100");
    EXPECT_EQ(r->Move_forward_Mode, 0);

    // The delay and the comments keep their limits.
    PromptTask *old = addStep(TaskPrompt)->as<PromptTask>();
    old->Move_forward_Mode = 1, old->DelayTime = 0; // as read from an old file
    page.Bind(sequence->step(1));
    showActive(page);
    EXPECT_EQ(page.delayField()->text(), "1");
    EXPECT_EQ(old->DelayTime, 0) << "showing changes nothing";

    const struct {
        const char *typed;
        int stored;
    } cases[] = {{"700", 600}, {"3", 5}, {"42", 42}};
    for (const auto &c : cases) {
        retype(page.delayField(), c.typed);
        EXPECT_EQ(old->DelayTime, c.stored) << c.typed;
    }
    retype(page.delayField(), "");
    QTest::keyClick(page.delayField(), Qt::Key_Return);
    EXPECT_EQ(page.delayField()->text(), "5");
    EXPECT_EQ(old->DelayTime, 5);
    page.delayDown()->click();
    EXPECT_EQ(old->DelayTime, 5);
    retype(page.delayField(), "600");
    page.delayUp()->click();
    EXPECT_EQ(page.delayField()->text(), "600");
    page.delayDown()->click();
    EXPECT_EQ(page.delayField()->text(), "599");

    retype(page.commentField(3), QString(90, u'c'));
    EXPECT_TRUE(ui.reports.isEmpty());
    EXPECT_EQ(shownLengthCount(page.commentField(3)), "90 / 90");
    QTest::keyClicks(page.commentField(3), "de");
    EXPECT_EQ(old->images[3].Comment, QString(90, u'c'));
    EXPECT_EQ(page.commentField(3)->text(), QString(90, u'c'));
    EXPECT_TRUE(ui.reports.isEmpty()) << "nothing modal interrupts typing";
    ASSERT_NE(FieldNote::of(page.commentField(3)), nullptr);
    EXPECT_EQ(FieldNote::of(page.commentField(3))->text(), lengthLimitNote(90));
}

TEST_F(ProcedurePages, PromptPicturesAreAttachedKeptOnFailureAndComeBackFromTheFile)
{
    CPromptView page(context);
    TaskStep *step = bindNew(page, TaskPrompt);
    PromptTask *r = step->as<PromptTask>();
    r->images[3].Comment = "Connect port 1";
    const QString photo = picture("field/port.jpeg", 6, 4, qRgb(10, 100, 200));
    scriptImageDialog(photo, QString());
    press(page.imageButton(3));
    EXPECT_TRUE(page.showsAttached(3));
    EXPECT_FALSE(page.showsAttached(2));
    EXPECT_EQ(r->images[3].ImageName, "port.jpeg");
    EXPECT_EQ(QFileInfo(r->images[3].TransImageName).fileName(), "port.png");
    EXPECT_EQ(r->images[3].Comment, "Connect port 1") << "the comment is the page's";
    const AttachedImage attached = r->images[3];

    // A file that is no picture: said so, and the slot is as it was.
    scriptImageDialog(textFile("field/notes.jpg", "text"), QString());
    press(page.imageButton(3));
    EXPECT_EQ(r->images[3], attached);
    EXPECT_EQ(ui.reports.size(), 1);

    TaskStep *other = addStep(TaskPrompt);
    page.Bind(other);
    EXPECT_FALSE(page.showsAttached(3)) << "icons follow the bound step";
    page.Bind(step);
    EXPECT_TRUE(page.showsAttached(3));

    const auto back = saveAndReopen(doc);
    const AttachedImage &read = back->sequence(0)->step(0)->as<PromptTask>()->images[3];
    EXPECT_EQ(std::tuple(read.ImageName, read.Image_filesize, read.ImageWidth, read.ImageHeight),
              std::tuple(QString("port.jpeg"), attached.Image_filesize, 6, 4));
    EXPECT_EQ(readAll(read.TransImageName), readAll(photo));

    // "Del" empties the slot and leaves the file for whoever else uses it.
    ui.modal.push_back([](QDialog &dialog) {
        static_cast<CImageDialog &>(dialog).deleteButton()->click();
        dialog.close();
        return dialog.result();
    });
    press(page.imageButton(3));
    EXPECT_FALSE(page.showsAttached(3));
    EXPECT_EQ(r->images[3].Image_filesize, 0u);
    EXPECT_TRUE(QFile::exists(attached.TransImageName));
}

TEST_F(ProcedurePages, SavePageShowsOnlyTheChoicesOfSavedResultsInAutomation)
{
    CSaveView page(context);
    const SaveTask *r = bindNew(page, TaskSave)->as<SaveTask>();
    // Trace formats, report formats, company button, colour inversion, file name.
    const auto shown = [&] {
        return visibility({page.toggle(5026), page.toggle(5030), page.companyButton(),
                           page.toggle(5033), page.fileNameField()});
    };
    EXPECT_EQ(shown(), "10001") << "a new step saves the trace only";
    page.toggle(5029)->click();
    page.toggle(5032)->click();
    EXPECT_EQ(std::pair(r->Report_Check, r->Screen_Check), std::pair(3, 4));
    EXPECT_EQ(shown(), "11111");
    page.toggle(5022)->click();
    EXPECT_EQ(r->SaveMode, 2);
    EXPECT_EQ(shown(), "00100") << "manual: no format choices, no names";
    page.toggle(5021)->click();
    EXPECT_EQ(shown(), "11111");
    page.toggle(5029)->click();
    EXPECT_EQ(r->Report_Check, 0);
    EXPECT_EQ(shown(), "10011") << "report off: no report formats, company or job";

    const struct {
        int id;
        int SaveTask::*field;
        int value;
    } radios[] = {{5024, &SaveTask::Storage, 2},        {5028, &SaveTask::Trace_Format, 3},
                  {5031, &SaveTask::Report_Format, 6},  {5033, &SaveTask::ColorInversion, 7},
                  {5035, &SaveTask::MarkerReadings, 9}, {5106, &SaveTask::Result_Prev, 1}};
    for (const auto &radio : radios) {
        page.toggle(radio.id)->click();
        EXPECT_EQ(r->*radio.field, radio.value) << radio.id;
    }
}

TEST_F(ProcedurePages, ReportPageHidesItsChoicesInManualMode)
{
    CReportView page(context);
    TaskStep *step = bindNew(page, TaskReport);
    const std::vector<QWidget *> automationOnly = {page.folderNameField(), page.fileNameField(),
                                                   page.pdfButton(),       page.tagButton(),
                                                   page.companyButton(),   page.jobButton()};
    for (QWidget *w : automationOnly)
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    page.manualButton()->click();
    for (QWidget *w : automationOnly)
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    page.automationButton()->click();
    page.htmlButton()->click();
    EXPECT_EQ(step->as<ReportTask>()->Filetype, 6);
    EXPECT_TRUE(page.htmlButton()->state());
    EXPECT_FALSE(page.pdfButton()->state());
}

TEST_F(ProcedurePages, TagJobAndCompanyValuesReachTheFileAndEscapeWritesNothing)
{
    CSaveView save(context);
    CReportView report(context);
    TaskStep *saveStep = addStep(TaskSave);
    TaskStep *reportStep = addStep(TaskReport);
    const QString logo = picture("brand/logo.png", 9, 3, qRgb(0, 128, 0));

    const auto tags = [](const QString &site, const QString &termination) {
        return [site, termination](QDialog &dialog) {
            auto &d = static_cast<CTallyvaultDlg &>(dialog);
            d.editRow(2);
            d.editField()->setText(site);
            d.editRow(6);
            d.editField()->setText(termination);
            d.close();
            return dialog.result();
        };
    };
    const auto job = [](QDialog &dialog) {
        auto &d = static_cast<CJobInfoDlg &>(dialog);
        d.nameField(0)->setText("R. Ortiz");
        d.checkBox(0)->click();
        d.nameField(4)->setText("Rain");
        d.closeButton()->click();
        return dialog.result();
    };
    const auto company = [this, logo](QDialog &dialog) {
        auto &d = static_cast<CCompanyInfoDlg &>(dialog);
        d.nameField()->setText("Vexmar Field Services");
        d.nameCheck()->click();
        ui.openPaths.push_back(logo);
        d.logoButton()->click();
        d.closeButton()->click();
        return dialog.result();
    };
    const auto escape = [](QDialog &dialog) {
        auto &d = static_cast<CTallyvaultDlg &>(dialog);
        d.editRow(0);
        d.editField()->setText("never stored");
        QTest::keyClick(d.editField(), Qt::Key_Escape);
        return dialog.result();
    };

    save.Bind(saveStep);
    ui.modal = {tags("SITE-7", QString(600, u't')), job, company, escape};
    save.tagButton()->click();
    save.jobButton()->click();
    save.companyButton()->click();
    save.tagButton()->click();
    report.Bind(reportStep);
    ui.modal = {tags("SITE-9", "N-type"), job, company};
    report.tagButton()->click();
    report.jobButton()->click();
    report.companyButton()->click();
    EXPECT_TRUE(ui.modal.empty());
    EXPECT_EQ(ui.modalTitles.mid(0, 3),
              QStringList({"Tag ID", "Job Information", "Company Information"}));

    const auto back = saveAndReopen(doc);
    const SaveTask *s = back->sequence(0)->step(0)->as<SaveTask>();
    const ReportTask *r = back->sequence(0)->step(1)->as<ReportTask>();
    EXPECT_EQ(s->Site_ID, "SITE-7");
    EXPECT_EQ(s->Termination, QString(kFixedText512, u't')) << "cut to the instrument's field";
    EXPECT_TRUE(s->WorkFolder.isEmpty()) << "Escape wrote nothing";
    EXPECT_EQ(std::tuple(r->Site_ID, r->Termination),
              std::tuple(QString("SITE-9"), QString("N-type")));
    EXPECT_EQ(jobInfoOf(*s), jobInfoOf(*r));
    EXPECT_EQ(std::tuple(s->Engineer_Name, s->Engineer_Check, s->Remark_Name),
              std::tuple(QString("R. Ortiz"), 1, QString("Rain")));
    for (const AttachedImage *read : {&s->logo, &r->logo}) {
        EXPECT_EQ(read->ImageName, "logo.png");
        EXPECT_EQ(QSize(read->ImageWidth, read->ImageHeight), QSize(9, 3));
        EXPECT_EQ(readAll(read->TransImageName), readAll(logo));
    }
    EXPECT_EQ(std::tuple(s->Company_Name, s->Company_Check),
              std::tuple(QString("Vexmar Field Services"), 1));
    EXPECT_EQ(r->Company_Name, "Vexmar Field Services");
}

// The company block typed once is offered to the next save or report step
// in one action ("Use last company"), logo included; the check boxes say
// what they do.
TEST_F(ProcedurePages, TheLastCompanyIsOfferedInOneAction)
{
    CSaveView save(context);
    CReportView report(context);
    TaskStep *saveStep = addStep(TaskSave);
    TaskStep *reportStep = addStep(TaskReport);
    const QString logo = picture("brand/mark.png", 5, 4, qRgb(0, 0, 128));
    QStringList checkNames;
    bool offeredAtFirst = true;
    const auto first = [&](QDialog &dialog) {
        auto &d = static_cast<CCompanyInfoDlg &>(dialog);
        checkNames << d.nameCheck()->accessibleName() << d.addressCheck()->accessibleName()
                   << d.nameCheck()->text();
        d.useLastButton()->click(); // nothing kept from this run's settings yet: no change
        offeredAtFirst = !d.nameField()->text().isEmpty();
        d.nameField()->setText("Vexmar Field Services");
        d.addressField()->setText("Pier 4");
        ui.openPaths.push_back(logo);
        d.logoButton()->click();
        d.closeButton()->click();
        return dialog.result();
    };
    const auto next = [](QDialog &dialog) {
        auto &d = static_cast<CCompanyInfoDlg &>(dialog);
        EXPECT_TRUE(d.useLastButton()->isEnabled());
        QTest::keyClick(d.useLastButton(), Qt::Key_Space);
        d.closeButton()->click();
        return dialog.result();
    };
    QSettings().remove("LastCompany");
    save.Bind(saveStep);
    ui.modal = {first};
    save.companyButton()->click();
    report.Bind(reportStep);
    ui.modal = {next};
    report.companyButton()->click();
    EXPECT_TRUE(ui.modal.empty());
    EXPECT_FALSE(offeredAtFirst);
    EXPECT_EQ(checkNames,
              QStringList({"Company Name in report", "Address in report", "In report"}));

    const auto back = saveAndReopen(doc);
    const SaveTask *s = back->sequence(0)->step(0)->as<SaveTask>();
    const ReportTask *r = back->sequence(0)->step(1)->as<ReportTask>();
    EXPECT_EQ(std::tuple(r->Company_Name, r->Address_Name),
              std::tuple(s->Company_Name, s->Address_Name));
    EXPECT_EQ(r->Company_Name, "Vexmar Field Services");
    EXPECT_EQ(r->logo.ImageName, "mark.png");
    EXPECT_EQ(readAll(r->logo.TransImageName), readAll(logo));
}

TEST_F(ProcedurePages, AttachedPicturesKeepTheirOwnBytesWhateverTheirNames)
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

TEST_F(ProcedurePages, FilesThatAreNoJpegOrPngPictureAreRefusedWithAMessage)
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

TEST_F(ProcedurePages, ImageDialogAttachesThroughTheFileDialogAndKeepsItsPictureOnFailure)
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

TEST_F(ProcedurePages, ImageDialogCommentIsCutAtNinetyAndTakenHoweverTheDialogCloses)
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

TEST_F(ProcedurePages, TagValuesAreKeptOnFocusLossAndWhenClosedWhileStillBeingEdited)
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
