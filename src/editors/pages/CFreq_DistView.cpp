// The frequency/distance page.
#include "editors/pages/CFreq_DistView.h"

#include <QLineEdit>

namespace stepvane {

namespace {

void storeCenterAndSpan(FrequencyDistanceTask &r)
{
    r.Center_Frequency = (r.Start_Frequency + r.Stop_Frequency) / 2;
    r.Span = r.Stop_Frequency - r.Start_Frequency;
}

QString bothUnits(QString DistanceFacts::*help)
{
    return distanceFacts(kDistanceMeter).*help + QStringLiteral(" / ") +
           distanceFacts(kDistanceFoot).*help;
}

} // namespace

CFreq_DistView::CFreq_DistView(PageContext &context, QWidget *parent)
    : RecordPage(context, TaskFrequencyDistance, kDefaultSize, parent)
{
    CKiteToggleButton *alt = checkButton(QStringLiteral("Alt DTF Band"));
    addGrid()->addRow(alt);
    bindToggle(alt, &FrequencyDistanceTask::Alt_DTF_Band_Check);
    addFrequencies();
    addDistances();
}

Bounds CFreq_DistView::band() const
{
    return modelFacts(context().state.CurrentModelIndex).frequency;
}

void CFreq_DistView::addFrequencies()
{
    PageGrid *grid = addGrid(QStringLiteral("Frequency"));
    const auto bounds = [this](const FrequencyDistanceTask &) { return band(); };
    const QString limit = QStringLiteral("the model's %1 frequency");
    CVXEdit *start = named(decimalField(&FrequencyDistanceTask::Start_Frequency,
                                        {.boundsOf = bounds,
                                         .then =
                                             [](FrequencyDistanceTask &r, bool commit) {
                                                 if (commit && r.Stop_Frequency < r.Start_Frequency)
                                                     r.Stop_Frequency = r.Start_Frequency;
                                                 if (commit)
                                                     r.Start_Frequency_Check = 1;
                                                 storeCenterAndSpan(r);
                                             },
                                         .limitText = limit}),
                           "Start_Frequency");
    CVXEdit *stop = named(decimalField(&FrequencyDistanceTask::Stop_Frequency,
                                       {.boundsOf = bounds,
                                        .then =
                                            [](FrequencyDistanceTask &r, bool commit) {
                                                if (commit && r.Stop_Frequency < r.Start_Frequency)
                                                    r.Start_Frequency = r.Stop_Frequency;
                                                if (commit)
                                                    r.Stop_Frequency_Check = 1;
                                                storeCenterAndSpan(r);
                                            },
                                        .limitText = limit}),
                          "Stop_Frequency");
    keepOrder(start, stop, QStringLiteral("Start"), QStringLiteral("Stop"));
    CKiteToggleButton *startCheck = checkButton(QStringLiteral("Start frequency"));
    CKiteToggleButton *stopCheck = checkButton(QStringLiteral("Stop frequency"));
    bindToggle(startCheck, &FrequencyDistanceTask::Start_Frequency_Check);
    bindToggle(stopCheck, &FrequencyDistanceTask::Stop_Frequency_Check);
    grid->addRow(startCheck, start, QStringLiteral("MHz"));
    const PageGrid::Row stopRow =
        grid->addRow(stopCheck, stop, QStringLiteral("MHz"),
                     modelFacts(context().state.CurrentModelIndex).frequencyHelp);
    labelFrom(stopRow.hint, [this](const FrequencyDistanceTask &) {
        return modelFacts(context().state.CurrentModelIndex).frequencyHelp;
    });

    // Centre and span are worked out from start and stop, never typed.
    const auto readOnly =
        [this](const char *name,
               const std::function<double(const FrequencyDistanceTask &)> &value) {
            auto *field = named(new QLineEdit(this), name);
            field->setReadOnly(true);
            field->setFocusPolicy(Qt::NoFocus);
            field->setFixedWidth(96);
            onFill([field, value](FrequencyDistanceTask &r) {
                field->setText(formatDecimal(value(r), 2));
            });
            return field;
        };
    grid->addRow(QStringLiteral("Center frequency"),
                 readOnly("Center_Frequency",
                          [](const FrequencyDistanceTask &r) {
                              return (r.Start_Frequency + r.Stop_Frequency) / 2;
                          }),
                 QStringLiteral("MHz"));
    grid->addRow(QStringLiteral("Span"),
                 readOnly("Span",
                          [](const FrequencyDistanceTask &r) {
                              return r.Stop_Frequency - r.Start_Frequency;
                          }),
                 QStringLiteral("MHz"));
}

void CFreq_DistView::addDistances()
{
    PageGrid *grid = addGrid(QStringLiteral("Distance"));
    CVXEdit *start =
        named(decimalField(
                  &FrequencyDistanceTask::Start_Distance,
                  {.boundsOf =
                       [](const FrequencyDistanceTask &r) { return distanceFacts(r.Units).start; },
                   .then =
                       [](FrequencyDistanceTask &r, bool commit) {
                           if (!commit)
                               return;
                           if (r.Stop_Distance <= r.Start_Distance)
                               r.Stop_Distance = r.Start_Distance + kDistanceGap;
                           r.Start_Distance_Check = 1;
                       }}),
              "Start_Distance");
    CVXEdit *stop = named(
        decimalField(
            &FrequencyDistanceTask::Stop_Distance,
            {.boundsOf = [](const FrequencyDistanceTask &r) { return distanceFacts(r.Units).stop; },
             .then =
                 [](FrequencyDistanceTask &r, bool commit) {
                     if (!commit)
                         return;
                     if (r.Stop_Distance <= r.Start_Distance)
                         r.Start_Distance = std::max(0.0, r.Stop_Distance - kDistanceGap);
                     r.Stop_Distance_Check = 1;
                 }}),
        "Stop_Distance");
    keepOrder(start, stop, QStringLiteral("Start"), QStringLiteral("Stop"));
    CKiteToggleButton *startCheck = checkButton(QStringLiteral("Start distance"));
    CKiteToggleButton *stopCheck = checkButton(QStringLiteral("Stop distance"));
    bindToggle(startCheck, &FrequencyDistanceTask::Start_Distance_Check);
    bindToggle(stopCheck, &FrequencyDistanceTask::Stop_Distance_Check);
    const PageGrid::Row startRow =
        grid->addRow(startCheck, start, QStringLiteral("m"), bothUnits(&DistanceFacts::startHelp));
    const PageGrid::Row stopRow =
        grid->addRow(stopCheck, stop, QStringLiteral("m"), bothUnits(&DistanceFacts::stopHelp));
    for (QLabel *unit : {startRow.unit, stopRow.unit})
        labelFrom(unit,
                  [](const FrequencyDistanceTask &r) { return distanceFacts(r.Units).unitLabel; });

    CKiteToggleButton *meter = radioButton(QStringLiteral("Meter"));
    CKiteToggleButton *foot = radioButton(QStringLiteral("Foot"));
    grid->addRow(QStringLiteral("Display units"), PageGrid::inLine({meter, foot}, this));
    bindUnitSwitch(meter, foot, &FrequencyDistanceTask::Units,
                   [](FrequencyDistanceTask &r, int unit) {
                       if (r.Stop_Distance <= r.Start_Distance)
                           r.Stop_Distance = r.Start_Distance + kDistanceGap;
                       if (unit == kDistanceFoot) {
                           r.Start_Distance *= kFeetPerMetre;
                           r.Stop_Distance *= kFeetPerMetre;
                       } else {
                           r.Start_Distance /= kFeetPerMetre;
                           r.Stop_Distance /= kFeetPerMetre;
                       }
                   });
}

} // namespace stepvane
