// Dragging in the task editor: palette entries dropped on the task list (on a
// row, between rows, below the rows, on a page, back on the palette) and steps
// dragged inside the list (onto themselves, off the rows, onto other rows).
#include "test_main_window_support.h"
#include "widgets/CVXCMDItemStatic.h"

using namespace stepvane;
using namespace taskeditor_test;

TEST_F(TaskEditorFixture, PaletteListsBiasTeeForVX330AAndVX340AOnly)
{
    for (int model = 0; model < 4; ++model) {
        const bool hasBiasTee = model == 2 || model == 3;
        std::vector<TaskKind> kinds;
        for (const PaletteEntry &entry : paletteEntries(1, model))
            kinds.push_back(entry.kind);
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), TaskBiasTee), hasBiasTee ? 1 : 0);
        EXPECT_EQ(kinds.size(), hasBiasTee ? 11u : 10u) << "model " << model;
        open(model);
        EXPECT_EQ(dlg->palette(1)->entries().size(), kinds.size());
        EXPECT_EQ(dlg->palette(1)->entryWidget(int(kinds.size()) - 1)->label(),
                  hasBiasTee ? "Bias Tee" : "Fiber Inspection");
    }
    EXPECT_EQ(paletteEntries(0, 0).size(), 5u);
    EXPECT_EQ(paletteEntries(2, 3).size(), 5u);
}

TEST_F(TaskEditorFixture, DropOfPaletteEntryInsertsAtTheRowUnderThePointer)
{
    open();
    // Targets, with the description order after the drop ("N" the new step).
    const struct {
        const char *name;
        std::function<QPoint()> target;
        QString order;
    } cases[] = {
        {"on row 1", [&] { return rowPoint(1); }, "aNbc"},
        {"between rows 0 and 1", [&] { return rowPoint(0, 20); }, "aNbc"},
        {"on the top edge", [&] { return rowPoint(0, -19); }, "Nabc"},
        {"below the last row", [&] { return rowPoint(2, 60); }, "abcN"},
        {"on the detail pane", [&] { return centreIn(top(), pane()); }, "abc"},
        {"back on the palette", [&] { return paletteEntry(2, 4); }, "abc"},
    };
    for (const auto &c : cases) {
        seq->steps.clear();
        addSteps({TaskHold, TaskHold, TaskHold});
        drag(top(), paletteEntry(1, 0), c.target());
        QString order;
        for (const auto &step : seq->steps)
            order += step->kind() == TaskMeasureMode ? "N" : stepDescription(*step);
        EXPECT_EQ(order, c.order) << c.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.name << ": cursor restored";
        EXPECT_EQ(list()->insertMark(), -1) << c.name;
        if (c.order.contains(u'N')) {
            const int at = int(c.order.indexOf(u'N'));
            EXPECT_EQ(list()->selectedIndex(), at) << c.name;
            EXPECT_EQ(pane()->shownStep(), seq->step(at)) << c.name << ": its page is shown";
        }
    }
    EXPECT_TRUE(ui.reports.isEmpty());
}

TEST_F(TaskEditorFixture, DoubleClickAppendsWithTheModelsDefaultsAndShowsThePage)
{
    open(3);
    state.CurrentDistanceUnit = kDistanceFoot;
    addSteps({TaskHold});
    doubleClick(top(), paletteEntry(1, 1)); // Frequency/Distance
    ASSERT_EQ(seq->stepCount(), 2);
    const auto *record = seq->step(1)->as<FrequencyDistanceTask>();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Stop_Frequency, 6000);
    EXPECT_EQ(record->Units, kDistanceFoot);
    EXPECT_DOUBLE_EQ(record->Stop_Distance, 49.2);
    EXPECT_EQ(list()->selectedIndex(), 1);

    doubleClick(top(), paletteEntry(1, 0)); // Measure mode: a kind with a page
    ASSERT_EQ(seq->stepCount(), 3);
    EXPECT_EQ(pane()->shownStep(), seq->step(2));
    ASSERT_EQ(pane()->visiblePages().size(), 1u);
    EXPECT_EQ(pane()->visiblePages()[0]->boundStep(), seq->step(2));
    EXPECT_EQ(pane()->scrollHeight(), 525);
}

