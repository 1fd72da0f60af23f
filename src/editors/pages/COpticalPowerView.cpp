// The optical power page.
#include "editors/pages/COpticalPowerView.h"

namespace stepvane {

COpticalPowerView::COpticalPowerView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskOpticalPower, kDefaultSize, parent)
{
    PageGrid *wavelength = addGrid();
    CKiteToggleButton *automatic = radioButton(QStringLiteral("Auto"));
    CKiteToggleButton *manual = radioButton(QStringLiteral("Manual"));
    wavelength->addRow(QStringLiteral("Wavelength"), PageGrid::inLine({automatic, manual}, this));
    bindRadioPair(automatic, manual, &OpticalPowerTask::Wavelength_Mode, kAutomationMode,
                  kManualMode);

    auto *list = named(new QComboBox(this), "Wavelength_Param");
    for (int nm : opticalWavelengths())
        list->addItem(QString::number(nm));
    const PageGrid::Row listRow =
        wavelength->addRow(QStringLiteral("Wavelength value"), list, QStringLiteral("nm"));
    // The position and the wavelength it names are stored together.
    bindCombo(list, &OpticalPowerTask::Wavelength_Param_LValue, {}, {},
              [](OpticalPowerTask &r, bool) {
                  r.Wavelength_Param = opticalWavelengths().at(size_t(r.Wavelength_Param_LValue));
              });
    showWhen(listRow,
             [](const OpticalPowerTask &r) { return r.Wavelength_Mode != kAutomationMode; });

    PageGrid *threshold = addGrid();
    CKiteToggleButton *on = radioButton(QStringLiteral("On"));
    CKiteToggleButton *off = radioButton(QStringLiteral("Off"));
    threshold->addRow(QStringLiteral("Threshold"), PageGrid::inLine({on, off}, this));
    bindRadioPair(off, on, &OpticalPowerTask::Threshold_On_Off, 0, 1);
    CVXEdit *level = named(decimalField(&OpticalPowerTask::Threshold_Param,
                                        {.bounds = kOpticalThresholdBounds, .emptyIsZero = true}),
                           "Threshold_Param");
    const PageGrid::Row levelRow =
        threshold->addRow(QStringLiteral("Threshold level"), level, QStringLiteral("dBm"),
                          QStringLiteral("(-99.99 - 99 dBm)"));
    showWhen(levelRow, [](const OpticalPowerTask &r) { return r.Threshold_On_Off != 0; });
}

} // namespace stepvane
