// CBiasTeeView: the page of a Bias Tee step: Auto or Manual; in Auto the
// bias is switched on or off and, while on, its voltage set in whole volts.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CBiasTeeView : public RecordPage<BiasTeeTask> {
    Q_OBJECT
public:
    CBiasTeeView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
