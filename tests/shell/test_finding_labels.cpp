// A check finding names its field as the editor page labels it, in the check
// window and in the text the send question shows; the file's own name stays in
// the JSON for scripts.
#include "test_main_window_support.h"

#include "review/check/WizardCheck.h"

namespace stepvane::test {

TEST(FindingLabels, ThePagesWordsNotTheFilesNames)
{
    WizardDocument doc;
    doc.Title = "Tower";
    TestingSequence *s = doc.appendSequence();
    s->Title = "Sweep";
    LoadTask load;
    load.Mode = 2;
    s->insertStep(-1, load);
    s->insertStep(-1, PromptTask{});
    s->insertStep(-1, MarkerPeakTask{});
    s->insertStep(-1, DataPointTask{});
    s->insertStep(-1, ZoomZonesTask{});
    s->insertStep(-1, RfPowerTask{});
    const struct {
        int sequence, step;
        const char *field, *label;
    } cases[] = {
        {0, 0, "SetupfileName", "Setup file"},
        {0, 0, "Mode", "Load setup from"},
        {0, 1, "ImageNum_0", "Prompt 1"},
        {0, 2, "ImageNum_2", "Picture 3"},
        {0, 2, "Num4/X_Value", "Marker 4 X value"},
        {0, 2, "Num1/Search_mode", "Marker 1 search"},
        {0, 2, "Condition/Threshold_Fail", "IF value"},
        {0, 3, "Param", "Data points"},
        {0, 4, "Zone2/Stop_Frequency", "Zone 2 stop frequency"},
        {0, 5, "Display_Minimum", "Display minimum"},
        {0, 5, "External_offset", "External offset"},
        {0, -1, "Title", "Sequence title"},
        {-1, -1, "Title", "Wizard title"},
        {0, 0, "", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(findingFieldLabel({Severity::Error, c.sequence, c.step, c.field, "m"}, doc),
                  c.label)
            << c.field;

    const std::vector<Finding> findings = {
        {Severity::Error, 0, 0, "SetupfileName", "The setup file is missing."}};
    EXPECT_EQ(findingsAsText(findings, doc).value(0),
              "error: sequence 1 \"Sweep\", step 1 Load [Setup file]: The setup file is missing.");
    const QJsonObject json =
        findingsAsJson(findings, doc, 2).value("findings").toArray().at(0).toObject();
    EXPECT_EQ(json.value("field").toString(), "SetupfileName");
    EXPECT_EQ(json.value("label").toString(), "Setup file");

    CheckFindingsDlg window;
    window.showFindings(findings, doc, 2);
    ASSERT_EQ(window.list()->topLevelItemCount(), 1);
    EXPECT_EQ(window.list()->topLevelItem(0)->text(2), "Setup file");
}

} // namespace stepvane::test
