// CZoomZonesView: the page of a Zoom Zones step: three frequency zones, each
// switched on by its check button or by committing one of its frequencies
// (bounded by the instrument model), and the peak/valley search over all
// zones. Zones may overlap or come in any order.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CZoomZonesView : public RecordPage<ZoomZonesTask> {
    Q_OBJECT
public:
    CZoomZonesView(PageContext &context, QWidget *parent = nullptr);

private:
    struct Zone {
        int number;
        Flag ZoomZonesTask::*check;
        double ZoomZonesTask::*start;
        double ZoomZonesTask::*stop;
    };
    void addZone(PageGrid *grid, const Zone &zone);
};

} // namespace stepvane
