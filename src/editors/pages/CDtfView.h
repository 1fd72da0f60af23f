// CDtfView: the page of a Settings for DTF step (titled Cable): in Auto mode
// the cable's propagation velocity and loss at 1 GHz, its name, and a pick
// from the cable list; the Meter/Foot switch converts the loss between dB
// per metre and dB per foot. Typing a value that differs from the stored one
// makes the cable a "Custom Cable".
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CDtfView : public RecordPage<DtfTask> {
    Q_OBJECT
public:
    CDtfView(PageContext &context, QWidget *parent = nullptr);

    // Opens the cable list with the record's unit and applies the chosen cable.
    void chooseCable();

private:
    CVXEdit *m_velocity = nullptr;
    CVXEdit *m_loss = nullptr;
};

} // namespace stepvane
