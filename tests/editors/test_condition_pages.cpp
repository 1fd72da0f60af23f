// The marker/peak and limit pages: the marker rows and the condition, the
// "do the following" list (ten entries at most, add, change, remove only
// what was selected on this step), pictures that come back from a saved
// wizard byte for byte, and the limit page's modes with its mask file.
#include "PageTestSupport.h"

#include "editors/pages/CLimitView.h"
#include "editors/pages/CMarker_PeakView.h"
#include "editors/pages/ConditionImageList.h"

#include <QToolButton>
#include <QTreeWidget>

using namespace page_test;
using stepvane::test::readAll;

namespace {

class ConditionPages : public WorkFolderTest {
protected:
    // With twice, a double-click as the window system delivers it: press,
    // release, the double-click event, release.
    static void clickRow(ConditionImageList *list, int row, bool twice = false)
    {
        QTreeWidget *tree = list->list();
        const QPoint at = tree->visualItemRect(tree->topLevelItem(row)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
        }
    }
    static QStringList rows(ConditionImageList *list)
    {
        QStringList out;
        for (int i = 0; i < list->list()->topLevelItemCount(); ++i)
            out << list->list()->topLevelItem(i)->text(0) + u'|' +
                       list->list()->topLevelItem(i)->text(1);
        return out;
    }
};

TEST_F(ConditionPages, MarkerRowsAndConditionReachTheRecord)
{
    CMarker_PeakView page(context);
    TaskStep *step = addStep(TaskMarkerPeak);
    auto *r = step->as<MarkerPeakTask>();
    r->markers[1].X_Value = 12.5;
    r->markers[2].X_Value = 33;
    r->Condition_Check = 1;
    page.Bind(step);
    page.show();

    page.searchModeList(2)->setCurrentIndex(1); // Peak Search
    EXPECT_EQ(r->markers[2].Search_mode, 1);
    EXPECT_EQ(r->markers[2].X_Value, 0.0);
    EXPECT_EQ(page.xValueField(2)->text(), "0.00");
    EXPECT_EQ(r->markers[1].X_Value, 12.5) << "other rows keep their values";
    page.searchModeList(1)->setCurrentIndex(0); // None leaves the value
    EXPECT_EQ(r->markers[1].X_Value, 12.5);

    page.xValueField(4)->setFocus();
    page.xValueField(4)->selectAll();
    QTest::keyClicks(page.xValueField(4), "7000");
    EXPECT_EQ(r->markers[4].X_Value, 7000.0) << "live updates store as typed";
    QTest::keyClick(page.xValueField(4), Qt::Key_Return);
    EXPECT_EQ(page.xValueField(4)->text(), "6000.00");
    EXPECT_EQ(r->markers[4].X_Value, 6000.0);

    page.thresholdField()->setFocus();
    QTest::keyClicks(page.thresholdField(), "M1>-20;xM2<-25");
    EXPECT_EQ(r->Threshold_Fail, "M1>-20;M2<-25") << "x is refused";

    TaskStep *plain = addStep(TaskMarkerPeak);
    page.Bind(plain);
    EXPECT_FALSE(page.conditionButton()->state()) << "the new step's condition is off";
    EXPECT_EQ(page.xValueField(4)->text(), "0.00");
    page.conditionButton()->click();
    EXPECT_EQ(plain->as<MarkerPeakTask>()->Condition_Check, 1);
    EXPECT_GT(history.changes.size(), 10u);
}

TEST_F(ConditionPages, DoTheFollowingListAddsChangesAndStopsAtTen)
{
    CMarker_PeakView page(context);
    auto &images = bindNew(page, TaskMarkerPeak)->as<MarkerPeakTask>()->images;
    ConditionImageList *list = page.actions();

    scriptImageDialog(QString(), QString()); // neither comment nor picture
    press(list->plusButton());
    EXPECT_TRUE(images.empty());
    scriptImageDialog(QString(), "Reseat the jumper");
    press(list->plusButton());
    const QString picture1 = picture("photos/n-type.jpg", 5, 3, qRgb(90, 20, 20));
    scriptImageDialog(picture1, QString());
    press(list->plusButton());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(rows(list), QStringList({"Reseat the jumper|", "|n-type.jpg"}));
    EXPECT_EQ(readAll(images[1].TransImageName), readAll(picture1));

    // A double-click opens the entry; it takes the dialog's values.
    ui.modal.push_back([](QDialog &dialog) {
        auto &image = static_cast<CImageDialog &>(dialog);
        EXPECT_EQ(image.imageField()->text(), "n-type.jpg");
        image.deleteButton()->click();
        image.commentField()->setText("Torque to 25 Nm");
        image.close();
        return dialog.result();
    });
    clickRow(list, 1, true);
    EXPECT_EQ(rows(list), QStringList({"Reseat the jumper|", "Torque to 25 Nm|"}));
    EXPECT_EQ(images[1].Image_filesize, 0u);

    while (images.size() < 10u) {
        scriptImageDialog(QString(), QStringLiteral("step %1").arg(images.size()));
        press(list->plusButton());
    }
    const int dialogs = ui.modalTitles.size();
    press(list->plusButton());
    EXPECT_EQ(ui.reports, QStringList{"IDS_IF_FAIL_10_MAX"});
    EXPECT_EQ(ui.modalTitles.size(), dialogs) << "no dialog opens when the list is full";
    EXPECT_EQ(images.size(), 10u);
}

TEST_F(ConditionPages, RemovingTakesOnlyTheEntrySelectedOnThisStep)
{
    CLimitView page(context);
    TaskStep *first = addStep(TaskLimit);
    TaskStep *second = addStep(TaskLimit);
    for (TaskStep *step : {first, second})
        for (const char *comment : {"a", "b", "c"}) {
            AttachedImage entry;
            entry.Comment = QLatin1String(comment);
            step->as<LimitTask>()->images.push_back(entry);
        }
    const LimitTask untouched = *second->as<LimitTask>();
    page.Bind(first);
    showActive(page);
    ConditionImageList *list = page.actions();

    clickRow(list, 1);
    press(list->minusButton());
    EXPECT_EQ(rows(list), QStringList({"a|", "c|"}));
    press(list->minusButton());
    EXPECT_EQ(first->as<LimitTask>()->images.size(), 2u) << "nothing selected after a removal";

    clickRow(list, 1);
    page.Bind(second);
    press(list->minusButton());
    list->list()->setFocus();
    QTest::keyClick(list->list(), Qt::Key_Delete);
    EXPECT_EQ(*second->as<LimitTask>(), untouched) << "a row clicked on another step";

    clickRow(list, 0);
    QTest::keyClick(list->list(), Qt::Key_Delete);
    EXPECT_EQ(rows(list), QStringList({"b|", "c|"}));
    EXPECT_EQ(first->as<LimitTask>()->images.size(), 2u);
}

TEST_F(ConditionPages, ConditionPicturesComeBackFromTheSavedWizardByteForByte)
{
    // The same file name from two folders, on a marker step and a limit step.
    const QString red = picture("site-a/fail.png", 4, 4, qRgb(255, 0, 0));
    const QString blue = picture("site-b/fail.png", 6, 2, qRgb(0, 0, 255));
    CMarker_PeakView markers(context);
    CLimitView limit(context);
    TaskStep *markerStep = addStep(TaskMarkerPeak);
    TaskStep *limitStep = addStep(TaskLimit);
    markers.Bind(markerStep);
    scriptImageDialog(red, "Red");
    press(markers.actions()->plusButton());
    limit.Bind(limitStep);
    scriptImageDialog(blue, "Blue");
    press(limit.actions()->plusButton());

    const auto back = saveAndReopen(doc);
    const AttachedImage &m = back->sequence(0)->step(0)->as<MarkerPeakTask>()->images.at(0);
    const AttachedImage &l = back->sequence(0)->step(1)->as<LimitTask>()->images.at(0);
    EXPECT_EQ(std::tuple(m.Comment, m.ImageName, m.ImageWidth, m.ImageHeight),
              std::tuple(QString("Red"), QString("fail.png"), 4, 4));
    EXPECT_EQ(readAll(m.TransImageName), readAll(red));
    EXPECT_EQ(std::tuple(l.Comment, l.ImageName, l.ImageWidth, l.ImageHeight),
              std::tuple(QString("Blue"), QString("fail.png"), 6, 2));
    EXPECT_EQ(readAll(l.TransImageName), readAll(blue));
}

TEST_F(ConditionPages, LimitRowsFollowTheModeAndTheThresholds)
{
    CLimitView page(context);
    auto *r = bindNew(page, TaskLimit)->as<LimitTask>();
    const auto shown = [&] {
        return visibility({page.mslField(), page.failOnButton(), page.failValueField(),
                           page.warningOnButton(), page.warningValueField(), page.textOnButton()});
    };
    EXPECT_EQ(shown(), "010001") << "a new step: only the Pass/Fail radios";
    page.failOnButton()->click();
    EXPECT_EQ(shown(), "011101");
    page.warningOnButton()->click();
    EXPECT_EQ(shown(), "011111");
    // Both values keep to -60..65: each limit is taken, one past it is not.
    for (QLineEdit *field : {page.warningValueField(), page.failValueField()}) {
        for (const auto &[typed, shown] : {std::pair("-61", "-60.00"),
                                           {"-60", "-60.00"},
                                           {"66", "65.00"},
                                           {"100", "65.00"},
                                           {"65", "65.00"}}) {
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, QString::fromLatin1(typed));
            QTest::keyClick(field, Qt::Key_Return);
            EXPECT_EQ(field->text(), QString::fromLatin1(shown))
                << field->objectName().toStdString() << " " << typed;
        }
    }
    page.failOffButton()->click();
    EXPECT_EQ(shown(), "010001");
    page.failOnButton()->click();
    EXPECT_EQ(page.failValueField()->text(), "65.00") << "the value was kept";
    EXPECT_EQ(r->Move_Limit, 65.0);
    page.mslButton()->click();
    EXPECT_EQ(r->SelectMode, 0);
    EXPECT_EQ(shown(), "100001");
    page.textOnButton()->click();
    EXPECT_EQ(r->Pass_Fail, 1);
    EXPECT_TRUE(page.textOnButton()->state());
    EXPECT_FALSE(page.textOffButton()->state());
}

