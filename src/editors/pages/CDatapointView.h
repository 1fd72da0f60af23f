// CDatapointView: the page of a Data Point step: the number of trace points,
// one radio button per count the instrument offers.
#pragma once

#include "editors/framework/RecordPage.h"

namespace stepvane {

class CDatapointView : public RecordPage<DataPointTask> {
    Q_OBJECT
public:
    CDatapointView(PageContext &context, QWidget *parent = nullptr);
};

} // namespace stepvane
