// The RF power page.
#include "editors/pages/CRfPowerView.h"

#include <algorithm>

namespace stepvane {

namespace {

constexpr int kSensorCount = 5;

int sensorOf(const RfPowerTask &r)
{
    // A sensor outside the list is shown and treated as the first one.
    return r.RF_Model >= 0 && r.RF_Model < kSensorCount ? r.RF_Model : 0;
}

QStringList modeNames(int sensor)
{
    QStringList names;
    for (int mode : rfSensorModes(sensor))
        names << rfModeName(mode);
    return names;
}

QString powerRangeHint(const Bounds &b, const QString &unit = QString())
{
    const QString range = QStringLiteral("%1 - %2").arg(b.lower).arg(b.upper);
    return QStringLiteral("(%1)").arg(unit.isEmpty() ? range : range + u' ' + unit);
}

} // namespace

int CRfPowerView::positionOfMode(int sensor, int mode)
{
    const std::vector<int> &modes = rfSensorModes(sensor);
    const auto at = std::find(modes.begin(), modes.end(), mode);
    return at == modes.end() ? 0 : int(at - modes.begin());
}

int CRfPowerView::modeAt(int sensor, int position)
{
    const std::vector<int> &modes = rfSensorModes(sensor);
    return position >= 0 && position < int(modes.size()) ? modes[size_t(position)] : modes.front();
}

CRfPowerView::CRfPowerView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskRfPower, kDefaultSize, parent)
{
    PageGrid *sensor = addGrid(QStringLiteral("Sensor"));
    auto *models = named(new QComboBox(this), "RF_Model");
    models->addItems(rfSensorModels());
    sensor->addRow(QStringLiteral("Model"), models);
    // A new sensor starts both scales over with its first mode.
    bindCombo(
        models, &RfPowerTask::RF_Model, {},
        [](int model) { return model >= 0 && model < kSensorCount ? model : 0; },
        [](RfPowerTask &r, bool) {
            for (const Pair &pair : {Pair{&RfPowerTask::Display_Mode, &RfPowerTask::Display_Minimum,
                                          &RfPowerTask::Display_Maximum},
                                     Pair{&RfPowerTask::Limit_Mode, &RfPowerTask::Limit_Minimum,
                                          &RfPowerTask::Limit_Maximum}}) {
                r.*pair.mode = rfSensorModes(r.RF_Model).front();
                r.*pair.minimum = rfScale(r.*pair.mode).newMinimum;
                r.*pair.maximum = rfScale(r.*pair.mode).newMaximum;
            }
        });
    CVXEdit *frequency = named(
        decimalField(&RfPowerTask::Frequency, {.bounds = kRfFrequencyBounds, .emptyIsZero = true}),
        "Frequency");
    CVXEdit *offset = named(decimalField(&RfPowerTask::External_offset,
                                         {.bounds = kRfOffsetBounds, .emptyIsZero = true}),
                            "External_offset");
    sensor->addRow(QStringLiteral("Frequency"), frequency, QStringLiteral("MHz"),
                   powerRangeHint(kRfFrequencyBounds, QStringLiteral("MHz")));
    sensor->addRow(QStringLiteral("External offset"), offset, QStringLiteral("dB"),
                   powerRangeHint(kRfOffsetBounds, QStringLiteral("dB")));

    addPair(
        QStringLiteral("Display"), "Display",
        {&RfPowerTask::Display_Mode, &RfPowerTask::Display_Minimum, &RfPowerTask::Display_Maximum});
    addPair(QStringLiteral("Limit"), "Limit",
            {&RfPowerTask::Limit_Mode, &RfPowerTask::Limit_Minimum, &RfPowerTask::Limit_Maximum});
}

void CRfPowerView::addPair(const QString &heading, const char *name, const Pair &pair)
{
    PageGrid *grid = addGrid(heading);
    const QString prefix = QString::fromLatin1(name);
    auto *modes = new QComboBox(this);
    modes->setObjectName(prefix + QStringLiteral("_Mode"));
    grid->addRow(QStringLiteral("Mode"), modes);
    listFrom(modes, [](const RfPowerTask &r) { return modeNames(sensorOf(r)); });
    // A mode change starts its pair over inside the mode's bounds.
    bindCombo(
        modes, pair.mode, [this](int position) { return modeAt(sensorOf(*record()), position); },
        [this](int mode) { return positionOfMode(sensorOf(*record()), mode); },
        [pair](RfPowerTask &r, bool) {
            r.*pair.minimum = rfScale(r.*pair.mode).newMinimum;
            r.*pair.maximum = rfScale(r.*pair.mode).newMaximum;
        });

    CVXEdit *minimum = decimalField(
        pair.minimum,
        {.boundsOf = [pair](const RfPowerTask &r) { return rfScale(r.*pair.mode).minimum; },
         .then =
             [pair](RfPowerTask &r, bool commit) {
                 if (commit && r.*pair.maximum <= r.*pair.minimum)
                     r.*pair.maximum = r.*pair.minimum + kRfScaleGap;
             }});
    CVXEdit *maximum = decimalField(
        pair.maximum,
        {.boundsOf = [pair](const RfPowerTask &r) { return rfScale(r.*pair.mode).maximum; },
         .then =
             [pair](RfPowerTask &r, bool commit) {
                 if (commit && r.*pair.maximum <= r.*pair.minimum)
                     r.*pair.minimum = std::max(r.*pair.maximum - kRfScaleGap,
                                                rfScale(r.*pair.mode).minimum.lower);
             }});
    keepOrder(minimum, maximum, QStringLiteral("Minimum"), QStringLiteral("Maximum"));
    minimum->setObjectName(prefix + QStringLiteral("_Minimum"));
    maximum->setObjectName(prefix + QStringLiteral("_Maximum"));
    const PageGrid::Row minimumRow =
        grid->addRow(QStringLiteral("Minimum"), minimum, QStringLiteral(" "), QStringLiteral(" "));
    const PageGrid::Row maximumRow =
        grid->addRow(QStringLiteral("Maximum"), maximum, QStringLiteral(" "), QStringLiteral(" "));
    for (QLabel *unit : {minimumRow.unit, maximumRow.unit})
        labelFrom(unit, [pair](const RfPowerTask &r) { return rfScale(r.*pair.mode).unit; });
    labelFrom(minimumRow.hint, [pair](const RfPowerTask &r) {
        return powerRangeHint(rfScale(r.*pair.mode).minimum);
    });
    labelFrom(maximumRow.hint, [pair](const RfPowerTask &r) {
        return powerRangeHint(rfScale(r.*pair.mode).maximum);
    });
}

} // namespace stepvane
