// Sample task editor for screenshots.
#include "shell/taskeditor/TaskEditorScreenshot.h"

#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"

#include <QCoreApplication>

#include <variant>

namespace stepvane {

namespace {

void addStep(TestingSequence &sequence, const AppState &state, TaskKind kind,
             const QString &description)
{
    TaskStep *step = sequence.insertStep(
        -1, makeDefaultRecord(kind, state.CurrentModelIndex, state.CurrentDistanceUnit));
    if (step)
        std::visit([&](auto &record) { record.Description = description; }, step->record);
}

} // namespace

QImage renderTaskEditorSample(AppState &state, UserInterface &ui)
{
    WizardDocument doc;
    TestingSequence *sequence = doc.appendSequence();
    sequence->Title = QStringLiteral("Feeder line sweep, sector A");
    addStep(*sequence, state, TaskPrompt, QStringLiteral("Connect the jumper to port 1"));
    addStep(*sequence, state, TaskLoad, QString());
    addStep(*sequence, state, TaskCalibration, QStringLiteral("OSL at the jumper end"));
    addStep(*sequence, state, TaskMeasureMode, QStringLiteral("Return loss of the feeder"));
    addStep(*sequence, state, TaskFrequencyDistance, QString());
    addStep(*sequence, state, TaskAmplitude, QString());
    addStep(*sequence, state, TaskMarkerPeak, QStringLiteral("Worst return loss"));
    addStep(*sequence, state, TaskLimit, QString());
    addStep(*sequence, state, TaskHold, QString());
    addStep(*sequence, state, TaskSave, QStringLiteral("Trace and report"));

    QImage image;
    {
        CVXMeasurementEditDlg editor(state, ui, doc, sequence);
        // Shown for real (on the offscreen screen) so the keyboard focus shows.
        editor.show();
        editor.taskList()->selectRow(3, true);
        editor.activateWindow();
        for (int i = 0; i < 50 && !editor.isActiveWindow(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        editor.taskList()->setFocus();
        QCoreApplication::processEvents();
        image = editor.grab().toImage();
        editor.hide();
    }
    return image;
}

} // namespace stepvane
