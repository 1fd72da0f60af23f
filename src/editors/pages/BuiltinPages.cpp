// The editor pages the detail pane creates, by task kind. Kinds not listed
// here show an empty detail pane.
#include "editors/framework/PageRegistry.h"
#include "editors/pages/CLimitView.h"
#include "editors/pages/CLoadSetupView.h"
#include "editors/pages/CMarker_PeakView.h"
#include "editors/pages/CMeasureModeView.h"
#include "editors/pages/CPromptView.h"
#include "editors/pages/CReportView.h"
#include "editors/pages/CSaveView.h"

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
    static const PageRegistry registry = {
        {TaskMeasureMode, {factory<CMeasureModeView>()}},
        {TaskSave, {factory<CSaveView>()}},
        {TaskPrompt, {factory<CPromptView>()}},
        {TaskReport, {factory<CReportView>()}},
        {TaskLoad, {factory<CLoadSetupView>()}},
        {TaskMarkerPeak, {factory<CMarker_PeakView>(), factory<CMarkerValleyView>()}},
        {TaskLimit, {factory<CLimitView>()}},
    };
    return registry;
}

} // namespace stepvane
