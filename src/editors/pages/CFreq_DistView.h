// CFreq_DistView: the page of a Frequency / Distance step: start and stop
// frequency (bounded by the instrument model) with their centre and span,
// start and stop distance (bounded by the record's unit), a check button
// for each value the step sets, Alt DTF Band, and the Meter/Foot switch.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CFreq_DistView : public RecordPage<FrequencyDistanceTask> {
    Q_OBJECT
public:
    CFreq_DistView(PageContext &context, QWidget *parent = nullptr);

private:
    void addFrequencies();
    void addDistances();
    // The instrument's band for the model the editor is set to.
    Bounds band() const;
};

} // namespace stepvane
