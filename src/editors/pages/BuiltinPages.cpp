// The editor pages the detail pane creates, by task kind. Kinds not listed
// here show an empty detail pane.
#include "editors/framework/PageRegistry.h"
#include "editors/pages/CAmplitudeView.h"
#include "editors/pages/CBiasTeeView.h"
#include "editors/pages/CDatapointView.h"
#include "editors/pages/CDtfView.h"
#include "editors/pages/CFiberView.h"
#include "editors/pages/CFreq_DistView.h"
#include "editors/pages/CGeneralView.h"
#include "editors/pages/CLimitView.h"
#include "editors/pages/CLoadSetupView.h"
#include "editors/pages/CMarker_PeakView.h"
#include "editors/pages/CMeasureModeView.h"
#include "editors/pages/COpticalPowerView.h"
#include "editors/pages/CPromptView.h"
#include "editors/pages/CReportView.h"
#include "editors/pages/CRfPowerView.h"
#include "editors/pages/CSaveView.h"
#include "editors/pages/CWindowingView.h"
#include "editors/pages/CZoomZonesView.h"

namespace stepvane {

namespace {

template <typename Page> PageFactory factory()
{
    return [](PageContext &context, QWidget *parent) -> EditorPage * {
        return new Page(context, parent);
    };
}

} // namespace

const PageRegistry &builtinPageRegistry()
{
    // In the order of the task kinds' codes.
    static const PageRegistry registry = {
        {TaskSave, {factory<CSaveView>()}},
        {TaskPrompt, {factory<CPromptView>()}},
        {TaskReport, {factory<CReportView>()}},
        {TaskBiasTee, {factory<CBiasTeeView>()}},
        {TaskLoad, {factory<CLoadSetupView>()}},
        {TaskMeasureMode, {factory<CMeasureModeView>()}},
        {TaskFrequencyDistance, {factory<CFreq_DistView>()}},
        {TaskAmplitude, {factory<CAmplitudeView>()}},
        {TaskDtf, {factory<CDtfView>()}},
        {TaskDataPoint, {factory<CDatapointView>()}},
        {TaskRfPower, {factory<CRfPowerView>()}},
        {TaskOpticalPower, {factory<COpticalPowerView>()}},
        {TaskFiber, {factory<CFiberView>()}},
        {TaskWindowing, {factory<CWindowingView>()}},
        {TaskMarkerPeak, {factory<CMarker_PeakView>(), factory<CMarkerValleyView>()}},
        {TaskLimit, {factory<CLimitView>()}},
        {TaskZoomZones, {factory<CZoomZonesView>()}},
        {TaskGeneral, {factory<CGeneralView>()}},
    };
    return registry;
}

} // namespace stepvane