TEST_F(ConditionPages, MaskFilesAreAttachedAndDroppedWithoutTouchingAnotherStep)
{
    CLimitView page(context);
    TaskStep *first = addStep(TaskLimit);
    TaskStep *second = addStep(TaskLimit);
    const QString maskA = textFile("a/band.fml", "mask of site A");
    const QString maskB = textFile("b/band.fml", "mask of site B");
    page.show();
    for (auto [step, mask] : {std::pair(first, maskA), std::pair(second, maskB)}) {
        page.Bind(step);
        EXPECT_FALSE(page.mslChooser()->isVisible());
        page.mslChooser()->click();
        EXPECT_TRUE(ui.openFilters.isEmpty()) << "limit-line mode: no mask file to choose";
        page.mslButton()->click();
        ui.openPaths.push_back(mask);
        page.mslChooser()->click();
        ui.openFilters.clear();
        EXPECT_EQ(page.mslField()->text(), mask);
    }
    const LimitTask keep = *second->as<LimitTask>();
    EXPECT_EQ(keep.MSLfileName, "band.fml");
    EXPECT_EQ(keep.MSLfileSize, Size(14));
    EXPECT_EQ(readAll(keep.TransMSLfileName), "mask of site B");

    // A copy that fails changes nothing and says so.
    page.Bind(second);
    ui.openPaths.push_back(path("gone.fml"));
    page.mslChooser()->click();
    EXPECT_EQ(ui.openFilters, QStringList{"MSL Files(*.fml)|*.fml|"});
    EXPECT_EQ(ui.reports.size(), 1);
    EXPECT_EQ(*second->as<LimitTask>(), keep);

    const auto back = saveAndReopen(doc);
    EXPECT_EQ(readAll(back->sequence(0)->step(0)->as<LimitTask>()->TransMSLfileName),
              "mask of site A");
    EXPECT_EQ(readAll(back->sequence(0)->step(1)->as<LimitTask>()->TransMSLfileName),
              "mask of site B");

    // Back to limit line on the first step: its name and size go, the files stay.
    page.Bind(first);
    const QString firstCopy = first->as<LimitTask>()->TransMSLfileName;
    page.limitLineButton()->click();
    const LimitTask *r = first->as<LimitTask>();
    EXPECT_EQ(std::tuple(r->SelectMode, r->MSLfileName, r->TransMSLfileName, r->MSLfileSize),
              std::tuple(1, QString(), QString(), Size(0)));
    EXPECT_TRUE(QFile::exists(firstCopy));
    EXPECT_EQ(*second->as<LimitTask>(), keep);
    EXPECT_EQ(readAll(keep.TransMSLfileName), "mask of site B");
    page.mslButton()->click();
    EXPECT_TRUE(page.mslField()->text().isEmpty());
}

} // namespace
