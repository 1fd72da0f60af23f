// The sample table of the page screenshots and its rendering.
#include "editors/PageScreenshots.h"

#include "document/ModelTables.h"
#include "editors/dialogs/CCableListDlg.h"
#include "editors/dialogs/CCompanyInfoDlg.h"
#include "editors/dialogs/CImageDialog.h"
#include "editors/dialogs/CJobInfoDlg.h"
#include "editors/dialogs/CTallyvaultDlg.h"
#include "editors/framework/PageRegistry.h"
#include "instrument_files/CableList.h"
#include "widgets/AppState.h"
#include "widgets/CVXEdit.h"
#include "widgets/UserInterface.h"

#include <QApplication>
#include <QVBoxLayout>

namespace stepvane {

namespace {

template <typename Record> std::function<void(TaskRecord &)> with(std::function<void(Record &)> set)
{
    return [set](TaskRecord &record) { set(std::get<Record>(record)); };
}

QImage grabShown(QWidget &widget, const std::function<void(QWidget &)> &act = {})
{
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    QApplication::processEvents();
    if (act) {
        act(widget);
        QApplication::processEvents();
    }
    QImage image = widget.grab().toImage();
    widget.hide();
    return image;
}

// The pages of one sample stacked as the detail pane stacks them, at the
// pane's narrowest width.
QImage renderPage(const PageSample &sample, UserInterface &ui)
{
    const PageRegistration *pages = findPages(builtinPageRegistry(), sample.kind);
    if (!pages)
        return {};
    AppState state;
    state.CurrentModelIndex = sample.model;
    state.CurrentDistanceUnit = sample.distanceUnit;
    PageContext context{state, ui, {}, nullptr};
    TaskStep step(makeDefaultRecord(sample.kind, sample.model, sample.distanceUnit));
    if (sample.prepare)
        sample.prepare(step.record);

    QWidget pane;
    auto *layout = new QVBoxLayout(&pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    int height = 0;
    int width = 0;
    for (const PageFactory &make : pages->pages) {
        EditorPage *page = make(context, &pane);
        layout->addWidget(page);
        page->Bind(&step);
        height += page->pageSize().height();
        width = std::max(width, page->pageSize().width());
    }
    pane.resize(width, height);
    return grabShown(pane, sample.act);
}

AttachedImage samplePicture(const QString &comment, const QString &name)
{
    AttachedImage image;
    image.Comment = comment;
    image.ImageName = name;
    image.TransImageName = name;
    image.Image_filesize = name.isEmpty() ? 0 : 48213;
    image.ImageWidth = name.isEmpty() ? 0 : 640;
    image.ImageHeight = name.isEmpty() ? 0 : 480;
    return image;
}

std::vector<AttachedImage> sampleActions()
{
    return {samplePicture("Check the jumper connectors", "jumper.jpg"),
            samplePicture("Re-torque the N-type at the antenna", ""),
            samplePicture("", "feeder-route.png")};
}

const char kSampleSetupInfo[] =
    " 1. File Name: sector-A.sta\n 2. Layout: Dual Horizotal\n 3. Mode: DTF VSWR,Reflection VSWR\n"
    " 4. Frequency Band: 1710.00 MHz - 2170.00 MHz\n 5. Distance: 0.00 - 60.00\n"
    " 6. Cable Name: LMR-400\n 7. Velocity Factory: 0.8500\n";

std::vector<CableEntry> sampleCables()
{
    if (cableTable().empty())
        LoadCableList();
    return cableTable();
}

} // namespace

const std::vector<PageSample> &pageSamples()
{
    static const std::vector<PageSample> samples = {
        {"measure-mode-VX310A", TaskMeasureMode, 0, kDistanceMeter, {}},
        {"measure-mode-VX340A", TaskMeasureMode, 3, kDistanceMeter,
         with<MeasureModeTask>([](auto &r) { r.Measurement = MeasureTwoPortPhase; })},
        {"frequency-distance-VX310A", TaskFrequencyDistance, 0, kDistanceMeter,
         with<FrequencyDistanceTask>([](auto &r) {
             r.Description = "Feeder sweep";
             r.Start_Frequency_Check = r.Stop_Frequency_Check = 1;
         })},
        {"frequency-distance-VX340A", TaskFrequencyDistance, 3, kDistanceFoot,
         with<FrequencyDistanceTask>([](auto &r) {
             r.Start_Frequency = 1710;
             r.Stop_Frequency = 2170;
             r.Start_Distance_Check = r.Stop_Distance_Check = 1;
             r.Alt_DTF_Band_Check = 1;
         })},
        // A start frequency above the model's band, committed: clamped, with its note.
        {"correction-note", TaskFrequencyDistance, 0, kDistanceMeter,
         with<FrequencyDistanceTask>([](auto &r) {
             r.Description = "Feeder sweep";
             r.Stop_Frequency_Check = 1;
         }),
         [](QWidget &pane) {
             if (auto *start = pane.findChild<CVXEdit *>(QStringLiteral("Start_Frequency"))) {
                 start->setText(QStringLiteral("3000"));
                 start->commit();
             }
         }},
        {"amplitude-VX310A", TaskAmplitude, 0, kDistanceMeter, {}},
        {"amplitude-VX340A", TaskAmplitude, 3, kDistanceMeter, with<AmplitudeTask>([](auto &r) {
             r.Top = 0;
             r.Bottom = -40;
         })},
        {"general-VX310A", TaskGeneral, 0, kDistanceMeter, {}},
        {"general-VX340A", TaskGeneral, 3, kDistanceMeter,
         with<GeneralTask>([](auto &r) { r.Interference_Rejection = 1; })},
        {"data-point", TaskDataPoint, 2, kDistanceMeter, {}},
        {"windowing", TaskWindowing, 2, kDistanceMeter,
         with<WindowingTask>([](auto &r) { r.Param = 2; })},
        {"dtf-cable-auto", TaskDtf, 2, kDistanceMeter,
         with<DtfTask>([](auto &r) { r.Description = "Main feeder"; })},
        {"dtf-cable-manual", TaskDtf, 2, kDistanceFoot, with<DtfTask>([](auto &r) { r.Mode = 2; })},
        {"rf-power", TaskRfPower, 2, kDistanceMeter, with<RfPowerTask>([](auto &r) {
             r.Display_Mode = RfVswr;
             r.Display_Minimum = 1;
             r.Display_Maximum = 2;
         })},
        {"optical-power", TaskOpticalPower, 2, kDistanceMeter, {}},
        {"fiber", TaskFiber, 2, kDistanceMeter, with<FiberTask>([](auto &r) {
             r.Profile = 1;
             r.Tip = 1;
         })},
        {"bias-tee", TaskBiasTee, 2, kDistanceMeter,
         with<BiasTeeTask>([](auto &r) { r.Voltage_Param = 18; })},
        {"zoom-zones-VX310A", TaskZoomZones, 0, kDistanceMeter, with<ZoomZonesTask>([](auto &r) {
             r.Zone1_Check = 1;
             r.Peak_Valley_Search = 3;
         })},
        {"zoom-zones-VX340A", TaskZoomZones, 3, kDistanceMeter, with<ZoomZonesTask>([](auto &r) {
             r.Zone2_Start_Frequency = 5100;
             r.Zone2_Stop_Frequency = 5800;
             r.Zone2_Check = 1;
         })},
        {"prompt-two-pictures", TaskPrompt, 2, kDistanceMeter, with<PromptTask>([](auto &r) {
             r.Description = "Connect the jumper";
             r.images[0] = samplePicture("Connect the jumper to port 1", "port1.jpg");
             r.images[1] = samplePicture("Tighten by hand, then a quarter turn", "");
             r.images[2] = samplePicture("Check the connector face", "face.png");
             r.Move_forward_Mode = 1;
             r.DelayTime = 30;
         })},
        {"prompt-manual-operation", TaskPrompt, 2, kDistanceMeter,
         with<PromptTask>([](auto &r) { r.Manual_operation = 1; })},
        {"marker-peak", TaskMarkerPeak, 2, kDistanceMeter, with<MarkerPeakTask>([](auto &r) {
             r.Description = "Worst return loss";
             r.markers[0] = {1, 1, 0, 1, 0};
             r.markers[1] = {2, 2, 0, 0, 1850.5};
             r.Search_between = 1;
             r.M1toM2_M5 = 1;
             r.Condition_Check = 1;
             r.Equality_sign = 1;
             r.Axis = 1;
             r.Threshold_Fail = "M1<-18";
             r.images = sampleActions();
         })},
        {"limit-line", TaskLimit, 2, kDistanceMeter, with<LimitTask>([](auto &r) {
             r.Limit_Line_On_Off = 1;
             r.Move_Limit = -15;
             r.Warning_On_Off = 1;
             r.Param = -18;
             r.Pass_Fail = 1;
             r.Condition_Check = 1;
             r.images = sampleActions();
         })},
        {"limit-msl", TaskLimit, 2, kDistanceMeter, with<LimitTask>([](auto &r) {
             r.SelectMode = 0;
             r.MSLfileName = "band-B3.fml";
             r.MSLfileSize = 1024;
             r.images = sampleActions();
         })},
        {"save-automation", TaskSave, 2, kDistanceMeter, with<SaveTask>([](auto &r) {
             r.BaseFileName = "sectorA";
             r.BaseFolderName = "Tower7";
             r.Report_Check = 3;
             r.Screen_Check = 4;
         })},
        {"save-manual", TaskSave, 2, kDistanceMeter, with<SaveTask>([](auto &r) {
             r.SaveMode = 2;
             r.Report_Check = 3;
         })},
        {"report", TaskReport, 2, kDistanceMeter, with<ReportTask>([](auto &r) {
             r.BaseFolderName = "Tower7";
             r.BaseFileName = "acceptance";
         })},
        {"load-from-computer", TaskLoad, 2, kDistanceMeter, with<LoadTask>([](auto &r) {
             r.Mode = 2;
             r.SetupfileName = "/tmp/stepvane-work/sector-A.sta";
             r.SetupfileSize = 286472;
             r.Setup_Info = QString::fromLatin1(kSampleSetupInfo);
         })},
    };
    return samples;
}

const std::vector<DialogSample> &dialogSamples()
{
    static const std::vector<DialogSample> samples = {
        {"cable-list-meter",
         [](UserInterface &) { return std::make_unique<CCableListDlg>(sampleCables(), 0); }},
        {"cable-list-foot",
         [](UserInterface &) { return std::make_unique<CCableListDlg>(sampleCables(), 1); }},
        {"image-dialog",
         [](UserInterface &ui) {
             return std::make_unique<CImageDialog>(
                 ui, samplePicture("Check the jumper connectors", "jumper.jpg"), true);
         }},
        {"image-dialog-prompt",
         [](UserInterface &ui) {
             return std::make_unique<CImageDialog>(ui, samplePicture("", "port1.jpg"), false);
         }},
        {"tag-id",
         [](UserInterface &) {
             return std::make_unique<CTallyvaultDlg>(TagTexts{
                 "Tower7", "WO-2291", "SITE-0042", "Alpha", "LTE 1800", "Sweep", "N-type load"});
         }},
        {"job-information",
         [](UserInterface &) {
             JobInfo job;
             job.names = {"R. Ortiz", "Acceptance", "Roof top, sector A", "Pass", ""};
             job.checks = {1, 1, 1, 0, 0};
             return std::make_unique<CJobInfoDlg>(job);
         }},
        {"company-information",
         [](UserInterface &ui) {
             CompanyInfo company{"Vexmar Field Services", "Pier 4, Harbour Road", 1, 0,
                                 samplePicture("", "logo.png")};
             return std::make_unique<CCompanyInfoDlg>(ui, company);
         }},
    };
    return samples;
}

std::vector<std::pair<QString, QImage>> renderPageSamples(UserInterface &ui)
{
    std::vector<std::pair<QString, QImage>> shots;
    for (const PageSample &sample : pageSamples())
        shots.emplace_back(sample.name, renderPage(sample, ui));
    for (const DialogSample &sample : dialogSamples()) {
        std::unique_ptr<QWidget> dialog = sample.make(ui);
        shots.emplace_back(sample.name, dialog ? grabShown(*dialog) : QImage());
    }
    return shots;
}

} // namespace stepvane