TEST_F(TaskEditorFixture, HundredStepLimitForInsertDropAndPaste)
{
    open();
    state.TaskClipboard = TaskStep(HoldTask{"copied"});
    const struct {
        const char *name;
        std::function<void()> add;
    } ways[] = {
        {"double click", [&] { doubleClick(top(), paletteEntry(2, 3)); }},
        {"drop", [&] { drag(top(), paletteEntry(2, 3), list()->mapTo(top(), QPoint(60, 20))); }},
        {"paste",
         [&] {
             list()->setFocus();
             pressKey(Qt::Key_V, Qt::ControlModifier);
         }},
    };
    for (const auto &way : ways) {
        seq->steps.clear();
        for (int i = 0; i < kMaxSteps - 1; ++i)
            seq->insertStep(-1, HoldTask{});
        dlg->showSequence(seq);
        ui.reports.clear();
        way.add();
        EXPECT_EQ(seq->stepCount(), kMaxSteps) << way.name << ": the 100th step is taken";
        EXPECT_TRUE(ui.reports.isEmpty()) << way.name;
        way.add();
        EXPECT_EQ(seq->stepCount(), kMaxSteps) << way.name;
        EXPECT_EQ(ui.reports, QStringList{"IDS_TASK_OVERFLOW"}) << way.name;
        EXPECT_EQ(list()->rowCount(), kMaxSteps) << way.name;
    }
}

TEST_F(TaskEditorFixture, StepDragMovesOnlyOntoAnotherRowAndTheBackgroundUnselects)
{
    open();
    const struct {
        const char *name;
        int source;
        std::function<QPoint()> target;
        QString order;
        int selected;
    } cases[] = {
        {"onto itself", 0, [&] { return rowPoint(0, 12); }, "abcd", 0},
        {"off the rows, on the pane", 0, [&] { return centreIn(top(), pane()); }, "abcd", -1},
        {"below the rows", 1, [&] { return rowPoint(3, 70); }, "abcd", -1},
        {"down between rows", 0, [&] { return rowPoint(2); }, "bcad", 2},
        {"up to the first row", 3, [&] { return rowPoint(0); }, "dabc", 0},
    };
    for (const auto &c : cases) {
        seq->steps.clear();
        addSteps({TaskMeasureMode, TaskMeasureMode, TaskMeasureMode, TaskMeasureMode});
        TaskStep *moved = seq->step(c.source);
        drag(top(), rowPoint(c.source), c.target());
        EXPECT_EQ(descriptions(), c.order) << c.name;
        EXPECT_EQ(list()->selectedIndex(), c.selected) << c.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.name;
        if (c.order != "abcd") {
            EXPECT_EQ(seq->step(c.selected), moved) << c.name << ": the same step object moved";
            EXPECT_EQ(pane()->shownStep(), moved) << c.name << ": the pane shows the moved step";
        }
        for (int i = 0; i < list()->rowCount(); ++i) {
            EXPECT_EQ(list()->rowWidget(i)->look(),
                      i == c.selected ? CVXSeqStatic::Look::Selected : CVXSeqStatic::Look::Normal)
                << c.name << " row " << i;
            EXPECT_EQ(list()->rowWidget(i)->label(), taskRowLabel(*seq->step(i))) << c.name;
        }
    }

    // A release on the window background clears the selection.
    click(top(), rowPoint(1));
    ASSERT_EQ(list()->selectedIndex(), 1);
    click(top(), QPoint(3, top()->height() - 3));
    EXPECT_EQ(list()->selectedIndex(), -1);
    EXPECT_EQ(list()->rowWidget(1)->look(), CVXSeqStatic::Look::Normal);

    // A click inside the detail pane is not a click on the background.
    click(top(), rowPoint(0));
    click(top(), centreIn(top(), pane()));
    EXPECT_EQ(list()->selectedIndex(), 0);
}
