// The general page.
#include "editors/pages/CGeneralView.h"

namespace stepvane {

CGeneralView::CGeneralView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskGeneral, kDefaultSize, parent)
{
    PageGrid *grid = addGrid();
    CKiteToggleButton *on = radioButton(QStringLiteral("On"));
    CKiteToggleButton *off = radioButton(QStringLiteral("Off"));
    grid->addRow(QStringLiteral("Interference rejection"), PageGrid::inLine({on, off}, this));
    bindRadioPair(off, on, &GeneralTask::Interference_Rejection, 0, 1);

    CKiteToggleButton *high = radioButton(QStringLiteral("0 dBm"));
    CKiteToggleButton *low = radioButton(QStringLiteral("-30 dBm"));
    const PageGrid::Row power =
        grid->addRow(QStringLiteral("Output power"), PageGrid::inLine({high, low}, this));
    // Any text but "-30" shows as 0 dBm; the record keeps it until a click.
    bindRadioPair(low, high, &GeneralTask::OutputPower, kOutputPowerLow, kOutputPowerHigh);

    // Only a commit stores the average, as the clamped text.
    CVXEdit *average = named(bindEdit(
                                 CVXEdit::Whole, [](GeneralTask &r) { return r.Average; },
                                 [](GeneralTask &r, const QString &text, bool commit) {
                                     if (commit)
                                         r.Average = text;
                                 }),
                             "Average");
    average->setBounds(float(kAverageBounds.lower), float(kAverageBounds.upper));
    const PageGrid::Row averageRow =
        grid->addRow(QStringLiteral("Average"), average, QString(), QStringLiteral("(0 - 5)"));

    const auto hasThem = [this](const GeneralTask &) {
        return modelFacts(this->context().state.CurrentModelIndex).outputPowerAndAverage;
    };
    showWhen(power, hasThem);
    showWhen(averageRow, hasThem);
}

} // namespace stepvane
