// The DTF cable page.
#include "editors/pages/CDtfView.h"

#include "editors/dialogs/CCableListDlg.h"
#include "instrument_files/CableList.h"

#include <QLineEdit>
#include <QPushButton>

namespace stepvane {

namespace {

void becomesCustom(DtfTask &r, bool)
{
    r.Cable_Name = kCustomCableName;
}

QString dtfRangeHint(const Bounds &b)
{
    return QStringLiteral("(%1 - %2)").arg(formatDecimal(b.lower, 1), formatDecimal(b.upper, 1));
}

} // namespace

CDtfView::CDtfView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskDtf, kDefaultSize, parent)
{
    PageGrid *mode = addGrid();
    CKiteToggleButton *automatic = radioButton(QStringLiteral("Auto"));
    CKiteToggleButton *manual = radioButton(QStringLiteral("Manual"));
    mode->addRow(QStringLiteral("Mode"), PageGrid::inLine({automatic, manual}, this));
    // A mode other than Auto shows as Manual; the record keeps it until a click.
    bindRadioPair(automatic, manual, &DtfTask::Mode, kAutomationMode, kManualMode);

    PageGrid *cable = addGrid(QStringLiteral("Cable"));
    m_velocity =
        named(decimalField(&DtfTask::Propagation_Velocity, {.bounds = kPropagationVelocityBounds,
                                                            .decimals = kCableDecimals,
                                                            .emptyIsZero = true,
                                                            .ifChanged = becomesCustom}),
              "Propagation_Velocity");
    m_loss = named(decimalField(&DtfTask::Cable_Loss, {.bounds = kCableLossBounds,
                                                       .decimals = kCableDecimals,
                                                       .emptyIsZero = true,
                                                       .ifChanged = becomesCustom}),
                   "Cable_Loss");
    auto *name = named(new QLineEdit(this), "Cable_Name");
    name->setReadOnly(true);
    name->setFocusPolicy(Qt::NoFocus);
    onFill([name](DtfTask &r) { name->setText(r.Cable_Name); });
    auto *list = named(new QPushButton(QStringLiteral("Cable list..."), this), "cableListButton");
    connect(list, &QPushButton::clicked, this, &CDtfView::chooseCable);

    cable->addRow(QStringLiteral("Propagation velocity"), m_velocity, QString(),
                  dtfRangeHint(kPropagationVelocityBounds));
    const PageGrid::Row lossRow =
        cable->addRow(QStringLiteral("Cable loss (dB/m)"), m_loss, QString(),
                      QStringLiteral("at 1 GHz ") + dtfRangeHint(kCableLossBounds));
    labelFrom(static_cast<QLabel *>(lossRow.lead),
              [](const DtfTask &r) { return distanceFacts(r.Units).cableLossLabel; });
    cable->addRow(QStringLiteral("Cable name"), name);
    cable->addRow(nullptr, PageGrid::inLine({list}, this));
    // Manual mode leaves the cable to the instrument: only the mode row stays.
    const auto isAuto = [](const DtfTask &r) { return r.Mode == kAutomationMode; };
    showWhen(std::vector<QWidget *>{cable}, isAuto);

    PageGrid *units = addGrid();
    CKiteToggleButton *meter = radioButton(QStringLiteral("Meter"));
    CKiteToggleButton *foot = radioButton(QStringLiteral("Foot"));
    units->addRow(QStringLiteral("Display units"), PageGrid::inLine({meter, foot}, this));
    showWhen(std::vector<QWidget *>{units}, isAuto);
    bindUnitSwitch(meter, foot, &DtfTask::Units, [](DtfTask &r, int unit) {
        if (unit == kDistanceFoot)
            r.Cable_Loss /= kFeetPerMetre;
        else
            r.Cable_Loss *= kFeetPerMetre;
    });
}

void CDtfView::chooseCable()
{
    const DtfTask *r = record();
    if (!r)
        return;
    CCableListDlg dialog(cableTable(), r->Units, this);
    if (context().ui.runModal(dialog) != QDialog::Accepted || !dialog.chosenCable())
        return;
    const CableEntry cable = *dialog.chosenCable();
    changeRecord(kControlField, [&] {
        DtfTask *bound = record();
        if (!bound)
            return;
        bound->Cable_Name = cable.name;
        bound->Propagation_Velocity = parseDecimalText(cable.velocity);
        bound->Cable_Loss = parseDecimalText(cable.loss1GHz);
        if (bound->Units != kDistanceMeter)
            bound->Cable_Loss /= kFeetPerMetre;
    });
    // The list's own texts, as written (in Foot the loss is a converted number).
    if (record()) {
        m_velocity->setText(cable.velocity);
        if (record()->Units == kDistanceMeter)
            m_loss->setText(cable.loss1GHz);
    }
}

} // namespace stepvane
