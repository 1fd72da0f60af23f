// The bias-tee page.
#include "editors/pages/CBiasTeeView.h"

namespace stepvane {

CBiasTeeView::CBiasTeeView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskBiasTee, kDefaultSize, parent)
{
    PageGrid *grid = addGrid();
    CKiteToggleButton *automatic = radioButton(QStringLiteral("Auto"));
    CKiteToggleButton *manual = radioButton(QStringLiteral("Manual"));
    grid->addRow(QStringLiteral("Mode"), PageGrid::inLine({automatic, manual}, this));
    bindRadioPair(automatic, manual, &BiasTeeTask::Mode, kAutomationMode, kManualMode);

    CKiteToggleButton *on = radioButton(QStringLiteral("On"));
    CKiteToggleButton *off = radioButton(QStringLiteral("Off"));
    const PageGrid::Row bias =
        grid->addRow(QStringLiteral("Bias"), PageGrid::inLine({on, off}, this));
    bindRadioPair(off, on, &BiasTeeTask::Voltage_On_Off, 0, 1);
    CVXEdit *voltage = named(
        wholeField(&BiasTeeTask::Voltage_Param, {.bounds = kBiasVoltageBounds}), "Voltage_Param");
    const PageGrid::Row voltageRow = grid->addRow(
        QStringLiteral("Voltage"), voltage, QStringLiteral("V"), QStringLiteral("(12 - 32 V)"));
    showWhen(bias, [](const BiasTeeTask &r) { return r.Mode == kAutomationMode; });
    showWhen(voltageRow, [](const BiasTeeTask &r) {
        return r.Mode == kAutomationMode && r.Voltage_On_Off != 0;
    });
}

} // namespace stepvane
