// COpticalPowerView: the page of an Optical Power settings step: the
// wavelength, chosen by the instrument (Auto) or from the list (Manual), and
// the threshold with its level. Choosing Auto hides the list but keeps the
// stored wavelength.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class COpticalPowerView : public RecordPage<OpticalPowerTask> {
    Q_OBJECT
public:
    COpticalPowerView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
