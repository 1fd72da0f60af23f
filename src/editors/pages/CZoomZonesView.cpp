// The zoom zones page.
#include "editors/pages/CZoomZonesView.h"

#include <QLabel>

namespace stepvane {

CZoomZonesView::CZoomZonesView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskZoomZones, kDefaultSize, parent)
{
    PageGrid *zones = addGrid();
    addZone(zones, {1, &ZoomZonesTask::Zone1_Check, &ZoomZonesTask::Zone1_Start_Frequency,
                    &ZoomZonesTask::Zone1_Stop_Frequency});
    addZone(zones, {2, &ZoomZonesTask::Zone2_Check, &ZoomZonesTask::Zone2_Start_Frequency,
                    &ZoomZonesTask::Zone2_Stop_Frequency});
    addZone(zones, {3, &ZoomZonesTask::Zone3_Check, &ZoomZonesTask::Zone3_Start_Frequency,
                    &ZoomZonesTask::Zone3_Stop_Frequency});
    QLabel *band = zones->addNote(QString());
    labelFrom(band, [this](const ZoomZonesTask &) {
        return modelFacts(this->context().state.CurrentModelIndex).frequencyHelp;
    });

    PageGrid *search = addGrid(QStringLiteral("Peak / Valley in zoom zones"));
    auto *list = named(new QComboBox(this), "Peak_Valley_Search");
    list->addItems({QStringLiteral("None"), QStringLiteral("Peak all zones"),
                    QStringLiteral("Valley all zones"),
                    QStringLiteral("Peak and Valley all zones")});
    search->addRow(QStringLiteral("Search"), list);
    // Any code but 1 to 3 means no search.
    bindCombo(list, &ZoomZonesTask::Peak_Valley_Search, {},
              [](int code) { return code >= 1 && code <= 3 ? code : 0; });
}

void CZoomZonesView::addZone(PageGrid *grid, const Zone &zone)
{
    const auto band = [this](const ZoomZonesTask &) {
        return modelFacts(context().state.CurrentModelIndex).frequency;
    };
    // Committing either end switches the zone on and keeps stop >= start.
    CVXEdit *start = decimalField(
        zone.start,
        {.boundsOf = band, .emptyIsZero = true, .then = [zone](ZoomZonesTask &r, bool commit) {
             if (!commit)
                 return;
             if (r.*zone.stop < r.*zone.start)
                 r.*zone.stop = r.*zone.start;
             r.*zone.check = 1;
         }});
    CVXEdit *stop = decimalField(
        zone.stop,
        {.boundsOf = band, .emptyIsZero = true, .then = [zone](ZoomZonesTask &r, bool commit) {
             if (!commit)
                 return;
             if (r.*zone.stop < r.*zone.start)
                 r.*zone.start = r.*zone.stop;
             r.*zone.check = 1;
         }});
    keepOrder(start, stop, QStringLiteral("Start"), QStringLiteral("Stop"));
    for (CVXEdit *edit : {start, stop})
        edit->setLimitText(QStringLiteral("the model's %1 frequency"));
    const QString name = QStringLiteral("Zone%1").arg(zone.number);
    start->setObjectName(name + QStringLiteral("_Start_Frequency"));
    stop->setObjectName(name + QStringLiteral("_Stop_Frequency"));
    CKiteToggleButton *check = checkButton(QStringLiteral("Zone %1").arg(zone.number));
    bindToggle(check, zone.check);
    grid->addRow(check);
    const auto underCheck = [this](const QString &text) {
        auto *label = new QLabel(text, this);
        label->setIndent(22);
        return label;
    };
    grid->addRow(underCheck(QStringLiteral("Start frequency")), start, QStringLiteral("MHz"));
    grid->addRow(underCheck(QStringLiteral("Stop frequency")), stop, QStringLiteral("MHz"));
}

} // namespace stepvane
