// Each kind's line in the sequence summary, spelled as printed there (the
// printed summary's block rows spell some kinds otherwise, as the step row
// tests show), with the step's description where the kind shows one.
#include "summary/SummaryRows.h"

#include <gtest/gtest.h>

using namespace stepvane;

TEST(KindLabels, SequenceLinesKeepTheirOwnSpelling)
{
    TestingSequence sequence;
    for (TaskKind kind : storableTaskKinds()) {
        TaskStep *step = sequence.insertStep(-1, makeDefaultRecord(kind, 0, 0));
        std::visit([&](auto &r) { r.Description = QString("s%1").arg(int(kind)); }, step->record);
    }
    const char *expected =
        "1. Save (s1)\n2. Prompt (s2)\n3. Consolidated report (s3)\n4. Calibration\n"
        "5. BiasTee (s5)\n6. Load (s6)\n7. Measure Mode (s7)\n8. Frequency/Distance (s8)\n"
        "9. Amplitude (s9)\n10. Cable (s10)\n11. Data Point (s11)\n12. RF power (s12)\n"
        "13. Optical power (s13)\n14. Fiber (s14)\n15. Windowing (s15)\n16. Marker/Peak (s16)\n"
        "17. Limit (s17)\n18. Zoom zones (s18)\n19. Hold\n20. Auto scale\n21. General (s23)";
    EXPECT_EQ(sequenceSummaryLines(sequence).join('\n').toStdString(), expected);
}
