// A wizard with every kind of step, real PNG pictures on its prompt and fail
// entries, and two save steps writing the same name: the sample the walk-
// through tests (and the screenshots) go through.
#pragma once

#include "document/VX_CAAXML_PARSER.h"
#include "document/WizardDocument.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace stepvane::test {

// A 120 x 80 PNG of one colour with a darker bar, so it is not blank.
inline AttachedImage samplePicture(const QString &dir, const QString &name, const QString &comment,
                                   QColor colour)
{
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).fillRect(10, 30, 100, 20, colour.darker(200));
    const QString path = QDir(dir).filePath(name);
    image.save(path, "PNG");
    return {comment, name, path, Size(QFileInfo(path).size()), 120, 80};
}

inline WizardDocument sampleWizard(const QString &dir, int model)
{
    WizardDocument doc;
    doc.Title = "Tower 7 sweep", doc.SeqEndOption = 1;
    TestingSequence *mast = doc.appendSequence();
    mast->Title = "Mast";
    PromptTask prompt = std::get<PromptTask>(makeDefaultRecord(TaskPrompt, model, 0));
    prompt.Description = "Connect the jumper";
    prompt.images[0] = samplePicture(dir, "jumper.png", "Fit the jumper to port 1", Qt::blue);
    prompt.images[2].Comment = "Torque to 1.1 N m";
    prompt.images[3] = samplePicture(dir, "torque.png", "Check the torque mark", Qt::green);
    prompt.Move_forward_Mode = 1, prompt.DelayTime = 5;
    mast->insertStep(-1, prompt);
    for (TaskKind kind : {TaskLoad, TaskMeasureMode, TaskFrequencyDistance, TaskAmplitude, TaskDtf})
        mast->insertStep(-1, makeDefaultRecord(kind, model, 0));
    MarkerPeakTask marker;
    marker.Description = "Worst return loss";
    marker.markers[0].Name = 1, marker.markers[0].Type = 1, marker.markers[0].Search_mode = 1;
    marker.Condition_Check = 1, marker.Axis = 1, marker.Threshold_Fail = "-14";
    marker.images.push_back(samplePicture(dir, "retorque.png", "Re-torque the connector", Qt::red));
    marker.images.push_back({"Call the supervisor", {}, {}, 0, 0, 0});
    mast->insertStep(-1, marker);
    LimitTask limit = std::get<LimitTask>(makeDefaultRecord(TaskLimit, model, 0));
    limit.Limit_Line_On_Off = 1, limit.Move_Limit = -12.5, limit.Condition_Check = 1;
    limit.images.push_back(samplePicture(dir, "sweep.png", "Sweep the feeder again", Qt::yellow));
    mast->insertStep(-1, limit);
    ZoomZonesTask zoom = std::get<ZoomZonesTask>(makeDefaultRecord(TaskZoomZones, model, 0));
    zoom.Zone1_Check = 1;
    mast->insertStep(-1, zoom);
    for (TaskKind kind : {TaskCalibration, TaskHold, TaskAutoScale})
        mast->insertStep(-1, makeDefaultRecord(kind, model, 0));
    SaveTask save = std::get<SaveTask>(makeDefaultRecord(TaskSave, model, 0));
    save.BaseFolderName = "Tower7", save.BaseFileName = "sweep", save.Screen_Check = 4;
    mast->insertStep(-1, save);
    save.Screen_Check = 0;
    mast->insertStep(-1, save); // writes Tower7/sweep.tra again
    mast->insertStep(-1, makeDefaultRecord(TaskReport, model, 0));

    TestingSequence *feeder = doc.appendSequence();
    feeder->Title = "Feeder";
    for (TaskKind kind : {TaskGeneral, TaskDataPoint, TaskWindowing, TaskRfPower, TaskOpticalPower,
                          TaskFiber, TaskBiasTee})
        feeder->insertStep(-1, makeDefaultRecord(kind, model, 0));
    PromptTask done = std::get<PromptTask>(makeDefaultRecord(TaskPrompt, model, 0));
    done.images[0].Comment = "Disconnect and pack up";
    feeder->insertStep(-1, done);
    return doc;
}

// Saves the wizard as for the third model: the path, or an empty text when it failed.
inline QString savedWizard(WizardDocument doc, const QString &path)
{
    return VX_CAAXML_PARSER(&doc, 2).Save_Wizard(path) ? path : QString();
}

} // namespace stepvane::test
