// CFiberView: the page of a Fiber settings step: the inspection profile and
// the tip, whose list depends on the profile (ribbon profiles have their
// own). The record's tip position changes only when a tip is chosen, and the
// tip list always shows the position the record holds.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CFiberView : public RecordPage<FiberTask> {
    Q_OBJECT
public:
    CFiberView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
