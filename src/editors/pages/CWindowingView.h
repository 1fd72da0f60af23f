// CWindowingView: the page of a Windowing step: the window shape of the
// distance-to-fault trace, one radio button per shape.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CWindowingView : public RecordPage<WindowingTask> {
    Q_OBJECT
public:
    CWindowingView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
