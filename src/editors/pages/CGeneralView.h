// CGeneralView: the page of a General step: interference rejection on every
// model; output power and averaging only on the models that have them
// (VX330A, VX340A), while a value read for another model is kept unseen.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CGeneralView : public RecordPage<GeneralTask> {
    Q_OBJECT
public:
    CGeneralView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
