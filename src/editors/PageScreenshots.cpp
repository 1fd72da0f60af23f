// The sample table of the page screenshots and its rendering.
#include "editors/PageScreenshots.h"

#include "document/ModelTables.h"
#include "editors/dialogs/CCableListDlg.h"
#include "editors/framework/PageRegistry.h"
#include "instrument_files/CableList.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <QApplication>
#include <QVBoxLayout>

namespace stepvane {

namespace {

template <typename Record> std::function<void(TaskRecord &)> with(std::function<void(Record &)> set)
{
    return [set](TaskRecord &record) { set(std::get<Record>(record)); };
}

QImage grabShown(QWidget &widget)
{
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    QApplication::processEvents();
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
    return grabShown(pane);
}

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
        {"amplitude-VX310A", TaskAmplitude, 0, kDistanceMeter, {}},
        {"amplitude-VX340A", TaskAmplitude, 3, kDistanceMeter,
         with<AmplitudeTask>([](auto &r) {
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
        {"dtf-cable-manual", TaskDtf, 2, kDistanceFoot,
         with<DtfTask>([](auto &r) { r.Mode = 2; })},
        {"rf-power", TaskRfPower, 2, kDistanceMeter,
         with<RfPowerTask>([](auto &r) {
             r.Display_Mode = RfVswr;
             r.Display_Minimum = 1;
             r.Display_Maximum = 2;
         })},
        {"optical-power", TaskOpticalPower, 2, kDistanceMeter, {}},
        {"fiber", TaskFiber, 2, kDistanceMeter,
         with<FiberTask>([](auto &r) {
             r.Profile = 1;
             r.Tip = 1;
         })},
        {"bias-tee", TaskBiasTee, 2, kDistanceMeter,
         with<BiasTeeTask>([](auto &r) { r.Voltage_Param = 18; })},
        {"zoom-zones-VX310A", TaskZoomZones, 0, kDistanceMeter,
         with<ZoomZonesTask>([](auto &r) {
             r.Zone1_Check = 1;
             r.Peak_Valley_Search = 3;
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
