// CRfPowerView: the page of an RF Power settings step: the power sensor
// model, frequency and external offset, and two scale pairs (display and
// limit), each with the modes the sensor offers. A pair's bounds and unit
// follow its mode (VSWR has its own), from the record bound as well as after
// a change, so a commit always clamps against the mode the record holds.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CRfPowerView : public RecordPage<RfPowerTask> {
    Q_OBJECT
public:
    CRfPowerView(PageContext &context, QWidget *parent = nullptr);

    // List position of a mode for a sensor (0 when the sensor lacks it), and
    // the mode at a position.
    static int positionOfMode(int sensor, int mode);
    static int modeAt(int sensor, int position);

private:
    // The mode combo box and the Minimum/Maximum pair of one scale.
    struct Pair {
        int RfPowerTask::*mode;
        double RfPowerTask::*minimum;
        double RfPowerTask::*maximum;
    };
    void addPair(const QString &heading, const char *name, const Pair &pair);
};

} // namespace stepvane
